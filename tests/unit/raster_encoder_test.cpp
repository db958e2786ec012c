#include <gtest/gtest.h>

#include "codec/page_decoder.h"
#include "support/file_forms.h"
#include "support/bitmaps.h"
#include "support/random_pages.h"
#include "support/reference_codec.h"

namespace korvif {
namespace {

using test::Bytes;

// A fax bitmap block: the 48-byte header and palette, then `rows` rows of 216 bytes.
Bytes fax_block(int rows, const std::function<void(Bytes&, int row)>& draw = {}) {
    Bytes block(48 + 216 * static_cast<std::size_t>(rows), 0);
    block[0] = 40;
    if (draw) {
        for (int row = 0; row < rows; ++row) draw(block, row);
    }
    return block;
}

void set(Bytes& block, int row, int x) { block[48 + 216 * static_cast<std::size_t>(row) + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8)); }

class RasterEncoder : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string out = dir.file("out.g3");

    // Encodes with both the encoder and the reference; checks that they agree (bytes written,
    // the result and the changes to the bitmap) and returns the file's bytes.
    Bytes encode(const Bytes& block, EncodeFlags flags, Bytes existing = {}) {
        if (has(flags, ENCODE_APPEND)) test::write_file(out, existing);
        PackedBitmap bitmap = test::block_of(block);
        const std::uint32_t written = encode_raster(bitmap, out.c_str(), flags);
        Bytes reference_block = block;
        const Bytes expected = test::reference_encode_raster(reference_block, flags);
        EXPECT_EQ(written, expected.size());
        EXPECT_EQ(Bytes(bitmap.data(), bitmap.data() + bitmap.size()), reference_block);
        Bytes file = test::read_file(out);
        if (has(flags, ENCODE_APPEND)) {
            EXPECT_EQ(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(existing.size(), file.size()))), existing);
            file.erase(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(existing.size()));
        }
        EXPECT_EQ(file, expected);
        return file;
    }
};

TEST_F(RasterEncoder, KnownByteSequences) {
    const EncodeFlags every_row = ENCODE_EVERY_ROW | ENCODE_SKIP_HEADER;
    EXPECT_EQ(encode(fax_block(1), every_row), (Bytes {0x00, 0x80, 0xB2, 0x59, 0x01, 0x80}));
    EXPECT_EQ(encode(fax_block(1), every_row | ENCODE_RTC),
              (Bytes {0x00, 0x80, 0xB2, 0x59, 0x01, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80}));

    // Rows after the first: all white, all black, only pixel 0 black. Stored row 3 is coded first.
    const Bytes block = fax_block(4, [](Bytes& b, int row) {
        if (row == 1) for (int x = 0; x < 1728; ++x) set(b, row, x);
        if (row == 0) set(b, row, 0);
    });
    const Bytes coded = encode(block, every_row);
    const Bytes expected = {0x00, 0x80, 0xB2, 0x59, 0x01, 0x80,                 // row 3, after the leading EOL
                            0xB2, 0x59, 0x01, 0x80,                             // row 2: white
                            0xAC, 0xC0, 0x14, 0x76, 0x00, 0x80,                 // row 1: black
                            0xAC, 0x32, 0x58, 0x00, 0x80};                      // row 0: pixel 0
    EXPECT_EQ(coded, expected);
}

TEST_F(RasterEncoder, RowPairsAndTooFewRows) {
    // Five rows without ENCODE_EVERY_ROW: stored rows 3 and 1 are coded, the top row is ignored.
    const Bytes five = fax_block(5, [](Bytes& b, int row) { set(b, row, 100 + row); });
    Bytes coded = encode(five, ENCODE_SKIP_HEADER);
    coded.resize(coded.size() + 8);  // room for the reader to reach the last EOL
    const PackedBitmap decoded = *decode_page(coded.data(), static_cast<std::int32_t>(coded.size()));
    ASSERT_EQ(bitmap_height(decoded), 2);
    EXPECT_TRUE(test::pixel_at(decoded, 102, 1));
    EXPECT_TRUE(test::pixel_at(decoded, 103, 1));
    EXPECT_FALSE(test::pixel_at(decoded, 104, 1));
    EXPECT_TRUE(test::pixel_at(decoded, 100, 0));
    EXPECT_TRUE(test::pixel_at(decoded, 101, 0));

    // One row without ENCODE_EVERY_ROW writes nothing, not even the RTC; the file is emptied.
    test::write_file(out, {1, 2, 3});
    PackedBitmap one = test::block_of(fax_block(1));
    EXPECT_EQ(encode_raster(one, out.c_str(), ENCODE_RTC | ENCODE_SKIP_HEADER), 0u);
    EXPECT_TRUE(test::read_file(out).empty());

    // With ENCODE_APPEND too few rows leave the file as it was.
    test::write_file(out, {1, 2, 3});
    PackedBitmap again = test::block_of(fax_block(1));
    EXPECT_EQ(encode_raster(again, out.c_str(), ENCODE_RTC | ENCODE_SKIP_HEADER | ENCODE_APPEND), 0u);
    EXPECT_EQ(test::read_file(out), (Bytes {1, 2, 3}));

    // A block of 47 bytes with ENCODE_SKIP_HEADER creates no file.
    const std::string none = dir.file("none.g3");
    PackedBitmap tiny = test::block_of(Bytes(47, 0));
    EXPECT_EQ(encode_raster(tiny, none.c_str(), ENCODE_SKIP_HEADER | ENCODE_RTC), 0u);
    EXPECT_FALSE(test::file_present(none));
}

