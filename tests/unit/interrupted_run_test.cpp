// Runs ended by a signal half-way through a long document leave neither a work file beside the
// output nor a copy in the temporary directory, and the output is the old file or a whole new one.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/bitmaps.h"
#include "support/documents.h"
#include "support/files.h"

extern char** environ;

namespace korvif {
namespace {

bool any_named(const std::filesystem::path& directory, const std::string& prefix) {
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0) return true;
    }
    return false;
}

TEST(InterruptedRuns, LeaveNoWorkFileAndNoCopyBehind) {
    test::TempDir dir;
    const std::string temporary = dir.file("tmp");
    std::filesystem::create_directory(temporary);
    ::setenv("TMPDIR", temporary.c_str(), 1);

    // A long document of dense pages: noise, coded by D2F, 60 times over; and its SFF file.
    unsigned state = 12345;
    const PackedBitmap noise = test::make_mono_bitmap(
        1728, 1100, [&](int, int) { return ((state = state * 1103515245u + 12345u) >> 16) & 1; });
    test::write_file(dir.file("noise.bmp"), test::bmp_file_bytes(noise));
    test::run_command("D2F:1," + dir.file("noise.bmp") + "," + dir.file("noise.g3"));
    const test::Bytes document =
        test::make_document(std::vector<test::Bytes>(60, test::read_file(dir.file("noise.g3"))), 0);
    test::write_file(dir.file("long.kvd"), document);
    test::run_command("F2S:0,1,60," + dir.file("long.kvd") + "," + dir.file(""));
    std::filesystem::rename(dir.file("~isdnfax.sff"), dir.file("long.sff"));

    const std::string out = dir.file("out/");
    std::filesystem::create_directory(out);
    struct Command {
        std::string text;
        std::string output;
    };
    const Command commands[] = {
        {"S2F:0," + dir.file("long.sff") + "," + out + "doc.kvd", out + "doc.kvd"},
        {"RES:" + dir.file("long.kvd") + "," + out + "doc.kvd", out + "doc.kvd"},
        {"F2S:0,1,60," + dir.file("long.kvd") + "," + out, out + "~isdnfax.sff"},
    };
    for (const Command& command : commands) {
        const test::Bytes old = {'o', 'l', 'd'};
        test::write_file(command.output, old);
        test::run_command(command.text);
        const test::Bytes whole = test::read_file(command.output);
        int interrupted = 0;
        for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
            test::write_file(command.output, old);
            const char* argv[] = {KORVIF_PROGRAM, command.text.c_str(), nullptr};
            pid_t child = 0;
            ASSERT_EQ(::posix_spawn(&child, KORVIF_PROGRAM, nullptr, nullptr, const_cast<char**>(argv), environ), 0);
            // The signal comes once the work file is there, while the run writes it.
            int status = 0;
            while (::waitpid(child, &status, WNOHANG) == 0) {
                if (any_named(out, "~kv")) {
                    ::kill(child, signal_number);
                    ::waitpid(child, &status, 0);
                    break;
                }
            }
            if (WIFSIGNALED(status) && WTERMSIG(status) == signal_number) ++interrupted;
            EXPECT_FALSE(any_named(out, "~kv")) << command.text << ", signal " << signal_number;
            EXPECT_TRUE(std::filesystem::is_empty(temporary)) << command.text << ", signal " << signal_number;
            const test::Bytes left = test::read_file(command.output);
            EXPECT_TRUE(left == old || left == whole) << command.text << ", signal " << signal_number;
        }
        EXPECT_GT(interrupted, 0) << command.text << ": no run was caught half-way";
    }
    ::unsetenv("TMPDIR");
}

}  // namespace
}  // namespace korvif
