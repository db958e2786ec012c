// The opt-in trace: with KORVIF_TRACE set, each run appends lines that name what it did and the
// one reason it stopped; the outputs are the same with and without it; runs at the same time
// interleave whole lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

#include "support/bitmaps.h"
#include "support/documents.h"
#include "support/mh_writer.h"
#include "support/sff_builder.h"

namespace korvif {
namespace {

using test::Bytes;

class Trace : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string trace_file = dir.file("trace.log");

    // Makes the inputs in a directory of their own: a two-page and a one-page document, a page bitmap, an
    // 8-bit bitmap and an earlier output.
    std::string inputs(const std::string& name) {
        const std::string at = dir.file(name);
        std::filesystem::create_directory(at);
        test::MhWriter page;
        for (int i = 0; i < 20; ++i) page.aligned_eol().runs({i * 10, 5, 1723 - i * 10}).fill_to_byte();
        for (int i = 0; i < 6; ++i) page.eol();
        test::write_file(at + "/doc.kvd", test::make_document({page.bytes(), page.bytes()}, 0));
        test::write_file(at + "/one.kvd", test::make_document({page.bytes()}, 0));
        PackedBitmap bitmap = test::make_mono_bitmap(1728, 10, [](int x, int y) { return x == y; });
        test::write_file(at + "/page.bmp", test::bmp_file_bytes(bitmap));
        bitmap.write_u32(8, static_cast<std::uint32_t>(-10));
        test::write_file(at + "/top-down.bmp", test::bmp_file_bytes(bitmap));
        EXPECT_EQ(test::shell("pbmtext -nomargins 'Korvane' | ppmtobmp -bpp 8 > " + at + "/grey.bmp 2>/dev/null"), 0);
        test::write_file(at + "/out.bmp", {'o', 'l', 'd'});
        test::write_file(
            at + "/mixed.sff",
            test::SffBuilder().page(0).line({0x35, 0x01}).page(1, 16, 2048).line({7}).end_of_document().bytes());
        test::write_file(at + "/one.sff", test::SffBuilder().page(0).line({0x35, 0x01}).end_of_document().bytes());
        return at;
    }
};

TEST_F(Trace, EachRunNamesItsReasonAndTheOutputsStayTheSame) {
    struct Case {
        std::string command;  // @ stands for the inputs' directory
        std::string reason;   // the trace contains it ("[*]" stands for the process id)
    };
    const std::string long_name(269, 'x');
    const Case cases[] = {
        {"F2D:1,0,@/doc.kvd,@/out.bmp", "wrote \"@/out.bmp\""},
        {"D2F:1,@/grey.bmp,@/out.g3", "not a 1-bit bitmap: 8 bits per pixel"},
        {"D2F:1,@/page.bmp,@/out.g3", "wrote \"@/out.g3\""},
        {"RES:@/doc.kvd,@/out.kvd", "wrote \"@/out.kvd\" ("},
        {"RES:@/doc.kvd,/" + long_name, "output path of 270 characters refused"},
        {"RES:@/doc.kvd,@/no/such/out.kvd", "no work file can be made in \"@/no/such/\": error"},
        // Paths are quoted, so that blanks at their ends show.
        {"F2D:1,0,@/doc.kvd,@/ out .bmp", "output \"@/ out .bmp\"\n"},
        // What the output cannot keep, or does not hold, is said.
        {"F2S:0,3,4,@/doc.kvd,@/", "no page of the document lies in 3..4"},
        {"F2S:0,1,1,@/doc.kvd,@/", ".tmp\" new, for writing\n[*] no header strip ~ikvd001.kvd\n"},
        {"S2F:0,@/mixed.sff,@/out.kvd",
         "page 2 is 2048 pixels wide: cut to 1728\n[*] page 2 is of fine resolution: drawn at the first page's normal "
         "resolution\n"},
        {"XYZ:1", "stop: no command keyword"},
        // A count of one is singular.
        {"F2D:1,0,@/one.kvd,@/out.bmp", " bytes, 1 page, fine flag 0\n"},
        {"S2F:0,@/one.sff,@/out.kvd", "SFF file read: 1 page, fine flag 0,"},
        {"ROT:1,@/page.bmp,@/out.bmp", "] 1 quarter turn\n"},
        // Negative numbers are shown as given.
        {"F2D:-1,0,@/doc.kvd,@/out.bmp", "page -1, options 0,"},
        {"F2S:0,-1,2,@/doc.kvd,@/", "pages -1 to 2 of"},
        // A top-down picture turns and scales.
        {"ROT:1,@/top-down.bmp,@/out.bmp", "wrote \"@/out.bmp\""},
        {"SCL:1,100,20,@/top-down.bmp,@/out.bmp", "wrote \"@/out.bmp\""},
        // The native build says what it does not do.
        {"STI:0,1,2,3,4,tip", "stop: this build has no Windows desktop: STI does nothing"},
        {"STM:1,2,3", "stop: this build has no Windows desktop: STM does nothing"},
        {"INFO:1,2", "stop: this build has no Windows desktop: INFO does nothing"},
        {"HELP:1,1,0,help.hlp", "stop: this build has no Windows desktop: HELP does nothing"},
        {"FDOPEN:1,2,0,", "stop: this build has no Windows desktop: FDOPEN does nothing"},
        {"FDSAVE:1,2,0,", "stop: this build has no Windows desktop: FDSAVE does nothing"},
        {"INSTALLFAXPRINTER", "stop: this build has no print spooler: INSTALLFAXPRINTER does nothing"},
    };
    int run = 0;
    for (const Case& c : cases) {
        ++run;
        const std::string plain = inputs("plain" + std::to_string(run));
        const std::string traced = inputs("traced" + std::to_string(run));
        auto in = [&](std::string text, const std::string& directory) {
            for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + directory.size())) {
                text.replace(at, 1, directory);
            }
            return text;
        };
        test::run_command(in(c.command, plain));
        setenv("KORVIF_TRACE", trace_file.c_str(), 1);
        std::filesystem::remove(trace_file);
        test::run_command(in(c.command, traced));
        unsetenv("KORVIF_TRACE");
        EXPECT_EQ(test::files_in(plain), test::files_in(traced)) << c.command;

