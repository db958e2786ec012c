// Bad input over all file commands: truncated files, sizes and counts at their limits, negative
// numbers, missing and empty fields, paths that do not exist or are directories. Every run ends
// with exit code 0, and where nothing is to be written an existing file of the output's name is
// left as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "faxdoc/document.h"
#include "support/bitmaps.h"
#include "support/documents.h"
#include "support/mh_writer.h"
#include "support/sff_builder.h"

namespace korvif {
namespace {

using test::Bytes;

const Bytes sentinel = {'o', 'l', 'd'};

class BadInput : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string kvd = dir.file("doc.kvd");
    std::string bmp = dir.file("page.bmp");
    std::string sff = dir.file("in.sff");
    std::string out = dir.file("out.file");
    std::string missing = dir.file("missing.file");
    std::string folder = dir.path().string();
    std::string fifo = dir.file("fifo");
    std::string letters = dir.file("Letters");  // a folder with a file in it

    void SetUp() override {
        test::MhWriter page;
        for (int i = 0; i < 20; ++i) page.aligned_eol().runs({i * 10, 5, 1723 - i * 10}).fill_to_byte();
        for (int i = 0; i < 6; ++i) page.eol();
        test::write_file(kvd, test::make_document({page.bytes(), page.bytes()}, 0));
        test::write_file(bmp,
                         test::bmp_file_bytes(test::make_mono_bitmap(1728, 10, [](int x, int y) { return x == y; })));
        test::SffBuilder source;
        source.page(0).line({0x35, 0x01}).blank_lines(3).page(1).line({7}).end_of_document();
        test::write_file(sff, source.bytes());
    }

    std::string expand(std::string text) const {
        const std::pair<const char*, const std::string*> names[] = {
            {"{kvd}", &kvd},         {"{bmp}", &bmp},    {"{sff}", &sff},   {"{out}", &out},
            {"{missing}", &missing}, {"{dir}", &folder}, {"{fifo}", &fifo}, {"{letters}", &letters}};
        for (const auto& [name, value] : names) {
            for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name))
                text.replace(at, std::strlen(name), *value);
        }
        return text;
    }

    // Runs the command with the output's name holding the sentinel; true when it is unchanged.
    bool leaves_output_alone(const std::string& command) {
        test::write_file(out, sentinel);
        EXPECT_EQ(test::run_command(expand(command)), 0) << command;
        return test::read_file(out) == sentinel;
    }
};

