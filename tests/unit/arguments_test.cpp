#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "command/arguments.h"
#include "app/command_line.h"
#include "command/output_path.h"

namespace korvif {
namespace {

TEST(ReadNumber, ReadsLikeAtolWithThirtyTwoBitWrapping) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"", 0},          {"abc", 0},       {"17", 17},        {"  42", 42},      {"\t-5", -5},
        {"+8", 8},        {"12ab", 12},     {"7,8", 7},        {"- 3", 0},        {"2147483647", 2147483647},
        {"2147483648", -2147483647 - 1},    {"4294967295", -1}, {"4294967296", 0}, {"-1", -1},
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

TEST(CommandLine, CutsAfterProgramNameAndBlanks) {
    struct Case {
        const char* raw;
        const char* command;
    };
    const Case cases[] = {
        {"korvif32.exe S2F:1,a,b", "S2F:1,a,b"},
        {"korvif32.exe     INV:x", "INV:x"},
        {"korvif32.exe\tINV:x", ""},             // a tab does not end the program name
        {"korvif32.exe \tINV:x", "\tINV:x"},     // nor is it skipped after it
        {"\"C:\\Program Files\\k.exe\" S2F:", "Files\\k.exe\" S2F:"},
        {"korvif32.exe", ""},
        {"korvif32.exe   ", ""},
        {"k.exe RES:a, b ", "RES:a, b "},
    };
    for (const Case& c : cases) EXPECT_STREQ(command_text_of(c.raw), c.command) << c.raw;
}

TEST(OutputPath, HoldsUpToTwoHundredFiftyFiveCharacters) {
    const std::string longest(255, 'p');
    ASSERT_NE(set_output_path(longest.c_str()), nullptr);
    EXPECT_EQ(std::string(output_path()), longest);

    const std::string too_long(256, 'q');
    EXPECT_EQ(set_output_path(too_long.c_str()), nullptr);
    EXPECT_STREQ(output_path(), "");  // never a path cut short

    EXPECT_STREQ(set_output_path("out.bmp"), "out.bmp");
}

}  // namespace
}  // namespace korvif
