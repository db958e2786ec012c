#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "platform/files/file.h"
#include "platform/files/host_text.h"
#include "platform/files/path.h"
#include "platform/process/process.h"
#include "platform/replace/replacement.h"
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
        // clang-format off
        {dir.file("0007.kvd"), true}, {dir.path().string(), true}, {dir.file("*.kvd"), true},
        {dir.file("00??.kvd"), true}, {dir.file("*.bmp"), false},  {dir.file("missing.kvd"), false},
        // clang-format on
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::file_exists(c.path.c_str()), c.found) << c.path;
}

TEST(ScratchFiles, ReadAndWrittenThroughOneHandleAndGoneWithIt) {
    test::TempDir dir;
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    {
        const Outcome<platform::NativePath> temporary = platform::temporary_directory();
        ASSERT_TRUE(temporary);
        EXPECT_EQ(*temporary, dir.file(""));
        Outcome<platform::ScratchFile> scratch = platform::File::create_scratch(*temporary, "CR");
        ASSERT_TRUE(scratch);
        const std::string& name = scratch->name;
        EXPECT_EQ(name.rfind(dir.file("CR"), 0), 0u);
        EXPECT_EQ(name.size(), dir.file("").size() + platform::numbered_name_length - 1);
        // Nothing to be found under its name even while it is in use: a killed run leaves nothing.
        EXPECT_FALSE(test::file_present(name));
        std::uint8_t back[3] = {};
        ASSERT_TRUE(scratch->file.write("abc", 3) && scratch->file.seek(0));
        EXPECT_EQ(scratch->file.read(back, 3).value_or(0), 3u);
        EXPECT_EQ(std::string(back, back + 3), "abc");
    }
    ::setenv("TMPDIR", dir.file("no/such").c_str(), 1);
    EXPECT_EQ(platform::temporary_directory().value_or(""), dir.file("no/such/"));
    EXPECT_FALSE(platform::File::create_scratch(dir.file("no/such/"), "CR"));
    ::unsetenv("TMPDIR");
}

// Only a regular file opens for reading: a directory, a device, or a FIFO, also one whose writer
// holds it open with bytes in it.
TEST(FileModes, OnlyARegularFileOpensForReading) {
    test::TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int writer = ::open(fifo.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "BM", 2), 2);
    for (const std::string& path : {dir.path().string(), fifo, std::string("/dev/zero")}) {
        for (const auto mode : {platform::FileMode::read_shared, platform::FileMode::read_deny_write}) {
            EXPECT_FALSE(platform::File::open(path.c_str(), mode)) << path;
        }
    }
    ::close(writer);
}

// A new file's name that exists is told from any other refusal: work file names are tried until
// one is free, and only while the names are taken.
TEST(FileModes, ANewFileTellsATakenNameFromOtherRefusals) {
    test::TempDir dir;
    test::write_file(dir.file("taken"), {1});
    EXPECT_EQ(platform::File::create_new(dir.file("taken")).failure(), Failure::name_taken);
    EXPECT_EQ(platform::File::create_new(dir.file("no/such")).failure(), Failure::cannot_be_written);
    EXPECT_TRUE(platform::File::create_new(dir.file("new")));
    EXPECT_EQ(test::read_file(dir.file("taken")), (test::Bytes {1}));
}

