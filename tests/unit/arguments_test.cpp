#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "command/arguments.h"
#include "app/command_line.h"

namespace korvif {
namespace {

TEST(ReadNumber, ReadsLikeAtolWithThirtyTwoBitWrapping) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        // clang-format off
        {"", 0},          {"abc", 0},       {"17", 17},        {"  42", 42},      {"\t-5", -5},
        {"+8", 8},        {"12ab", 12},     {"7,8", 7},        {"- 3", 0},        {"2147483647", 2147483647},
        {"2147483648", -2147483647 - 1},    {"4294967295", -1}, {"4294967296", 0}, {"-1", -1},
        // clang-format on
        {"0001", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(read_number(c.text), c.value) << '"' << c.text << '"';
}

TEST(CommaSearch, SecondCharacterSearchSkipsALeadingComma) {
    char text[] = ",5,x";
    EXPECT_EQ(next_comma(text), text);
    EXPECT_EQ(next_comma_after_first(text), text + 2);
    char empty[] = "";
    EXPECT_EQ(next_comma_after_first(empty), nullptr);
    char single[] = "1";
    EXPECT_EQ(next_comma_after_first(single), nullptr);
}

TEST(SplitFields, FindsTheFieldsOrTheFirstMissingOneAndChecksTheOutputPath) {
    struct Case {
        const char* layout;
        std::string text;
        int missing;
        std::vector<const char*> fields;  // "-" for an absent optional field
        const char* output;               // the checked output path, or null
        bool refused = false;             // the output path is refused
    };
    const std::string longest(255, 'p');
    const std::string long_dir = "/" + std::string(250, 'd') + "/";  // 252 characters
    const std::string completed_254 = long_dir + "ab";
    const std::string completed_255 = long_dir + "abc";
    const Case cases[] = {
        {"::$", "0,a.sff,b.kvd", 0, {"0", "a.sff", "b.kvd"}, nullptr},
        {"::$", ",a,b,c", 0, {",a", "b", "c"}, nullptr},  // a leading comma belongs to its field
        {"::$", "0,,x", 3, {}, nullptr},                  // an empty field has no end
        {"::$", "", 2, {}, nullptr},
        {"..:.$", "0,1,,doc,dir/", 5, {}, nullptr},  // ",doc" is the third field
        {"..:.$", "0,1,2,doc,a,b", 0, {"0", "1", "2", "doc", "a,b"}, nullptr},
        {":..>", "1,0,doc", 4, {}, nullptr},
        {":..>", "1,0,doc,*p.bmp,x", 0, {"1", "0", "doc", "*p.bmp,x"}, "*p.bmp,x"},  // '>' takes a "*" as a letter
        {".[>", "in.bmp", 0, {"in.bmp", "-"}, "in.bmp"},                             // an absent output is the input
        {".[>", "in.bmp,out.bmp", 0, {"in.bmp", "out.bmp"}, "out.bmp"},
        {"..[>", "1", 2, {}, nullptr},
        {"..[>", "1,in.bmp", 0, {"1", "in.bmp", "-"}, "in.bmp"},
        {"..[..$", "1,2", 0, {"1", "2", "-", "-", "-"}, nullptr},
        {"..[..$", "1,2,3,4,tip, with comma", 0, {"1", "2", "3", "4", "tip, with comma"}, nullptr},
        {":[..$", ",", 0, {",", "-", "-", "-"}, nullptr},
        // The output path: not empty, at most 255 characters, never cut short.
        {".>", "src,", 0, {"src", ""}, nullptr, true},
        {".[>", "", 0, {""}, nullptr, true},
        {".>", "src," + longest, 0, {"src"}, longest.c_str()},
        {".>", "src," + longest + "q", 0, {"src"}, nullptr, true},
        // '*': a leading "*" stands for the directory of the field before, up to its last separator.
        {":..*", "1,0,/fax/in/0007.kvd,*page.bmp", 0, {"1", "0", "/fax/in/0007.kvd"}, "/fax/in/page.bmp"},
        {":..*", "1,0,0001.kvd,*p.bmp", 0, {}, "p.bmp"},
        {":..*", "1,0,/fax/0001.kvd,p.bmp", 0, {}, "p.bmp"},
        {":..*", "1,0,/fax/0001.kvd,x*p.bmp", 0, {}, "x*p.bmp"},
        {":..*", "1,0,C:\\FAX\\0001.kvd,*p.bmp", 0, {}, "p.bmp"},  // only the platform's separator counts
        {":..*", "1,0,,*p.bmp", 0, {"1", "0", ""}, "p.bmp"},
        {":..*", "1,0," + long_dir + "0007.kvd,*ab", 0, {}, completed_254.c_str()},
        {":..*", "1,0," + long_dir + "0007.kvd,*abc", 0, {}, completed_255.c_str()},
        {":..*", "1,0," + long_dir + "0007.kvd,*abcd", 0, {}, nullptr, true},  // completed, 256: too long
        {":..*", "1,0,doc,", 0, {}, nullptr, true},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        const Fields fields = split_fields(text.data(), c.layout);
        SCOPED_TRACE(std::string(c.layout) + " " + c.text);
        EXPECT_EQ(fields.missing, c.missing);
        EXPECT_EQ(fields.output_refused, c.refused);
        EXPECT_EQ(static_cast<bool>(fields), c.missing == 0 && !c.refused);
        for (std::size_t i = 0; i < c.fields.size(); ++i) {
            const char* field = fields[static_cast<int>(i) + 1];
            EXPECT_STREQ(field == nullptr ? "-" : field, c.fields[i]) << "field " << i + 1;
        }
        EXPECT_STREQ(fields.output, c.output);
    }
}

TEST(CommandLine, CutsAfterProgramNameAndBlanks) {
    struct Case {
        const char* raw;
        const char* command;
    };
    const Case cases[] = {
        {"korvif32.exe S2F:1,a,b", "S2F:1,a,b"},
        {"korvif32.exe     INV:x", "INV:x"},
        {"korvif32.exe\tINV:x", ""},                    // a tab does not end the program name
        {"korvif32.exe \tINV:x", "\tINV:x"},            // nor is it skipped after it
        {"\"C:\\Program Files\\k.exe\" S2F:", "S2F:"},  // a quoted program path ends at its closing quote
        {"\"C:\\Program Files\\k.exe\"  INV:\"x\"", "INV:\"x\""},
        {"\"k.exe\"INV:x", "INV:x"},
        {"\"C:\\Program Files\\k.exe S2F:", ""},  // no closing quote: all of it is the name
        {"k.exe \"INV:x\"", "\"INV:x\""},         // only a quote at the start counts
        {"korvif32.exe", ""},
        {"korvif32.exe   ", ""},
        {"k.exe RES:a, b ", "RES:a, b "},
    };
    for (const Case& c : cases) EXPECT_STREQ(command_text_of(c.raw), c.command) << c.raw;
}

}  // namespace
}  // namespace korvif
