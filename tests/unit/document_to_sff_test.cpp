#include <gtest/gtest.h>

#include "codec/page_decoder.h"
#include "codec/sff_recoder.h"
#include "support/bitmaps.h"
#include "support/documents.h"
#include "support/mh_writer.h"

namespace korvif {
namespace {

using test::Bytes;

Bytes page_of(int lines, int x) {
    test::MhWriter page;
    for (int i = 0; i < lines; ++i) page.aligned_eol().runs({x + i, 4, 1724 - x - i}).fill_to_byte();
    for (int i = 0; i < 6; ++i) page.eol();
    return page.bytes();
}

Bytes recoded(const Bytes& data) {
    MemorySink sink;
    recode_page_to_sff(data, sink);
    return sink.data;
}

const Bytes sff_header_start = {'S', 'f', 'f', 'f', 1, 0, 0, 0};

Bytes page_header(std::uint8_t fine) { return {254, 16, fine, 0, 0, 0, 0xC0, 0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; }

Bytes sff_document_header(std::uint16_t pages) {
    Bytes header = sff_header_start;
    test::append(header, {static_cast<std::uint8_t>(pages), static_cast<std::uint8_t>(pages >> 8), 20, 0, 0, 0, 0, 0, 0,
                          0, 0, 0});
    return header;
}

class DocumentToSff : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string kvd = dir.file("doc.kvd");
    std::string prefix = dir.path().string() + "/";
    std::string sff = prefix + "~isdnfax.sff";
    std::vector<Bytes> pages = {page_of(5, 10), page_of(8, 300), page_of(3, 900)};

    // sfftobmp, an independent reader, sees every page of the SFF file as F2D shows the
    // document's page: 1728 pixels wide, row for row, without rejecting a line (it reports
    // codes that are not valid MH, and then ends the page).
    void expect_sfftobmp_reads_what_f2d_shows(int page_count) {
        ASSERT_EQ(
            test::shell("cd " + dir.path().string() + " && sfftobmp -q -p ~isdnfax.sff -o page >sfftobmp.txt 2>&1"), 0);
        EXPECT_EQ(test::read_file(dir.file("sfftobmp.txt")), Bytes {});
        for (int n = 1; n <= page_count; ++n) {
            test::run_command("F2D:" + std::to_string(n) + ",0," + kvd + "," + dir.file("f2d.bmp"));
            ASSERT_EQ(test::shell("bmptopnm " + dir.file("f2d.bmp") + " > " + dir.file("f2d.pbm") + " 2>/dev/null"), 0);
            const test::Pbm ours = test::read_pbm(dir.file("f2d.pbm"));
            const test::Pbm theirs = test::read_pbm(dir.file("page_00" + std::to_string(n)));
            ASSERT_EQ(theirs.width, 1728);
            ASSERT_EQ(ours.height, theirs.height) << n;
            EXPECT_EQ(ours.rows, theirs.rows) << n;
        }
    }

    Bytes f2s(const std::string& range, const std::string& target_prefix) {
        std::filesystem::remove(sff);
        test::run_command("F2S:0," + range + "," + kvd + "," + target_prefix);
        return test::file_present(sff) ? test::read_file(sff) : Bytes {};
    }
    Bytes expected(std::uint16_t count, const std::vector<int>& page_numbers, std::uint8_t fine) {
        Bytes bytes = sff_document_header(count);
        for (int n : page_numbers) {
            test::append(bytes, page_header(fine));
            test::append(bytes, recoded(pages[static_cast<std::size_t>(n - 1)]));
        }
        test::append(bytes, {254, 0});
        return bytes;
    }
};

TEST_F(DocumentToSff, PageRanges) {
    test::write_file(kvd, test::make_document(pages, 0));
    EXPECT_EQ(f2s("1,255", prefix), expected(3, {1, 2, 3}, 0));
    EXPECT_EQ(f2s("1,-1", prefix), expected(3, {1, 2, 3}, 0));
    EXPECT_EQ(f2s("0,0", prefix), expected(0, {}, 0));
    EXPECT_EQ(f2s("3,1", prefix), expected(0, {}, 0));
    EXPECT_EQ(f2s("2,3", prefix), expected(2, {2, 3}, 0));
    EXPECT_EQ(f2s("0,1", prefix), expected(1, {1}, 0));
}

TEST_F(DocumentToSff, FineFlagInEveryPageHeader) {
    test::write_file(kvd, test::make_document(pages, 1));
    EXPECT_EQ(f2s("1,3", prefix), expected(3, {1, 2, 3}, 1));
}

TEST_F(DocumentToSff, HeaderStripsStandOnTopOfTheirPages) {
    test::write_file(kvd, test::make_document(pages, 0));
    const Bytes strip = page_of(2, 1500);
    test::write_file(prefix + "~ikvd002.kvd", strip);
    test::write_file(prefix + "~ikvd001.kvd", {});  // empty: adds nothing
    Bytes want = sff_document_header(2);
    test::append(want, page_header(0));
    test::append(want, recoded(pages[0]));
    test::append(want, page_header(0));
    test::append(want, recoded(strip));
    test::append(want, recoded(pages[1]));
    test::append(want, {254, 0});
    EXPECT_EQ(f2s("1,2", prefix), want);

    // Strip names follow the document's page numbers.
    Bytes third = sff_document_header(1);
    test::append(third, page_header(0));
    test::append(third, recoded(pages[2]));
    test::append(third, {254, 0});
    EXPECT_EQ(f2s("3,3", prefix), third);
}

TEST_F(DocumentToSff, PrefixIsGluedToTheNames) {
    test::write_file(kvd, test::make_document(pages, 0));
    test::run_command("F2S:0,1,1," + kvd + "," + prefix + "out");
    EXPECT_TRUE(test::file_present(prefix + "out~isdnfax.sff"));
    // A prefix longer than the path buffers hold writes nothing at all.
    const std::string long_prefix = prefix + std::string(250, 'p');
    test::run_command("F2S:0,1,1," + kvd + "," + long_prefix);
    EXPECT_FALSE(test::file_present(long_prefix.substr(0, 200)));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_LE(entry.path().filename().string().size(), 40u) << entry.path();
    }
}

// The host sends whatever ~isdnfax.sff it finds: once F2S's fields are all there and its prefix
// fits, a request that writes no new file removes the earlier request's rather than let it go to
// the new recipient; a request cut short before its prefix touches nothing.
TEST_F(DocumentToSff, ARequestThatWritesNoNewFileRemovesTheEarlierOne) {
    Bytes broken = test::make_document(pages, 0, true);
    // Page 2 claims to start far beyond the file: its bytes cannot be had. (Page 1 then runs to
    // the end of the file; its records end at its RTC.)
    for (int i = 0; i < 4; ++i) broken[512 + 4 + i] = i == 3 ? 0x7F : 0xFF;
    struct Case {
        const char* name;
        Bytes document;
        std::string command;
        bool earlier_stays;
    };
    const Case cases[] = {
        {"a page cannot be had", broken, "F2S:0,1,3," + kvd + "," + prefix, false},
        {"shorter than a header", {1, 2, 3}, "F2S:0,1,3," + kvd + "," + prefix, false},
        {"one byte short of a document", Bytes(1543, 0), "F2S:0,1,1," + kvd + "," + prefix, false},
        {"no such document", {}, "F2S:0,1,1," + dir.file("missing.kvd") + "," + prefix, false},
        {"an empty document path", {}, "F2S:0,1,1,," + prefix, false},
        {"the document a folder", {}, "F2S:0,1,1," + dir.path().string() + "," + prefix, false},
        {"cut short before its prefix", broken, "F2S:0,1,1," + kvd, true},
        {"cut short before its document", broken, "F2S:0,1,1", true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(kvd);
        if (!c.document.empty()) test::write_file(kvd, c.document);
        test::write_file(sff, {7, 7});  // an earlier request's file
        test::run_command(c.command);
        EXPECT_EQ(test::file_present(sff), c.earlier_stays) << c.name;
    }
}

TEST_F(DocumentToSff, SfftobmpReadsWhatF2dShowsAndS2fGivesThePagesBack) {
    const std::string pbm = dir.file("text.pbm");
    const std::string g3 = dir.file("text.g3");
    ASSERT_EQ(
        test::shell("pbmtext -nomargins 'Korvane 2026' | pnmscale -xsize 1728 -ysize 90 | pgmtopbm -threshold > " +
                    pbm + " 2>/dev/null && pbmtog3 -reversebits " + pbm + " > " + g3),
        0);
    const Bytes page = test::read_file(g3);
    test::write_file(kvd, test::make_document({page, pages[1]}, 1));
    f2s("1,2", prefix);
    ASSERT_TRUE(test::file_present(sff));

    expect_sfftobmp_reads_what_f2d_shows(2);

    // Back through S2F: the pages decode to the same pictures.
    const std::string back = dir.file("back.kvd");
    test::run_command("S2F:0," + sff + "," + back);
    const Bytes round_trip = test::read_file(back);
    ASSERT_EQ(round_trip[288], 2);
    EXPECT_EQ(round_trip[289], 1);
    const Bytes original = test::read_file(kvd);
    for (int n = 1; n <= 2; ++n) {
        const Bytes a = test::page_bytes(original, n);
        const Bytes b = test::page_bytes(round_trip, n);
        const PackedBitmap pa = test::decoded_bitmap(a);
        const PackedBitmap pb = test::decoded_bitmap(b);
        EXPECT_EQ(Bytes(pa.data(), pa.data() + pa.size()), Bytes(pb.data(), pb.data() + pb.size())) << n;
    }
}

// A page wider than 1728 pixels, as scanning and fax-server software write them (netpbm writes
// its long runs with T.4's extended make-up codes): F2D shows its left 1728 columns and F2S
// writes lines of 1728 pixels that other readers take.
TEST_F(DocumentToSff, WidePagesAreCutToTheirLeft1728Columns) {
    const std::string pbm = dir.file("wide.pbm");
    const std::string g3 = dir.file("wide.g3");
    ASSERT_EQ(
        test::shell("cd " + dir.path().string() + " && pbmtext -nomargins 'Korvane Faxdesk 2464' 2>/dev/null | " +
                    "pnmscale -xsize 2464 -ysize 120 2>/dev/null | pgmtopbm -threshold > text.pbm 2>/dev/null && " +
                    "pbmmake -black 2464 4 > rule.pbm && pbmmake -white 2464 10 > gap.pbm && " +
                    "pnmcat -tb text.pbm gap.pbm rule.pbm gap.pbm > " + pbm +
                    " && pbmtog3 -nofixedwidth -reversebits " + pbm + " > " + g3 + " 2>/dev/null"),
        0);
    const test::Pbm source = test::read_pbm(pbm);
    ASSERT_EQ(source.width, 2464);
    test::write_file(kvd, test::make_document({test::read_file(g3), pages[0]}, 1));
    test::run_command("F2D:1,0," + kvd + "," + dir.file("wide.bmp"));
    ASSERT_EQ(test::shell("bmptopnm " + dir.file("wide.bmp") + " > " + dir.file("wide-f2d.pbm") + " 2>/dev/null"), 0);
    const test::Pbm page = test::read_pbm(dir.file("wide-f2d.pbm"));
    ASSERT_EQ(page.height, source.height);
    for (int y = 0; y < source.height; ++y) {
        ASSERT_EQ(page.rows[y], std::vector<std::uint8_t>(source.rows[y].begin(), source.rows[y].begin() + 1728)) << y;
    }
    f2s("1,2", prefix);
    ASSERT_TRUE(test::file_present(sff));
    expect_sfftobmp_reads_what_f2d_shows(2);
}

// Received pages with transmission errors: runs past the line's end (make-up and terminating
// codes) and codes after a full line are re-coded so that every line is read as 1728 pixels: a
// black make-up code cut at the end and written alone would leave the line short, white at the
// edge where the page is black.
TEST_F(DocumentToSff, DamagedLinesAreWellFormedForOtherReaders) {
    test::MhWriter damaged;
    const std::vector<std::vector<int>> lines = {
        {100, 50, 1578},     {1700, 100, 10, 5},  {1690, 640},  {1650, 0, 128, 0},   {300, 20, 1408},
        {1700, 40, 5},       {1700, 28, 10, 5},   {1000, 728},  {0, 1152, 700, 3},   {600, 2, 1126},
        {1600, 128},         {1400, 81, 1152, 5}, {1600, 128},  {1000, 300, 640, 7}, {1500, 228},
        {900, 800, 1216, 2}, {1000, 1216, 3},     {1400, 1280},
    };
    for (const auto& line : lines) damaged.aligned_eol().runs(line).fill_to_byte();
    for (int i = 0; i < 6; ++i) damaged.eol();
    test::write_file(kvd, test::make_document({damaged.bytes(), pages[0]}, 1));
    f2s("1,2", prefix);
    ASSERT_TRUE(test::file_present(sff));
    expect_sfftobmp_reads_what_f2d_shows(2);

    // Our own decoder reads the SFF file's lines back (through S2F) as the document's.
    const std::string back = dir.file("back.kvd");
    test::run_command("S2F:0," + sff + "," + back);
    const Bytes a = test::page_bytes(test::read_file(kvd), 1);
    const Bytes b = test::page_bytes(test::read_file(back), 1);
    const PackedBitmap pa = test::decoded_bitmap(a);
    const PackedBitmap pb = test::decoded_bitmap(b);
    EXPECT_EQ(Bytes(pa.data(), pa.data() + pa.size()), Bytes(pb.data(), pb.data() + pb.size()));
}

}  // namespace
}  // namespace korvif