// The directory part ends at the last separator or a drive; the "*" of an output takes the
// input's directory up to its last separator only, where a drive colon does not count.
TEST(DirectoryLength, BothSeparatorsAndDrivesOnWindowsOnlySlashOnLinux) {
    using platform::PathStyle;
    struct Case {
        const char* path;
        PathStyle style;
        std::size_t directory;
        std::size_t through_separator;
    };
    const Case cases[] = {
        // clang-format off
        {"C:\\FAX\\IN\\0007.kvd", PathStyle::windows, 10, 10}, {"sub/new.kvd", PathStyle::windows, 4, 4},
        {"./doc.kvd", PathStyle::windows, 2, 2},                 {"C:\\FAX/IN\\x/y.kvd", PathStyle::windows, 12, 12},
        {"Z:/fax/in/0007.kvd", PathStyle::windows, 10, 10},      {"Z:\\fax\\in/0007.kvd", PathStyle::windows, 10, 10},
        {"doc.kvd", PathStyle::windows, 0, 0},                   {"C:doc.kvd", PathStyle::windows, 2, 0},
        {"", PathStyle::windows, 0, 0},                          {"1:doc.kvd", PathStyle::windows, 0, 0},
        {"sub\\new.kvd", PathStyle::posix, 0, 0},                {"/tmp/a\\b.kvd", PathStyle::posix, 5, 5},
        // clang-format on
        {"C:doc.kvd", PathStyle::posix, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::directory_length(c.path, c.style, nullptr), c.directory) << c.path;
        EXPECT_EQ(platform::length_through_last_separator(c.path, c.style, nullptr), c.through_separator) << c.path;
    }
}

// Windows takes these names for a device or a pipe wherever they stand; no input or output, and
// no trace, is ever opened under one.
TEST(DeviceNames, WindowsDeviceAndPipeNamesAreRecognised) {
    struct Case {
        const wchar_t* path;
        bool device;
    };
    const Case cases[] = {
        // clang-format off
        {L"CON", true}, {L"nul", true}, {L"Aux.log", true}, {L"C:\\temp\\prn.txt", true}, {L"C:lpt1", true},
        {L"COM9", true}, {L"com1:", true}, {L"D:/logs/NUL .txt", true}, {L"LPT\u00B9", true}, {L"conout$", true},
        {L"COM0", true}, {L"lpt0.log", true}, {L"C:\\w\\COM1", true}, {L"C:\\w\\com5.kvd:stream", true},
        {L"\\\\.\\pipe\\trace", true}, {L"//./COM3", true}, {L"\\??\\C:\\x.log", true}, {L"\\\\server\\PIPE\\x", true},
        {L"\\\\server\\mailslot\\x", true},
        // After "\\?\" only a drive, a share (not the pipes) or a volume is a path.
        {L"\\\\?\\GLOBALROOT\\Device\\Serial0", true}, {L"\\\\?\\COM1", true}, {L"\\\\?\\pipe\\x", true},
        {L"\\\\?\\C:", true}, {L"\\\\?\\UNC\\server\\pipe\\x", true}, {L"\\\\?\\Volume{1234}", true},
        {L"\\\\?\\", true}, {L"//?/COM2", true},
        {L"\\\\?\\C:\\temp\\trace.log", false}, {L"\\\\?\\UNC\\server\\share\\x.kvd", false},
        {L"\\\\?\\Volume{1234-abcd}\\fax\\x.kvd", false}, {L"\\\\?\\c:\\fax\\x.kvd", false},
        // Full paths as the system gives them.
        {L"\\\\.\\COM1", true}, {L"C:\\temp\\korvif.log", false}, {L"\\\\server\\share\\nul-x.log", false},
        {L"console.log", false}, {L"COM10", false}, {L"LPT", false}, {L"C:\\CON\\trace.log", false},
        {L"auxiliary.txt", false}, {L"C:\\w\\COMMA.bmp", false}, {L"", false},
        // clang-format on
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::names_windows_device(c.path), c.device) << testing::PrintToString(std::wstring(c.path));
    }
}

