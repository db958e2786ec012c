#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/file.h"
#include "platform/host_text.h"
#include "platform/path.h"
#include "platform/process.h"
#include "platform/replacement.h"
#include "support/code_pages.h"
#include "support/files.h"

namespace korvif {
namespace {

TEST(FileExists, FindsFilesDirectoriesAndWildcards) {
    test::TempDir dir;
    test::write_file(dir.file("0007.kvd"), {1});
    struct Case {
        std::string path;
        bool found;
    };
    const Case cases[] = {
        {dir.file("0007.kvd"), true}, {dir.path().string(), true}, {dir.file("*.kvd"), true},
        {dir.file("00??.kvd"), true}, {dir.file("*.bmp"), false},  {dir.file("missing.kvd"), false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::file_exists(c.path.c_str()), c.found) << c.path;
}

TEST(ScratchFiles, ReadAndWrittenThroughOneHandleAndGoneWithIt) {
    test::TempDir dir;
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    std::string name;
    {
        platform::File scratch = platform::File::create_scratch("CR", &name);
        ASSERT_TRUE(scratch.is_open());
        EXPECT_EQ(name.rfind(dir.file("CR"), 0), 0u);
        EXPECT_EQ(name.size(), dir.file("").size() + platform::numbered_name_length - 1);
        // Nothing to be found under its name even while it is in use: a killed run leaves nothing.
        EXPECT_FALSE(test::file_present(name));
        std::uint32_t done = 0;
        std::uint8_t back[3] = {};
        ASSERT_TRUE(scratch.write("abc", 3, done) && scratch.seek(0) && scratch.read(back, 3, done));
        EXPECT_EQ(std::string(back, back + 3), "abc");
    }
    ::setenv("TMPDIR", dir.file("no/such").c_str(), 1);
    EXPECT_FALSE(platform::File::create_scratch("CR", &name).is_open());
    EXPECT_EQ(name, dir.file("no/such/"));
    ::unsetenv("TMPDIR");
}

TEST(FileModes, ADirectoryDoesNotOpenForReading) {
    test::TempDir dir;
    EXPECT_FALSE(platform::File::open(dir.path().c_str(), platform::FileMode::read_shared).is_open());
}

TEST(DirectoryLength, BothSeparatorsAndDrivesOnWindowsOnlySlashOnLinux) {
    using platform::PathStyle;
    struct Case {
        const char* path;
        PathStyle style;
        std::size_t length;
    };
    const Case cases[] = {
        {"C:\\FAX\\IN\\0007.kvd", PathStyle::windows, 10}, {"sub/new.kvd", PathStyle::windows, 4},
        {"./doc.kvd", PathStyle::windows, 2},                 {"C:\\FAX/IN\\x/y.kvd", PathStyle::windows, 12},
        {"doc.kvd", PathStyle::windows, 0},                   {"C:doc.kvd", PathStyle::windows, 2},
        {"", PathStyle::windows, 0},                          {"1:doc.kvd", PathStyle::windows, 0},
        {"sub\\new.kvd", PathStyle::posix, 0},                {"/tmp/a\\b.kvd", PathStyle::posix, 5},
        {"C:doc.kvd", PathStyle::posix, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::directory_length(c.path, c.style, nullptr), c.length) << c.path;
}

TEST(DirectoryLength, TheSecondByteOfADoubleByteCharacterIsNoSeparator) {
    const std::string kanji_dir = "C:\\\x95\x5C\\doc.kvd";     // C:\<kanji>\doc.kvd
    const std::string kanji_name = "C:\\FAX\\\x95\x5C.kvd";    // C:\FAX\<kanji>.kvd
    EXPECT_EQ(platform::directory_length(kanji_dir, platform::PathStyle::windows, test::cp932_lead), 6u);
    EXPECT_EQ(platform::directory_length(kanji_name, platform::PathStyle::windows, test::cp932_lead), 7u);
    EXPECT_EQ(platform::length_through_last(kanji_name, '\\', test::cp932_lead), 7u);
    // A single-byte code page reads the same bytes as two characters, the second a separator.
    EXPECT_EQ(platform::length_through_last(kanji_name, '\\', nullptr), 9u);
}

class Replacement : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string target = dir.file("doc.kvd");

    std::size_t files_in_dir() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }
};

TEST_F(Replacement, OnlyACommittedCompleteFileTakesThePlace) {
    test::write_file(target, {1, 2, 3});
    test::write_file(dir.file("~doc.kvd"), {9});  // a user's own file of the old work-file form
    ::chmod(target.c_str(), 0640);
    {
        platform::FileReplacement first(target.c_str());
        platform::FileReplacement second(target.c_str());
        ASSERT_TRUE(first.good() && second.good());
        EXPECT_NE(first.work_path(), second.work_path());
        for (const std::string& work : {first.work_path(), second.work_path()}) {
            const std::string name = work.substr(dir.file("").size());
            EXPECT_EQ(name.size(), 15u) << name;
            EXPECT_EQ(name.find_first_not_of("0123456789abcdef", 3), 11u) << name;
            EXPECT_EQ(name.substr(0, 3) + name.substr(11), "~kv.tmp") << name;
        }
        EXPECT_TRUE(first.write("abcd", 4) && second.write("xy", 2));
        EXPECT_EQ(test::read_file(target), (test::Bytes {1, 2, 3}));  // untouched before the commit
        EXPECT_TRUE(first.seek(1) && first.write("B", 1));
        EXPECT_TRUE(first.commit());
        EXPECT_FALSE(first.write("z", 1));
        // `second` is never committed.
    }
    EXPECT_EQ(test::read_file(target), (test::Bytes {'a', 'B', 'c', 'd'}));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(test::read_file(dir.file("~doc.kvd")), (test::Bytes {9}));
    EXPECT_EQ(files_in_dir(), 2u);

    // A directory that does not exist: nothing can be written, nothing is made.
    platform::FileReplacement nowhere(dir.file("no/such.kvd").c_str());
    EXPECT_FALSE(nowhere.good() || nowhere.write("a", 1) || nowhere.commit());
    EXPECT_FALSE(test::file_present(dir.file("no")));
}

}  // namespace
}  // namespace korvif