// Every reason a file command stops for: the run writes nothing (the directory stays as it was)
// and the trace's stop line names the reason, from the one table of all commands.
TEST_F(BadInput, EachStopWritesNothingAndNamesItsReason) {
    test::TempDir trace_dir;
    const std::string trace = trace_dir.file("trace.log");
    test::write_file(dir.file("one-row.bmp"), test::bmp_file_bytes(test::make_mono_bitmap(1728, 1)));
    test::write_file(dir.file("short.bmp"), {'B', 'M', 1, 0, 0, 0});  // declares a 1-byte file
    test::write_file(dir.file("short.kvd"), Bytes(1543, 0));
    test::write_file(dir.file("short.sff"), {'S', 'f', 'f', 'f'});
    Bytes colour_body(40 + 12 * 2, 0);
    colour_body[0] = 40, colour_body[4] = 4, colour_body[8] = 2, colour_body[12] = 1, colour_body[14] = 24;
    test::write_file(dir.file("colour.bmp"), test::bmp_file_bytes(test::block_of(colour_body)));
    const Bytes page = test::page_bytes(test::read_file(kvd), 1);
    test::write_file(dir.file("empty-page.kvd"), test::make_document({page, {}}, 0));
    test::write_file(dir.file("three-bytes.kvd"), test::make_document({page, {1, 2, 3}}, 0));
    test::write_file(dir.file("no-line.kvd"),
                     test::make_document({page, {0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80}}, 0));
    Bytes beyond = test::make_document({page, page}, 0);
    for (int i = 0; i < 4; ++i) beyond[512 + 4 + i] = 0xFF;  // page 2 starts far beyond the end
    test::write_file(dir.file("beyond.kvd"), beyond);
    PackedBitmap no_width = test::make_mono_bitmap(1728, 10);
    no_width.write_u32(4, static_cast<std::uint32_t>(-1728));
    test::write_file(dir.file("no-width.bmp"), test::bmp_file_bytes(no_width));
    // Other names of the inputs: a hard link, symbolic links, and a document that is the very
    // file F2S writes.
    std::filesystem::create_hard_link(kvd, dir.file("hard.kvd"));
    std::filesystem::create_symlink(sff, dir.file("link.sff"));
    std::filesystem::create_symlink(bmp, dir.file("link.bmp"));
    std::filesystem::create_directory(dir.file("own"));
    std::filesystem::copy_file(kvd, dir.file("own/~isdnfax.sff"));
    struct Case {
        std::string command;  // {dir}/no/such/ is a directory that does not exist
        std::string reason;   // what the stop line begins with
    };
    const std::string long_name(300, 'x');
    // A source of 2 GB, which RES does not copy (beside the trace: the cases compare the files of
    // `dir`); it takes no room on the disk.
    const std::string source_of_2_gb = trace_dir.file("2gb.kvd");
    test::write_file(source_of_2_gb, {});
    std::filesystem::resize_file(source_of_2_gb, 0x80000000u);
    const Case cases[] = {
        // missing fields and separators
        {"S2F:", "the second field is missing"},
        {"S2F:0", "the second field is missing"},
        {"S2F:0,{sff}", "the third field is missing"},
        {"S2F:0,,{out}", "the third field is missing"},  // ",{out}" is the second field
        {"F2S:", "the second field is missing"},
        {"F2S:0,1", "the third field is missing"},
        {"F2S:0,1,2", "the fourth field is missing"},
        {"F2S:0,1,2,{kvd}", "the fifth field is missing"},
        {"F2D:1", "the second field is missing"},
        {"F2D:1,0", "the third field is missing"},
        {"F2D:1,0,{kvd}", "the fourth field is missing"},
        {"F2P:1", "the second field is missing"},
        {"F2P:1,2", "the third field is missing"},
        {"F2T:1,2,{kvd}", "the fourth field is missing"},
        {"D2F:", "the second field is missing"},
        {"D2F:0,{bmp}", "the third field is missing"},
        {"RES:", "the second field is missing"},
        {"RES:{kvd}", "the second field is missing"},
        {"ROT:", "the second field is missing"},
        {"ROT:1", "the second field is missing"},
        {"SCL:", "the second field is missing"},
        {"SCL:1,10", "the third field is missing"},
        {"SCL:1,10,10,{bmp}", "the fifth field is missing"},
        // empty paths and output paths that cannot be used
        {"INV:", "no usable output path"},
        {"INV:{bmp},", "no usable output path"},
        {"INV:{bmp}," + long_name, "no usable output path"},
        {"F2D:1,0,{kvd},", "no usable output path"},
        {"F2D:1,0,{kvd},*" + std::string(250, 'x'), "no usable output path"},  // too long once completed
        {"F2P:1,2,{kvd},", "no usable output path"},
        {"F2T:1,2,{kvd},*" + std::string(250, 'x'), "no usable output path"},
        {"D2F:0,{bmp},", "no usable output path"},
        {"RES:{kvd},", "no usable output path"},
        {"SCL:1,10,10,{bmp},", "no usable output path"},
        {"S2F:0,{sff},", "the document path is empty"},
        {"F2S:0,1,1,,{dir}/", "the document path is empty"},
        {"F2D:1,0,,{out}", "the document path is empty"},
        {"F2P:1,2,,{out}", "the document path is empty"},
        {"F2T:1,2,,{out}", "the document path is empty"},
        {"D2F:0,,{out}", "the bitmap path is empty"},
        {"RES:,{out}", "the source path is empty"},
        {"INV:,{out}", "the input path is empty"},
        {"ROT:1,,{out}", "the input path is empty"},
        {"SCL:1,10,10,,{out}", "the input path is empty"},
        {"F2S:0,1,1,{kvd}," + std::string(250, 'p') + "/", "directory prefix of 251 characters refused (at most 242)"},
        // inputs that do not exist, are directories or are too short
        {"S2F:0,{missing},{out}", "the SFF file was not found"},
        {"S2F:0,{dir},{out}", "the SFF file cannot be opened: error 21: Is a directory"},
        {"S2F:0,{dir}/short.sff,{out}", "the SFF file is shorter than its 20-byte header"},
        {"F2S:0,1,1,{missing},{dir}/", "the document was not found"},
        {"F2S:0,1,1,{dir}/short.kvd,{dir}/", "the document cannot be read"},
        {"F2D:1,0,{missing},{out}", "the document was not found"},
        {"F2D:1,0,{dir},{out}", "the document cannot be read"},
        {"F2D:1,0,{dir}/short.kvd,{out}", "the document cannot be read"},
        {"F2P:1,2,{missing},{out}", "the document was not found"},
        {"F2T:1,2,{dir},{out}", "the document cannot be read"},
        {"F2P:1,2,{dir}/short.kvd,{out}", "the document cannot be read"},
        {"D2F:0,{missing},{out}", "the bitmap was not found"},
        {"D2F:0,{dir},{out}", "the bitmap cannot be loaded"},
        {"D2F:0,{dir}/short.bmp,{out}", "the bitmap cannot be loaded"},
        {"D2F:0,{dir}/colour.bmp,{out}", "the bitmap cannot be coded"},
        {"D2F:0,{dir}/one-row.bmp,{out}", "too few rows to code"},
        {"RES:{missing},{out}", "the source was not found"},
        {"RES:{dir},{out}", "the source cannot be copied to "},
        {"RES:{dir}/short.kvd,{out}", "the source cannot be read as a document"},
        {"RES:" + source_of_2_gb + ",{out}", "the source cannot be copied to "},
        {"INV:{missing},{out}", "the input was not found"},
        {"INV:{dir},{out}", "the input cannot be loaded"},
        {"ROT:1,{missing},{out}", "the input was not found"},
        {"ROT:1,{dir},{out}", "the input cannot be loaded"},
        {"ROT:1,{dir}/no-width.bmp,{out}", "the bitmap has an unusable size"},
        {"SCL:0,10,10,{missing},{out}", "the input was not found"},
        {"SCL:0,10,10,{dir},{out}", "the input cannot be loaded"},
        {"SCL:1,10,10,{dir}/colour.bmp,{out}", "the bitmap is not 1-bit"},
        {"SCL:0,10,10,{dir}/colour.bmp,{out}", "the bitmap is not 1-bit"},
        {"SCL:0,10,10,{dir}/no-width.bmp,{out}", "the bitmap has an unusable size"},
        // numbers that select nothing: negative, at the limits of 32 bits
        {"F2D:-1,0,{kvd},{out}", "page -1 of a 2-page document"},
        {"F2D:3,0,{kvd},{out}", "page 3 of a 2-page document"},
        {"F2D:2147483647,0,{kvd},{out}", "page 2147483647 of a 2-page document"},
        {"F2D:2147483648,0,{kvd},{out}", "page -2147483648 of a 2-page document"},
        {"F2D:4294967295,0,{kvd},{out}", "page -1 of a 2-page document"},
        // pages that hold nothing or cannot be had
        {"F2D:2,0,{dir}/empty-page.kvd,{out}", "page 2 is empty"},
        {"F2D:2,0,{dir}/three-bytes.kvd,{out}", "page 2 cannot be decoded"},
        {"F2D:2,0,{dir}/beyond.kvd,{out}", "page 2 cannot be read"},
        {"F2S:0,1,2,{dir}/beyond.kvd,{dir}/", "page 2 cannot be had"},
        // F2P and F2T: a page after one already written that cannot be had takes the output with it
        {"F2P:1,2,{dir}/beyond.kvd,{out}", "page 2 cannot be had"},
        {"F2T:1,2,{dir}/beyond.kvd,{out}", "page 2 cannot be had"},
        // no page with a line in the range: the output is not made
        {"F2P:3,4,{kvd},{out}", "no page with a line in 3..4"},
        {"F2T:2,1,{kvd},{out}", "no page with a line in 2..1"},
        {"F2P:-1,-1,{kvd},{out}", "no page with a line in -1..-1"},
        {"F2T:2,2,{dir}/empty-page.kvd,{out}", "no page with a line in 2..2"},
        {"F2P:2,2,{dir}/three-bytes.kvd,{out}", "no page with a line in 2..2"},
        {"F2T:2,2,{dir}/no-line.kvd,{out}", "no page with a line in 2..2"},  // the RTC alone
        {"SCL:0,-10,10,{bmp},{out}", "the scaled bitmap has an unusable size"},
        {"SCL:1,10,-10,{bmp},{out}", "the scaled bitmap has an unusable size"},
        {"SCL:0,0,10,{bmp},{out}", "the scaled bitmap has an unusable size"},
        {"SCL:1,10,0,{bmp},{out}", "the scaled bitmap has an unusable size"},
        {"SCL:1,2147483647,1,{bmp},{out}", "the scaled bitmap has an unusable size"},
        {"SCL:0,2147483648,1,{bmp},{out}", "the scaled bitmap has an unusable size"},
        {"SCL:0,4294967295,4294967295,{bmp},{out}", "the scaled bitmap has an unusable size"},
        {"SCL:0,100000,100000,{bmp},{out}", "the scaled bitmap would reach more than 256 MB"},
        // an output that is the input, however it is spelt, where it is another kind of file
        {"F2D:1,0,{kvd},{kvd}", "the output is the document itself"},
        {"F2D:1,0,{kvd},{dir}/./doc.kvd", "the output is the document itself"},
        {"F2D:1,0,{dir}/hard.kvd,{kvd}", "the output is the document itself"},
        {"F2P:1,9,{kvd},{dir}/./doc.kvd", "the output is the document itself"},
        {"F2T:1,9,{dir}/hard.kvd,{kvd}", "the output is the document itself"},
        {"S2F:0,{sff},{sff}", "the document is the SFF file itself"},
        {"S2F:0,{sff},{dir}/link.sff", "the document is the SFF file itself"},
        {"D2F:0,{bmp},{bmp}", "the output is the bitmap itself"},
        {"D2F:0,{dir}/link.bmp,{bmp}", "the output is the bitmap itself"},
        {"F2S:0,1,9,{dir}/own/~isdnfax.sff,{dir}/own/", "the SFF file is the document itself"},
        {"F2S:0,1,9,{dir}/own/./~isdnfax.sff,{dir}/own/", "the SFF file is the document itself"},
        // outputs that cannot be written: their directory does not exist
        {"S2F:0,{sff},{dir}/no/such/out.kvd", "the document cannot be written"},
        {"F2S:0,1,2,{kvd},{dir}/no/such/", "the SFF file cannot be written"},
        {"F2D:1,0,{kvd},{dir}/no/such/out.bmp", "the output cannot be written"},
        {"F2P:1,2,{kvd},{dir}/no/such/out.pdf", "the output cannot be written"},
        {"F2T:1,2,{kvd},{dir}/no/such/out.tif", "the output cannot be written"},
        {"D2F:1,{bmp},{dir}/no/such/out.g3", "the output cannot be written"},
        {"RES:{kvd},{dir}/no/such/out.kvd", "the output cannot be written"},
        {"INV:{bmp},{dir}/no/such/out.bmp", "the output cannot be written"},
        {"ROT:1,{bmp},{dir}/no/such/out.bmp", "the output cannot be written"},
        {"SCL:0,10,10,{bmp},{dir}/no/such/out.bmp", "the output cannot be written"},
    };
    for (const Case& c : cases) {
        test::write_file(out, sentinel);
        const std::map<std::string, Bytes> before = test::files_in(dir.path());
        setenv("KORVIF_TRACE", trace.c_str(), 1);
        std::filesystem::remove(trace);
        EXPECT_EQ(test::run_command(expand(c.command)), 0) << c.command;
        unsetenv("KORVIF_TRACE");
        EXPECT_EQ(test::files_in(dir.path()), before) << c.command;
        std::string stop_line;
        for (const std::string& line : test::lines_of(trace)) {
            if (line.find("] stop: ") != std::string::npos) stop_line = line.substr(line.find("] stop: ") + 8);
        }
        EXPECT_EQ(stop_line.substr(0, c.reason.size()), c.reason) << c.command;
    }
    EXPECT_EQ(test::read_file(dir.file("own/~isdnfax.sff")), test::read_file(kvd));  // neither written nor removed
}

