#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/dispatch.h"
#include "support/files.h"

namespace korvif {
namespace {

TEST(KeywordTable, HoldsTheSeventeenCommandsInTheirOrder) {
    // clang-format off
    const char* expected[] = {"S2F:", "F2S:", "STI:", "STM:", "F2D:", "ROT:", "SCL:", "INV:", "RES:", "D2F:",
                              "F2P:", "F2T:", "HELP:", "FDOPEN:", "FDSAVE:", "INFO:", "INSTALLFAXPRINTER"};
    // clang-format on
    ASSERT_EQ(command_table.size(), std::size(expected));
    for (std::size_t i = 0; i < command_table.size(); ++i) EXPECT_EQ(command_table[i].keyword, expected[i]);
    // No keyword is a prefix of another, so the order never changes which command runs.
    for (const Command& a : command_table) {
        for (const Command& b : command_table) {
            if (&a == &b) continue;
            EXPECT_NE(b.keyword.substr(0, a.keyword.size()), a.keyword);
        }
    }
}

TEST(FindCommand, MatchesKeywordsRegardlessOfCase) {
    struct Case {
        const char* text;
        const char* keyword;  // null: no command
    };
    const Case cases[] = {
        {"S2F:0,a,b", "S2F:"},
        {"s2f:0,a,b", "S2F:"},
        {"fDsAvE:1", "FDSAVE:"},
        {"info:", "INFO:"},
        {"INSTALLFAXPRINTER", "INSTALLFAXPRINTER"},
        {"installFaxPrinter:with,arguments", "INSTALLFAXPRINTER"},
        {"INSTALLFAXPRINTE", nullptr},
        {"S2F", nullptr},  // shorter than the keyword
        {"", nullptr},
        {"\tS2F:", nullptr},
        {"XYZ:1", nullptr},
        {" S2F:", nullptr},
    };
    for (const Case& c : cases) {
        const Command* command = find_command(c.text);
        if (c.keyword == nullptr) {
            EXPECT_EQ(command, nullptr) << c.text;
        } else {
            ASSERT_NE(command, nullptr) << c.text;
            EXPECT_EQ(command->keyword, c.keyword) << c.text;
        }
    }
}

TEST(DispatchCommand, EndsWithExitCodeZeroWhateverTheText) {
    const char* texts[] = {"", "UNKNOWN:", "S2F:", "S2F:0", "F2S:,,,,", "INV:", "INSTALLFAXPRINTER_x"};
    for (const char* text : texts) EXPECT_EQ(test::run_command(text), 0) << text;
    EXPECT_EQ(dispatch_command(nullptr, nullptr, nullptr, 1), 0);
}

// The native program as a person at a terminal runs it: the usage text on standard error when
// no command keyword begins the text, and only then; the exit code stays 0.
TEST(NativeProgram, ShowsItsUsageOnlyWithoutACommandKeyword) {
    struct Case {
        const char* arguments;
        bool usage;
    };
    // clang-format off
    const Case cases[] = {{"", true}, {"--help", true}, {"XYZ:1", true}, {"' S2F:0,a,b'", true},
                          {"f2d:1,0", false}, {"INV:/nonexistent/x.bmp", false}, {"INSTALLFAXPRINTER", false}};
    // clang-format on
    for (const Case& c : cases) {
        const std::string command =
            "'" KORVIF_PROGRAM "' " + std::string(c.arguments) + " 2>&1 >/dev/null; echo \"exit $?\"";
        std::FILE* run = popen(command.c_str(), "r");
        ASSERT_NE(run, nullptr);
        std::string output;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, run) != nullptr) output += buffer;
        pclose(run);
        EXPECT_EQ(output.find("usage: korvif32") != std::string::npos, c.usage) << c.arguments << ": " << output;
        EXPECT_NE(output.find("exit 0"), std::string::npos) << c.arguments << ": " << output;
    }
}

// The trace on standard error as the usage text advises, with standard error a pipe: into a reader
// the lines arrive; a reader that has gone ends the trace, not the run, which still writes.
TEST(NativeProgram, TracesIntoAPipeOnStandardError) {
    test::TempDir dir;
    const std::string command = "S2F:0," KORVIF_TEST_DATA_DIR "/../../samples/sample.sff," + dir.file("sample.kvd");
    std::FILE* reader =
        popen(("KORVIF_TRACE=/dev/stderr '" KORVIF_PROGRAM "' '" + command + "' 2>&1 >/dev/null").c_str(), "r");
    ASSERT_NE(reader, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, reader) != nullptr) output += buffer;
    pclose(reader);
    EXPECT_NE(output.find("wrote \"" + dir.file("sample.kvd") + "\""), std::string::npos) << output;

    std::filesystem::remove(dir.file("sample.kvd"));
    const std::string gone_reader =
        "KORVIF_TRACE=/dev/stderr python3 -c 'import os, subprocess, sys; r, w = os.pipe(); os.close(r); "
        "sys.exit(subprocess.call(sys.argv[1:], stderr=w) != 0)' '" KORVIF_PROGRAM "' '" +
        command + "'";
    EXPECT_EQ(std::system(gone_reader.c_str()), 0);
    EXPECT_TRUE(test::file_present(dir.file("sample.kvd")));
}

}  // namespace
}  // namespace korvif
