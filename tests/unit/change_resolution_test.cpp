#include <gtest/gtest.h>

#include <cstdlib>

#include "codec/page_decoder.h"
#include "faxdoc/change_resolution.h"
#include "support/bitmaps.h"
#include "support/documents.h"
#include "support/mh_writer.h"

namespace korvif {
namespace {

using test::Bytes;

Bytes page_with_ink(int lines, int seed) {
    test::MhWriter page;
    for (int i = 0; i < lines; ++i) {
        const int x = (seed * 37 + i * 11) % 1700;
        page.aligned_eol().runs({x, 1 + (i + seed) % 20, 1727 - x - (i + seed) % 20}).fill_to_byte();
    }
    for (int i = 0; i < 6; ++i) page.eol();
    return page.bytes();
}

Bytes decoded_rows(const Bytes& page, bool double_lines) {
    const PackedBitmap bitmap = test::decoded_bitmap(page, {.double_lines = double_lines});
    return Bytes(bitmap.data() + 48, bitmap.data() + bitmap.size());
}

class ChangeResolution : public ::testing::Test {
protected:
    test::TempDir dir;
    test::TempDir temporary;
    std::string kvd = dir.file("doc.kvd");
    std::string out = dir.file("out.kvd");
    std::vector<Bytes> pages = {page_with_ink(30, 1), page_with_ink(12, 2), page_with_ink(50, 3)};

    void SetUp() override { setenv("TMPDIR", temporary.path().c_str(), 1); }
    void TearDown() override {
        unsetenv("TMPDIR");
        // The private copy is always removed.
        EXPECT_TRUE(std::filesystem::is_empty(temporary.path()));
    }
};

TEST_F(ChangeResolution, NormalToFineDrawsEveryLineTwice) {
    test::write_file(kvd, test::make_document(pages, 0));
    test::run_command("RES:" + kvd + "," + out);
    const Bytes result = test::read_file(out);
    ASSERT_GE(result.size(), 1536u);
    EXPECT_EQ(result[289], 1);
    EXPECT_EQ(result[288], 3);
    EXPECT_EQ(test::u32_at(result, 512), 1536u);
    EXPECT_EQ(test::u32_at(result, 512 + 12), result.size());  // the entry after the last page
    const Bytes source = test::read_file(kvd);
    EXPECT_EQ(Bytes(result.begin(), result.begin() + 288), Bytes(source.begin(), source.begin() + 288));
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(decoded_rows(test::page_bytes(result, n), false),
                  decoded_rows(pages[static_cast<std::size_t>(n - 1)], true))
            << n;
    }
}

TEST_F(ChangeResolution, TwiceGivesBackFlagAndPageCountAndFineTwoBecomesNormal) {
    for (std::uint8_t fine : {0, 1, 2}) {
        test::write_file(kvd, test::make_document(pages, fine));
        test::run_command("RES:" + kvd + "," + out);
        EXPECT_EQ(test::read_file(out)[289], fine == 0 ? 1 : 0);
        test::run_command("RES:" + out + "," + out);
        const Bytes twice = test::read_file(out);
        EXPECT_EQ(twice[289], fine == 0 ? 0 : 1);
        EXPECT_EQ(twice[288], 3);
    }
}

TEST_F(ChangeResolution, InPlaceReplacesTheDocument) {
    test::write_file(kvd, test::make_document(pages, 1));
    test::run_command("RES:" + kvd + "," + kvd);
    const Bytes result = test::read_file(kvd);
    EXPECT_EQ(result[289], 0);
    // Fine to normal: row pairs become one line each.
    EXPECT_EQ(test::u32_at(result, 512 + 12), result.size());
    const PackedBitmap page3 = test::decoded_bitmap(test::page_bytes(result, 3));
    EXPECT_EQ(page3.height(), 25);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no work file left
}

TEST_F(ChangeResolution, EmptyPagesAndPagesOutsideTheFileStayEmpty) {
    const Bytes original = test::make_document(pages, 0, true);
    // Page 3 starts at its end (an empty range), or beyond the file (no bytes to read, which is
    // not a want of memory that would end the change).
    for (const std::uint32_t page3_start : {test::u32_at(original, 512 + 12), 0x80000000u}) {
        Bytes document = original;
        for (int i = 0; i < 4; ++i) document[512 + 8 + i] = static_cast<std::uint8_t>(page3_start >> (8 * i));
        test::write_file(kvd, document);
        std::filesystem::remove(out);
        test::run_command("RES:" + kvd + "," + out);
        const Bytes result = test::read_file(out);
        ASSERT_GE(result.size(), 1536u) << page3_start;
        EXPECT_EQ(result[288], 3);
        EXPECT_EQ(test::u32_at(result, 512 + 8), test::u32_at(result, 512 + 12)) << page3_start;
        EXPECT_EQ(test::u32_at(result, 512 + 12), result.size());
    }
}

TEST_F(ChangeResolution, AFailedPageReadLeavesNoCompletedDocument) {
    test::write_file(kvd, test::make_document(pages, 0));
    auto document = open_document(kvd.c_str(), platform::FileMode::read_shared);
    ASSERT_TRUE(document);
    // The file turns out shorter than its size said: page 3 cannot be read.
    document->size += 4000;
    set_page_table_entry(document->header, 3, document->size);
    document->read_seconds = 1;
    {
        platform::FileReplacement replacement(out.c_str());
        ASSERT_TRUE(replacement.good());
        ResolutionChange change(*document, replacement);
        EXPECT_TRUE(change.add_page(1));
        EXPECT_TRUE(change.add_page(2));
        const Outcome<void> third = change.add_page(3);
        ASSERT_FALSE(third);
        EXPECT_EQ(third.failure(), Failure::cannot_be_read);
    }
    EXPECT_FALSE(test::file_present(out));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no work file left
}

}  // namespace
}  // namespace korvif