        const std::vector<std::string> lines = test::lines_of(trace_file);
        ASSERT_GE(lines.size(), 2u) << c.command;
        EXPECT_NE(lines.front().find("korvif32 "), std::string::npos);
        EXPECT_NE(lines.front().find(": " + in(c.command, traced)), std::string::npos) << lines.front();
        EXPECT_NE(lines.back().find("] done in "), std::string::npos) << lines.back();
        std::string all;
        for (const std::string& line : lines) all += line + "\n";
        std::string reason = in(c.reason, traced);
        for (std::size_t at = reason.find("[*]"); at != std::string::npos; at = reason.find("[*]")) {
            reason.replace(at, 3, "[" + std::to_string(getpid()) + "]");
        }
        EXPECT_NE(all.find(reason), std::string::npos) << c.command << "\n" << all;
        // The size given is the file's, also where its header was written again at the end.
        const std::regex wrote(R"re(\] wrote "(.*)" \((\d+) bytes\)$)re");
        for (const std::string& line : lines) {
            std::smatch match;
            if (std::regex_search(line, match, wrote)) {
                EXPECT_EQ(std::to_string(std::filesystem::file_size(match[1].str())), match[2].str()) << line;
            }
        }
    }
}

TEST_F(Trace, NothingWithoutTheVariableAndAnUnwritableOrFullTraceIsIgnored) {
    const std::string at = inputs("ins");
    unsetenv("KORVIF_TRACE");
    test::run_command("F2D:1,0," + at + "/doc.kvd," + at + "/a.bmp");
    EXPECT_FALSE(test::file_present(trace_file));
    setenv("KORVIF_TRACE", dir.file("no/such/dir/trace.log").c_str(), 1);
    test::run_command("F2D:1,0," + at + "/doc.kvd," + at + "/b.bmp");
    unsetenv("KORVIF_TRACE");
    EXPECT_EQ(test::read_file(at + "/a.bmp"), test::read_file(at + "/b.bmp"));

    // A trace of 16 MB takes no more lines; one byte less takes the next (sparse files: no room
    // taken on the disk).
    constexpr std::uintmax_t full = std::uintmax_t {16} << 20;
    for (const std::uintmax_t size : {full, full - 1}) {
        test::write_file(trace_file, {});
        std::filesystem::resize_file(trace_file, size);
        setenv("KORVIF_TRACE", trace_file.c_str(), 1);
        test::run_command("F2D:1,0," + at + "/doc.kvd," + at + "/c.bmp");
        unsetenv("KORVIF_TRACE");
        EXPECT_EQ(std::filesystem::file_size(trace_file) > size, size < full) << size;
        EXPECT_EQ(test::read_file(at + "/a.bmp"), test::read_file(at + "/c.bmp"));
    }
}