TEST_F(BadInput, NumbersAtTheirLimitsStillWriteWhatTheyShould) {
    struct Case {
        const char* command;
        bool writes;
    };
    const Case cases[] = {
        {"F2D:1,-1,{kvd},{out}", true},          // options: only bit 0 counts
        {"F2D:4294967297,0,{kvd},{out}", true},  // wraps to page 1
        {"F2P:0,-1,{kvd},{out}", true},          // from page 1 to the last
        {"F2T:4294967297,1,{kvd},{out}", true},  // wraps to page 1
        {"F2T:2,2147483647,{kvd},{out}", true},
        {"ROT:-1,{bmp},{out}", true},  // no turn: written as loaded
        {"ROT:2147483647,{bmp},{out}", true},
        {"ROT:4294967297,{bmp},{out}", true},  // wraps to 1 turn
        {"D2F:-1,{bmp},{out}", true},          // not 0: fine resolution
        {"D2F:4294967296,{bmp},{out}", true},  // wraps to 0: normal resolution
        {"SCL:-1,1,1,{bmp},{out}", true},      // all flag bits set: grey
        {"SCL:4294967295,20,20,{bmp},{out}", true},
    };
    for (const Case& c : cases) EXPECT_EQ(!leaves_output_alone(c.command), c.writes) << c.command;

    // F2S takes any first and last page: negative last means up to the last page.
    for (const char* range : {"-1,-1", "0,4294967295", "2147483648,1", "1,2147483647", "-5,2"}) {
        test::run_command(expand(std::string("F2S:0,") + range + ",{kvd}," + folder + "/"));
        EXPECT_TRUE(test::file_present(folder + "/~isdnfax.sff")) << range;
    }
}