namespace korvif {
namespace {

// Stand-ins for the system's conversions with code page 1252: Latin-1 letters convert exactly;
// the strict form refuses anything else, the bending form writes 'L' for 'Ł' as the code page's
// "best fit" table does.
std::optional<std::string> strict_1252(std::wstring_view wide) {
    std::string text;
    for (wchar_t c : wide) {
        if (c > 0xFF) return std::nullopt;
        text.push_back(static_cast<char>(c));
    }
    return text;
}

std::optional<std::string> bending_1252(std::wstring_view wide) {
    std::string text;
    for (wchar_t c : wide) text.push_back(c == L'\u0141' ? 'L' : static_cast<char>(c));
    return text;
}

std::wstring from_1252(std::string_view text) {
    std::wstring wide;
    for (char c : text) wide.push_back(static_cast<unsigned char>(c));
    return wide;
}

TEST(HostPathText, OnlyTextThatNamesTheSameFileGoesToTheHost) {
    using platform::HostPathCheck;
    struct Case {
        const wchar_t* path;
        platform::ToAnsi to_ansi;
        HostPathCheck check;
        const char* text;
    };
    const Case cases[] = {
        {L"C:\\FAX\\RECHNU~1.KVD", strict_1252, HostPathCheck::exact, "C:\\FAX\\RECHNU~1.KVD"},
        {L"C:\\FAX\\M\u00fcller.kvd", strict_1252, HostPathCheck::exact, "C:\\FAX\\M\xfcller.kvd"},
        {L"C:\\FAX\\\u0141ukasz.kvd", strict_1252, HostPathCheck::not_in_ansi, ""},
        {L"C:\\FAX\\\u0141ukasz.kvd", bending_1252, HostPathCheck::not_in_ansi, ""},  // would name Lukasz.kvd
        {L"C:\\FAX\\\u0421\u0447\u0451\u0442.kvd", strict_1252, HostPathCheck::not_in_ansi, ""},
        {L"C:\\FAX\\a,b.kvd", strict_1252, HostPathCheck::holds_comma, ""},
        {L"", strict_1252, HostPathCheck::not_in_ansi, ""},
    };
    for (const Case& c : cases) {
        std::string text = "stale";
        EXPECT_EQ(platform::host_path_text(c.path, c.to_ansi, from_1252, text), c.check);
        EXPECT_EQ(text, c.text);
    }
}

// The steps of a run that ends at once, as they are taken.
std::string steps_taken;

TEST(EndSteps, TheHostIsFreedBeforeTheTraceIsWritten) {
    const platform::EndSteps steps {[] { steps_taken += "host "; }, [] { steps_taken += "work-file "; }};
    struct Case {
        platform::LastLine last_line;
        const char* taken;
    };
    const Case cases[] = {
        {[](const char* what) { steps_taken += std::string("line ") + what + " "; }, "host line crash work-file "},
        {nullptr, "host work-file "},
    };
    for (const Case& c : cases) {
        steps_taken.clear();
        platform::end_steps(steps, c.last_line, "crash");
        EXPECT_EQ(steps_taken, c.taken);
    }
}

// The flags the system takes for the exact conversion: the code pages that refuse any flag and
// any default-character pointer (UTF-8 as the ANSI code page above all) would fail every path.
TEST(ExactConversion, FlaglessCodePagesAreConvertedPlainly) {
    using platform::ExactConversion;
    const ExactConversion careful {ExactConversion::no_best_fit, true};
    const ExactConversion plain {0, false};
    struct Case {
        unsigned code_page;
        ExactConversion conversion;
    };
    const Case cases[] = {
        {1252, careful}, {932, careful}, {936, careful}, {65001, plain}, {65000, plain},
        {54936, plain},  {57001, careful}, {57002, plain}, {57011, plain}, {57012, careful},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::exact_conversion(c.code_page), c.conversion) << c.code_page;
}

}  // namespace
}  // namespace korvif