TEST(DirectoryLength, TheSecondByteOfADoubleByteCharacterIsNoSeparator) {
    const std::string kanji_dir = "C:\\\x95\x5C\\doc.kvd";   // C:\<kanji>\doc.kvd
    const std::string kanji_name = "C:\\FAX\\\x95\x5C.kvd";  // C:\FAX\<kanji>.kvd
    EXPECT_EQ(platform::directory_length(kanji_dir, platform::PathStyle::windows, test::cp932_lead), 6u);
    EXPECT_EQ(platform::directory_length(kanji_name, platform::PathStyle::windows, test::cp932_lead), 7u);
    EXPECT_EQ(platform::length_through_last_separator(kanji_name, platform::PathStyle::windows, test::cp932_lead), 7u);
    // A single-byte code page reads the same bytes as two characters, the second a separator.
    EXPECT_EQ(platform::length_through_last_separator(kanji_name, platform::PathStyle::windows, nullptr), 9u);
    const std::string kanji_slash = "Z:/FAX/\x95\x5C/x.kvd";  // Z:/FAX/<kanji>/x.kvd
    EXPECT_EQ(platform::length_through_last_separator(kanji_slash, platform::PathStyle::windows, test::cp932_lead),
              10u);
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
        {1252, careful}, {932, careful},   {936, careful}, {65001, plain}, {65000, plain},
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
        int minutes_old;
        bool removed;
    };
    const Case cases[] = {
        {"~kv0123abcd.tmp", 61, true},   {"~kv0123abce.tmp", 59, false}, {"~kv0123abcf.tmp", 0, false},
        {"~kb0123abcd.tmp", 120, false}, {"~kv0123abc.tmp", 120, false}, {"~kv0123abcdx.tmp", 120, false},
        {"~isdnfax.sff", 120, false},    {"~ikvd001.kvd", 120, false},   {"~kvnothex1.tmp", 120, false},
        {"~kv0123abcg.tmp", 120, false},
    };
    for (const Case& c : cases) {
        test::write_file(dir.file(c.name), {1});
        std::filesystem::last_write_time(
            dir.file(c.name), std::filesystem::file_time_type::clock::now() - std::chrono::minutes(c.minutes_old));
    }
    { platform::FileReplacement replacement(target.c_str()); }
    for (const Case& c : cases) EXPECT_EQ(test::file_present(dir.file(c.name)), !c.removed) << c.name;
}

// The earlier output goes only while it is the version that stood there: a newer file put in its
// place stays, also one of the same size, or of the same size and time (another file).
TEST_F(Replacement, ADiscardedOutputGoesUnlessANewerOneTookItsPlace) {
    struct Case {
        const char* what;
        test::Bytes newer;  // none: the earlier file still stands
        bool same_time;
    };
    const Case cases[] = {
        {"the earlier file", {}, false},
        {"a newer file of another size", {2, 2}, false},
        {"a newer file of the same size", {2}, false},
        {"another file of the same size and time", {2}, true},
    };
    for (const Case& c : cases) {
        test::write_file(target, {1});
        const auto stood = std::filesystem::last_write_time(target);
        std::optional<platform::EarlierOutput> earlier(std::in_place, target.c_str());
        if (!c.newer.empty()) {
            // The earlier file stays linked while the newer one is made, so that the newer one
            // cannot get its number.
            std::filesystem::create_hard_link(target, dir.file("earlier"));
            test::write_file(dir.file("newer"), c.newer);
            std::filesystem::last_write_time(dir.file("newer"), c.same_time ? stood : stood + std::chrono::seconds(1));
            std::filesystem::rename(dir.file("newer"), target);  // another run's complete file
            std::filesystem::remove(dir.file("earlier"));
        }
        earlier.reset();  // not kept: it goes
        EXPECT_EQ(test::file_present(target) ? test::read_file(target) : test::Bytes {}, c.newer) << c.what;
    }
}

// A folder, a FIFO or a device is never an output: nothing is made beside it, nothing moved.
TEST_F(Replacement, OnlyAPlainFileIsReplaced) {
    std::filesystem::create_directory(dir.file("Letters"));
    test::write_file(dir.file("Letters/a.kvd"), {1});
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir.file("Letters"), dir.file("folder-link"));
    for (const char* name : {"Letters", "fifo", "folder-link"}) {
        platform::FileReplacement replacement(dir.file(name).c_str());
        EXPECT_FALSE(replacement.good() || replacement.write("ab", 2) || replacement.commit()) << name;
        EXPECT_FALSE(platform::EarlierOutput(dir.file(name).c_str())) << name;
    }
    EXPECT_EQ(files_in_dir(), 3u);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("Letters")));
    EXPECT_EQ(test::read_file(dir.file("Letters/a.kvd")), (test::Bytes {1}));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.file("fifo")));
    EXPECT_FALSE(platform::FileReplacement("/dev/null").good());
}

}  // namespace
}  // namespace korvif
