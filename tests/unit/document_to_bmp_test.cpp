#include <gtest/gtest.h>

#include "codec/page_decoder.h"
#include "support/bitmaps.h"
#include "support/documents.h"
#include "support/mh_writer.h"

namespace korvif {
namespace {

using test::Bytes;

Bytes page_of(int lines, int ink_x) {
    test::MhWriter page;
    for (int i = 0; i < lines; ++i) {
        page.aligned_eol().runs(i == 0 ? std::vector<int> {ink_x, 2, 1726 - ink_x} : std::vector<int> {1728});
        page.fill_to_byte();
    }
    for (int i = 0; i < 6; ++i) page.eol();
    return page.bytes();
}

class DocumentToBmp : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string kvd = dir.file("doc.kvd");
    std::string bmp = dir.file("page.bmp");
    std::vector<Bytes> pages = {page_of(10, 5), page_of(20, 100), page_of(3, 1000)};

    Bytes expected_bmp(const Bytes& data, bool double_lines, bool trim) {
        const DecodeOptions options {.double_lines = double_lines, .trim_trailing_white = trim};
        const PackedBitmap bitmap = test::decoded_bitmap(data, options);
        return test::bmp_file_bytes(bitmap);
    }
    Bytes f2d(const std::string& fields) {
        std::filesystem::remove(bmp);
        test::run_command("F2D:" + fields);
        return test::file_present(bmp) ? test::read_file(bmp) : Bytes {};
    }
};

TEST_F(DocumentToBmp, PagesOfNormalAndFineDocuments) {
    for (std::uint8_t fine : {0, 1, 2}) {
        test::write_file(kvd, test::make_document(pages, fine));
        const bool doubling = fine == 0;
        for (int n = 1; n <= 3; ++n) {
            const Bytes page = pages[static_cast<std::size_t>(n - 1)];
            EXPECT_EQ(f2d(std::to_string(n) + ",0," + kvd + "," + bmp), expected_bmp(page, doubling, false)) << n;
            EXPECT_EQ(f2d(std::to_string(n) + ",1," + kvd + "," + bmp), expected_bmp(page, doubling, true)) << n;
            EXPECT_EQ(f2d(std::to_string(n) + ",2," + kvd + "," + bmp), expected_bmp(page, doubling, false)) << n;
        }
        const Bytes page2 = f2d("2,0," + kvd + "," + bmp);
        EXPECT_EQ(test::u32_at(page2, 14 + 8), fine == 0 ? 40u : 20u);
        EXPECT_EQ(test::u32_at(f2d("2,1," + kvd + "," + bmp), 14 + 8),
                  fine == 0 ? 6u : 3u);  // two lines after the last black one
    }
}

TEST_F(DocumentToBmp, PageNumbersOutsideTheDocumentWriteNothing) {
    test::write_file(kvd, test::make_document(pages, 1));
    EXPECT_FALSE(f2d("3,0," + kvd + "," + bmp).empty());
    EXPECT_TRUE(f2d("4,0," + kvd + "," + bmp).empty());
    EXPECT_TRUE(f2d("-1,0," + kvd + "," + bmp).empty());
    EXPECT_FALSE(f2d("4294967297,0," + kvd + "," + bmp).empty());  // wraps to page 1
}

TEST_F(DocumentToBmp, PageZeroDecodesTheWholeFileWithoutDoubling) {
    // Raw MH data without a document header, at least 1544 bytes long.
    test::MhWriter raw;
    for (int i = 0; i < 400; ++i) raw.aligned_eol().runs({i % 1700, 3, 1725 - i % 1700}).fill_to_byte();
    const Bytes data = raw.bytes();
    ASSERT_GE(data.size(), 1544u);
    test::write_file(kvd, data);
    EXPECT_EQ(f2d("0,0," + kvd + "," + bmp), expected_bmp(data, false, false));

    const Bytes document = test::make_document(pages, 0);
    test::write_file(kvd, document);
    EXPECT_EQ(f2d("0,0," + kvd + "," + bmp), expected_bmp(document, false, false));
}

TEST_F(DocumentToBmp, DocumentsTooShortOrPagesEmpty) {
    Bytes document = test::make_document({Bytes(7, 0)}, 0);
    ASSERT_EQ(document.size(), 1543u);
    test::write_file(kvd, document);
    EXPECT_TRUE(f2d("1,0," + kvd + "," + bmp).empty());
    document.push_back(0);
    test::write_file(kvd, document);
    EXPECT_FALSE(f2d("1,0," + kvd + "," + bmp).empty());

    // Page 2 has an empty range: its start equals page 3's.
    Bytes with_empty = test::make_document(pages, 0, true);
    for (int i = 0; i < 4; ++i) with_empty[512 + 4 + i] = with_empty[512 + 8 + i];
    test::write_file(kvd, with_empty);
    EXPECT_TRUE(f2d("2,0," + kvd + "," + bmp).empty());
}

TEST_F(DocumentToBmp, StarStandsForTheDocumentsDirectory) {
    test::write_file(kvd, test::make_document(pages, 1));
    test::run_command("F2D:1,0," + kvd + ",*star.bmp");
    EXPECT_EQ(test::read_file(dir.file("star.bmp")), expected_bmp(pages[0], false, false));
    test::run_command("F2D:1,0," + kvd + ",*with,comma.bmp");
    EXPECT_TRUE(test::file_present(dir.file("with,comma.bmp")));
}

TEST_F(DocumentToBmp, NetpbmPagesDecodeToTheSourcePixelsEachLineTwice) {
    const std::string pbm = dir.file("text.pbm");
    const std::string g3 = dir.file("text.g3");
    ASSERT_EQ(test::shell("pbmtext -nomargins 'Seite 1: Korvane' | pnmscale -xsize 1728 -ysize 120 | "
                          "pgmtopbm -threshold > " +
                          pbm + " 2>/dev/null && pbmtog3 -reversebits " + pbm + " > " + g3),
              0);
    const test::Pbm source = test::read_pbm(pbm);
    test::write_file(kvd, test::make_document({test::read_file(g3)}, 0));
    test::run_command("F2D:1,0," + kvd + "," + bmp);
    const std::string back = dir.file("back.pbm");
    ASSERT_EQ(test::shell("bmptopnm " + bmp + " > " + back + " 2>/dev/null"), 0);
    const test::Pbm decoded = test::read_pbm(back);
    ASSERT_EQ(decoded.width, 1728);
    ASSERT_EQ(decoded.height, 2 * source.height);
    for (int y = 0; y < decoded.height; ++y) ASSERT_EQ(decoded.rows[y], source.rows[y / 2]) << y;
}

}  // namespace
}  // namespace korvif