// The commands whose output is the same kind of file as their input keep writing over it when
// the two are one file, as the host uses them.
TEST_F(BadInput, SameKindOfFileIsStillWrittenOverItsInput) {
    for (const char* command :
         {"INV:{bmp},{bmp}", "ROT:1,{bmp},{bmp}", "SCL:0,100,10,{bmp},{bmp}", "RES:{kvd},{kvd}"}) {
        const std::string input = std::string(command).find("{kvd}") != std::string::npos ? kvd : bmp;
        const Bytes before = test::read_file(input);
        EXPECT_EQ(test::run_command(expand(command)), 0) << command;
        EXPECT_NE(test::read_file(input), before) << command;
    }
}

// F2S owns the name ~isdnfax.sff, not what a link there points to: a failing run removes the
// link and the file behind it keeps its bytes; a link to nothing is removed and the new file made
// under the name; a link to a file is still followed when the run succeeds.
TEST_F(BadInput, F2sRemovesTheLinkAtItsNameNeverTheFileBehindIt) {
    const std::string sff_name = folder + "/out/~isdnfax.sff";
    const std::string behind = dir.file("elsewhere.sff");
    std::filesystem::create_directory(folder + "/out");
    test::write_file(behind, sentinel);
    std::filesystem::create_symlink(behind, sff_name);
    test::run_command(expand("F2S:0,1,9,{missing},{dir}/out/"));
    EXPECT_EQ(test::read_file(behind), sentinel);
    EXPECT_FALSE(std::filesystem::is_symlink(sff_name));

    std::filesystem::create_symlink(dir.file("nowhere.sff"), sff_name);
    test::run_command(expand("F2S:0,1,9,{kvd},{dir}/out/"));
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(sff_name)));
    EXPECT_FALSE(test::file_present(dir.file("nowhere.sff")));

    std::filesystem::remove(sff_name);
    std::filesystem::create_symlink(behind, sff_name);
    test::run_command(expand("F2S:0,1,9,{kvd},{dir}/out/"));
    EXPECT_TRUE(std::filesystem::is_symlink(sff_name));
    EXPECT_NE(test::read_file(behind), sentinel);
}