namespace korvif {
namespace {

TEST_F(Replacement, ATargetWithoutWriteBitsIsRefusedAndALinkStays) {
    test::write_file(target, {1, 2, 3});
    ::chmod(target.c_str(), 0444);  // refused also for root, whom the system would let write it
    {
        platform::FileReplacement replacement(target.c_str());
        EXPECT_TRUE(replacement.write("ab", 2));
        EXPECT_FALSE(replacement.commit());
    }
    EXPECT_EQ(test::read_file(target), (test::Bytes {1, 2, 3}));
    EXPECT_EQ(files_in_dir(), 1u);

    ::chmod(target.c_str(), 0644);
    std::filesystem::create_directory(dir.file("links"));
    const std::string link = dir.file("links/doc.kvd");
    std::filesystem::create_symlink(target, link);
    {
        platform::FileReplacement replacement(link.c_str());
        EXPECT_EQ(replacement.work_path().rfind(dir.file("~kv"), 0), 0u);  // beside the file, not the link
        EXPECT_TRUE(replacement.write("ab", 2) && replacement.commit());
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::read_file(target), (test::Bytes {'a', 'b'}));
}

TEST_F(Replacement, OnlyOldWorkFilesOfItsOwnPatternAreCleanedUp) {
    struct Case {
        const char* name;
        bool old;
        bool removed;
    };
    const Case cases[] = {
        {"~kv0123abcd.tmp", true, true},   {"~kv0123abce.tmp", false, false}, {"~kb0123abcd.tmp", true, false},
        {"~kv0123abc.tmp", true, false},   {"~kv0123abcdx.tmp", true, false}, {"~isdnfax.sff", true, false},
        {"~ikvd001.kvd", true, false},     {"~kvnothex1.tmp", true, false},
    };
    for (const Case& c : cases) {
        test::write_file(dir.file(c.name), {1});
        if (c.old) std::filesystem::last_write_time(dir.file(c.name), std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
    }
    { platform::FileReplacement replacement(target.c_str()); }
    for (const Case& c : cases) EXPECT_EQ(test::file_present(dir.file(c.name)), !c.removed) << c.name;
}

TEST_F(Replacement, ADiscardedOutputGoesUnlessANewerOneTookItsPlace) {
    test::write_file(target, {1});
    {
        platform::FileReplacement replacement(target.c_str());
        replacement.discard_earlier_target();
    }
    EXPECT_FALSE(test::file_present(target));

    test::write_file(target, {1});
    {
        platform::FileReplacement replacement(target.c_str());
        test::write_file(dir.file("newer"), {2, 2});
        std::filesystem::rename(dir.file("newer"), target);  // another run's complete file
        replacement.discard_earlier_target();
    }
    EXPECT_EQ(test::read_file(target), (test::Bytes {2, 2}));
}

}  // namespace
}  // namespace korvif