// A trace on the file standard error is open on follows the caller's file position, whichever
// name opens it: what the caller writes after the run comes after the trace. A FIFO without a
// reader as the trace never holds the run.
TEST_F(Trace, OnStandardErrorStaysInOrderAndAFifoWithoutReaderHoldsNothing) {
    const std::string at = inputs("ins");
    unsetenv("KORVIF_TRACE");
    for (const std::string& name : {std::string("/dev/stderr"), std::string("/proc/self/fd/2"), trace_file}) {
        std::filesystem::remove(trace_file);
        ASSERT_EQ(test::shell("( KORVIF_TRACE='" + name + "' '" KORVIF_PROGRAM "' 'D2F:0," + at +
                              "/nothere.bmp,x.g3'; echo after >&2 ) 2>'" + trace_file + "'"),
                  0);
        const std::vector<std::string> lines = test::lines_of(trace_file);
        ASSERT_GE(lines.size(), 3u) << name;
        EXPECT_NE(lines.front().find("korvif32"), std::string::npos) << name;
        EXPECT_NE(lines[lines.size() - 2].find("] done in "), std::string::npos) << name;
        EXPECT_EQ(lines.back(), "after") << name;
    }
    const std::string fifo = dir.file("trace.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(test::shell("KORVIF_TRACE='" + fifo + "' timeout 60 '" KORVIF_PROGRAM "' 'F2D:1,0," + at + "/doc.kvd," +
                          at + "/fifo.bmp'"),
              0);
    EXPECT_TRUE(test::file_present(at + "/fifo.bmp"));
}

// Sixteen runs at once append to one trace: every line is whole, and each run's lines are all there.
TEST_F(Trace, RunsAtTheSameTimeInterleaveWholeLines) {
    const std::string at = inputs("ins");
    const std::string script = dir.file("runs.sh");
    std::ofstream(script) << "export KORVIF_TRACE='" << trace_file
                          << "'\nfor i in $(seq 16); do\n  '" KORVIF_PROGRAM "' \"F2D:1,0," << at << "/doc.kvd," << at
                          << "/out$i.bmp\" &\ndone\nwait\n";
    ASSERT_EQ(test::shell("bash " + script), 0);
    const std::regex first(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[(\d+)\] korvif32 [^:]+: F2D:1,0,.*/out\d+\.bmp)");
    // A line of a run; a torn line would hold a second "[" or lack the prefix.
    const std::regex other(R"(\[(\d+)\] [a-z][^\[]*)");
    std::map<std::string, int> lines_per_run;
    std::map<std::string, int> ends_per_run;
    for (const std::string& line : test::lines_of(trace_file)) {
        std::smatch match;
        const bool whole = std::regex_match(line, match, first) || std::regex_match(line, match, other);
        ASSERT_TRUE(whole) << "'" << line << "'";
        ++lines_per_run[match[1]];
        if (line.find("] done in ") != std::string::npos) ++ends_per_run[match[1]];
    }
    EXPECT_EQ(lines_per_run.size(), 16u);
    for (const auto& [run, count] : lines_per_run) {
        EXPECT_EQ(count, lines_per_run.begin()->second) << run;
        EXPECT_EQ(ends_per_run[run], 1) << run;
    }
}

}  // namespace
}  // namespace korvif