// A work file's age is measured on the volume's clock, against the run's own new work file: with
// the run's clock an hour ahead of the volume's (a share whose clock runs behind), a work file
// made a minute ago stays, one last written more than an hour ago goes.
TEST_F(BadInput, StaleWorkFilesAreAgedOnTheVolumesClock) {
    const std::pair<const char*, int> work_files[] = {{"~kv0123abcd.tmp", 1}, {"~kv0123abce.tmp", 61}};
    for (const auto& [name, minutes_old] : work_files) {
        test::write_file(dir.file(name), sentinel);
        std::filesystem::last_write_time(
            dir.file(name), std::filesystem::file_time_type::clock::now() - std::chrono::minutes(minutes_old));
    }
    // The files' times stay the volume's (NO_FAKE_STAT); only the run's clock is an hour ahead.
    // A sanitized build lets faketime's library come before its runtime.
    const std::string asan = "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\" ";
    ASSERT_EQ(
        test::shell(asan + "NO_FAKE_STAT=1 faketime -f '+1h' '" KORVIF_PROGRAM "' '" + expand("INV:{bmp},{out}") + "'"),
        0);
    EXPECT_TRUE(test::file_present(out));
    EXPECT_TRUE(test::file_present(dir.file("~kv0123abcd.tmp")));
    EXPECT_FALSE(test::file_present(dir.file("~kv0123abce.tmp")));
}