TEST_F(RasterEncoder, AppendKeepsTheFileAndStartsWithItsOwnEol) {
    const Bytes first = encode(fax_block(2), ENCODE_EVERY_ROW | ENCODE_SKIP_HEADER | ENCODE_RTC);
    const Bytes appended = encode(fax_block(2), ENCODE_EVERY_ROW | ENCODE_SKIP_HEADER | ENCODE_RTC | ENCODE_APPEND, first);
    EXPECT_EQ(appended, first);
    EXPECT_EQ(test::read_file(out).size(), 2 * first.size());
}

TEST_F(RasterEncoder, MatchesTheReferenceOnRandomBitmaps) {
    test::Random random(99);
    for (int round = 0; round < 60; ++round) {
        const int rows = random.below(12);
        const int density = random.below(5);
        Bytes block = fax_block(rows, [&](Bytes& b, int row) {
            for (int i = 0; i < 216; ++i) {
                auto byte = static_cast<std::uint8_t>(random.below(256));
                if (density == 0) byte = 0;
                if (density == 1) byte = random.one_in(3) ? 0xFF : 0;
                if (density == 2) byte &= static_cast<std::uint8_t>(random.below(256));
                b[48 + 216 * static_cast<std::size_t>(row) + i] = byte;
            }
        });
        block.resize(block.size() + static_cast<std::size_t>(random.below(3)) * 100);  // a remainder that makes no row
        const auto flags = static_cast<EncodeFlags>(random.below(16));
        const Bytes raw(block.begin() + (has(flags, ENCODE_SKIP_HEADER) ? 0 : 48), block.end());
        encode(raw, flags, {9, 9});
    }
}

// Rows equal to the row before them are written as copies of its coded line; runs of them, with
// white rows between, over several fillings of the output buffer (dense rows code to ~900 bytes).
TEST_F(RasterEncoder, RepeatedRowsMatchTheReferenceAcrossBufferFlushes) {
    test::Random random(7);
    for (int round = 0; round < 4; ++round) {
        Bytes row(216);
        int left_in_run = 0;
        Bytes block = fax_block(700, [&](Bytes& b, int r) {
            if (left_in_run-- <= 0) {
                left_in_run = random.below(12);
                const int kind = random.below(4);
                row = kind == 0 ? Bytes(216, 0) : random.bytes(216, kind == 1 ? 0 : 1);
            }
            std::copy(row.begin(), row.end(), b.begin() + 48 + 216 * static_cast<std::ptrdiff_t>(r));
        });
        encode(block, ENCODE_SKIP_HEADER | ENCODE_RTC | (round % 2 ? ENCODE_EVERY_ROW : EncodeFlags::none));
    }
}

TEST_F(RasterEncoder, LastByteOfEveryLineIsTheEolEnd) {
    test::Random random(3);
    const Bytes block = fax_block(40, [&](Bytes& b, int row) {
        const Bytes ink = random.bytes(216, 1);
        std::copy(ink.begin(), ink.end(), b.begin() + 48 + 216 * row);
    });
    const Bytes coded = encode(block, ENCODE_EVERY_ROW | ENCODE_SKIP_HEADER);
    EXPECT_EQ(coded.back(), 0x80);
    // The page decodes back to the same rows.
    Bytes page = coded;
    page.insert(page.end(), {0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80});
    const PackedBitmap decoded = *decode_page(page.data(), static_cast<std::int32_t>(page.size()));
    EXPECT_EQ(Bytes(decoded.data() + 48, decoded.data() + decoded.size()), Bytes(block.begin() + 48, block.end()));
}

TEST_F(RasterEncoder, NetpbmDecodesWhatWeWrite) {
    const std::string pbm = dir.file("source.pbm");
    ASSERT_EQ(test::shell("pbmtext -nomargins 'Korvane 1234' | pnmscale -xsize 1728 -ysize 100 | pgmtopbm -threshold > " +
                          pbm + " 2>/dev/null"), 0);
    const test::Pbm source = test::read_pbm(pbm);
    Bytes block = fax_block(source.height, [&](Bytes& b, int row) {
        const auto& pixels = source.rows[static_cast<std::size_t>(source.height - 1 - row)];
        for (int x = 0; x < 1728; ++x) {
            if (pixels[x]) set(b, row, x);
        }
    });
    for (EncodeFlags flags : {ENCODE_RTC | ENCODE_SKIP_HEADER | ENCODE_EVERY_ROW, ENCODE_RTC | ENCODE_SKIP_HEADER}) {
        PackedBitmap bitmap = test::block_of(block);
        encode_raster(bitmap, out.c_str(), flags);
        const std::string back = dir.file("back.pbm");
        ASSERT_EQ(test::shell("g3topbm -reversebits " + out + " > " + back + " 2>/dev/null"), 0);
        const test::Pbm decoded = test::read_pbm(back);
        const bool every_row = has(flags, ENCODE_EVERY_ROW);
        ASSERT_EQ(decoded.height, every_row ? source.height : source.height / 2);
        for (int y = 0; y < decoded.height; ++y) {
            for (int x = 0; x < 1728; ++x) {
                const bool expected = every_row ? source.rows[y][x] : (source.rows[2 * y][x] | source.rows[2 * y + 1][x]);
                ASSERT_EQ(decoded.rows[y][x], expected) << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace korvif