// Paths that name no plain file. A FIFO as an input is not read, also while its writer holds it
// open with a whole file in it; a FIFO or a folder as the output is neither written through nor
// taken away, and nothing of the program's own is left beside it.
TEST_F(BadInput, OnlyPlainFilesAreReadOrReplaced) {
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directories(letters + "/~isdnfax.sff");
    test::write_file(letters + "/a.kvd", sentinel);
    auto nothing_else_changed = [&](const std::string& command) {
        EXPECT_TRUE(std::filesystem::is_fifo(fifo)) << command;
        EXPECT_TRUE(std::filesystem::is_directory(letters + "/~isdnfax.sff")) << command;
        EXPECT_EQ(test::read_file(letters + "/a.kvd"), sentinel) << command;
        EXPECT_FALSE(test::file_present(folder + "/~isdnfax.sff")) << command;
        for (const std::string& at : {folder, letters}) {
            for (const auto& entry : std::filesystem::directory_iterator(at)) {
                EXPECT_NE(entry.path().filename().string().rfind("~k", 0), 0u) << command << ": " << entry.path();
            }
        }
    };
    const std::pair<const char*, const std::string*> fed_inputs[] = {
        {"S2F:0,{fifo},{out}", &sff},        {"F2D:1,0,{fifo},{out}", &kvd},    {"D2F:0,{fifo},{out}", &bmp},
        {"RES:{fifo},{out}", &kvd},          {"INV:{fifo},{out}", &bmp},        {"ROT:1,{fifo},{out}", &bmp},
        {"SCL:0,100,10,{fifo},{out}", &bmp}, {"F2S:0,1,2,{fifo},{dir}/", &kvd},
    };
    for (const auto& [command, input] : fed_inputs) {
        const int writer = ::open(fifo.c_str(), O_RDWR);  // never waits on Linux
        ASSERT_GE(writer, 0);
        const Bytes bytes = test::read_file(*input);
        ASSERT_EQ(::write(writer, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        EXPECT_TRUE(leaves_output_alone(command)) << command;
        ::close(writer);
        nothing_else_changed(command);
    }
    const char* outputs[] = {
        // clang-format off
        "S2F:0,{sff},{fifo}",     "F2D:1,0,{kvd},{fifo}",   "D2F:0,{bmp},{fifo}",   "RES:{kvd},{fifo}",
        "INV:{bmp},{fifo}",       "ROT:1,{bmp},{fifo}",     "SCL:0,100,10,{bmp},{fifo}",
        "S2F:0,{sff},{letters}",  "F2D:1,0,{kvd},{letters}", "D2F:0,{bmp},{letters}", "RES:{kvd},{letters}",
        "INV:{bmp},{letters}",    "ROT:1,{bmp},{letters}",  "SCL:0,100,10,{bmp},{letters}",
        "F2S:0,1,2,{kvd},{letters}/",
        // clang-format on
    };
    for (const char* command : outputs) {
        EXPECT_EQ(test::run_command(expand(command)), 0) << command;
        nothing_else_changed(command);
    }
    // A FIFO that no one writes to, as an input and as a header strip: opening it must not wait,
    // or the run would never end. Run as a program of its own, ended after a generous while; an
    // ended run is a failure.
    ASSERT_EQ(::mkfifo(dir.file("~ikvd001.kvd").c_str(), 0600), 0);
    for (const char* command :
         {"INV:{fifo},{out}", "S2F:0,{fifo},{out}", "F2D:1,0,{fifo},{out}", "F2S:0,1,2,{kvd},{dir}/"}) {
        EXPECT_EQ(test::shell("timeout 60 '" KORVIF_PROGRAM "' '" + expand(command) + "'"), 0) << command;
    }
    EXPECT_TRUE(test::file_present(folder + "/~isdnfax.sff"));  // written without the strip
}

TEST_F(BadInput, DocumentsTruncatedAndWithTablesAtTheLimits) {
    const Bytes document = test::read_file(kvd);
    for (std::size_t size :
         {std::size_t {0}, std::size_t {1}, std::size_t {1535}, std::size_t {1536}, std::size_t {1543}}) {
        test::write_file(kvd, Bytes(document.begin(), document.begin() + static_cast<std::ptrdiff_t>(size)));
        EXPECT_TRUE(leaves_output_alone("F2D:1,0,{kvd},{out}")) << size;
        EXPECT_TRUE(leaves_output_alone("F2D:0,0,{kvd},{out}")) << size;
        EXPECT_TRUE(leaves_output_alone("RES:{kvd},{out}")) << size;
    }
    // Cut at every page boundary and inside pages: F2D writes what the bytes hold, RES keeps
    // the page count.
    const std::uint32_t page2 = test::u32_at(document, 512 + 4);
    for (std::size_t size :
         {std::size_t {1544}, std::size_t {1600}, std::size_t {page2}, std::size_t {page2 + 1}, document.size() - 1}) {
        test::write_file(kvd, Bytes(document.begin(), document.begin() + static_cast<std::ptrdiff_t>(size)));
        leaves_output_alone("F2D:2,1,{kvd},{out}");
        test::run_command(expand("RES:{kvd},{out}"));
        EXPECT_EQ(test::read_file(out).at(288), 2) << size;
    }
    // Page counts and table entries at their limits.
    const std::uint32_t entries[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (std::uint8_t count : {0, 1, 255}) {
        for (std::uint32_t entry : entries) {
            Bytes changed = document;
            changed[288] = count;
            for (int index : {0, 1, 2, 254, 255}) {
                for (int i = 0; i < 4; ++i) changed[512 + 4 * index + i] = static_cast<std::uint8_t>(entry >> (8 * i));
            }
            test::write_file(kvd, changed);
            for (const char* command : {"F2D:1,1,{kvd},{out}", "F2D:255,0,{kvd},{out}", "RES:{kvd},{out}"}) {
                EXPECT_EQ(test::run_command(expand(command)), 0) << command;
            }
            test::run_command(expand("F2S:0,1,255,{kvd}," + folder + "/"));
        }
    }
}

TEST_F(BadInput, SffFilesCutAtEveryRecordBoundary) {
    const Bytes source = test::read_file(sff);
    for (std::size_t size = 0; size <= source.size(); ++size) {
        test::write_file(sff, Bytes(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(size)));
        const bool untouched = leaves_output_alone("S2F:0,{sff},{out}");
        EXPECT_EQ(untouched, size < 20) << size;
        if (!untouched) {
            EXPECT_GE(test::read_file(out).size(), 1536u) << size;
        }
    }
    // Long-form lengths and offsets at their limits.
    for (std::uint16_t length : {0, 1, 32767, 32768, 65535}) {
        test::SffBuilder limits;
        limits.page(0)
            .raw({0, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8)})
            .raw(Bytes(100, 0x11));
        test::write_file(sff, limits.bytes());
        EXPECT_FALSE(leaves_output_alone("S2F:0,{sff},{out}")) << length;
    }
    for (std::uint16_t offset : {0, 1, 19, 20, 65535}) {
        test::SffBuilder offsets(offset);
        offsets.page(0).line({1}).end_of_document();
        test::write_file(sff, offsets.bytes());
        EXPECT_FALSE(leaves_output_alone("S2F:0,{sff},{out}")) << offset;
    }
}

TEST_F(BadInput, BmpFilesTruncatedAndWithSizesAtTheLimits) {
    const Bytes file = test::read_file(bmp);
    const char* commands[] = {"INV:{bmp},{out}", "ROT:1,{bmp},{out}", "SCL:1,100,10,{bmp},{out}",
                              "SCL:0,100,10,{bmp},{out}", "D2F:0,{bmp},{out}"};
    // Below 14 bytes, or a block too small for its header size, nothing is loaded.
    for (std::size_t size : {std::size_t {0}, std::size_t {2}, std::size_t {13}}) {
        test::write_file(bmp, Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size)));
        for (const char* command : commands) EXPECT_TRUE(leaves_output_alone(command)) << command << " " << size;
    }
    // Cut after the file header, inside the info header, after the palette, inside the rows:
    // what loads is processed within its block.
    for (std::size_t size :
         {std::size_t {14}, std::size_t {30}, std::size_t {54}, std::size_t {62}, std::size_t {63}, file.size() - 1}) {
        test::write_file(bmp, Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size)));
        for (const char* command : commands) EXPECT_EQ(test::run_command(expand(command)), 0) << command;
    }
    // The file size, width, height and header size fields at their limits.
    const std::uint32_t limits[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (std::size_t field :
         {std::size_t {2}, std::size_t {14}, std::size_t {18}, std::size_t {22}, std::size_t {46}}) {
        for (std::uint32_t value : limits) {
            Bytes changed = file;
            for (int i = 0; i < 4; ++i) changed[field + i] = static_cast<std::uint8_t>(value >> (8 * i));
            test::write_file(bmp, changed);
            for (const char* command : commands)
                EXPECT_EQ(test::run_command(expand(command)), 0) << command << " " << field;
        }
    }
    // Bits per pixel other than 1: written unchanged by INV and ROT, refused by SCL.
    Bytes deep = file;
    deep[28] = 24;
    test::write_file(bmp, deep);
    EXPECT_TRUE(leaves_output_alone("SCL:1,100,10,{bmp},{out}"));
    EXPECT_FALSE(leaves_output_alone("INV:{bmp},{out}"));
}

}  // namespace
}  // namespace korvif
