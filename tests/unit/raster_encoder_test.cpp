#include <gtest/gtest.h>

#include <memory>

#include "codec/page_decoder.h"
#include "support/bitmaps.h"
#include "support/file_forms.h"
#include "support/random_pages.h"
#include "support/reference_codec.h"

namespace korvif {
namespace {

using test::Bytes;
using Rows = std::vector<Bytes>;  // rows of 216 bytes, top row first

Rows fax_rows(int count, const std::function<void(Bytes& row, int index)>& draw = {}) {
    Rows rows(static_cast<std::size_t>(count), Bytes(216, 0));
    if (draw) {
        for (int index = 0; index < count; ++index) draw(rows[static_cast<std::size_t>(index)], index);
    }
    return rows;
}

void set(Bytes& row, int x) { row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8)); }

bool has_black(const Bytes& row) {
    return std::any_of(row.begin(), row.end(), [](std::uint8_t byte) { return byte != 0; });
}

// Where the encoder finds the rows.
enum class Layout {
    bottom_up,  // one after another, the top row last (as in a BMP file)
    top_down,   // one after another, the top row first
    stretches,  // in stretches of 1 to 4 lines with their flags, as a decoded page holds them; a
                // white line's bytes are not white there
    doubled,    // the same, each line given once and coded twice
};

// The rows laid out for the encoder, and its view of them.
class LaidOut {
public:
    LaidOut(const Rows& rows, Layout layout, RowPairs pairs)
        : bytes_(rows.size() * 216 + 1), flags_(std::make_unique<bool[]>(rows.size() + 1)) {
        const std::size_t n = rows.size();
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t at = layout == Layout::bottom_up ? n - 1 - i : i;
            flags_[i] = has_black(rows[i]);
            if (flags_[i] || layout == Layout::bottom_up || layout == Layout::top_down) {
                std::copy(rows[i].begin(), rows[i].end(), bytes_.begin() + static_cast<std::ptrdiff_t>(at * 216));
            } else {
                std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at * 216), 216, 0xA5);
            }
        }
        for (std::size_t at = 0, length = 1; at < n; at += length, length = length % 4 + 1) {
            length = std::min(length, n - at);
            stretches_.push_back({bytes_.data() + at * 216, flags_.get() + at, length});
        }
        const std::uint8_t* top = bytes_.data() + (layout == Layout::bottom_up && n > 0 ? (n - 1) * 216 : 0);
        if (layout == Layout::bottom_up || layout == Layout::top_down) {
            view_.emplace(top, n, layout == Layout::bottom_up ? -216 : 216, pairs);
        } else {
            view_.emplace(stretches_, layout == Layout::doubled ? 2 : 1, pairs);
        }
    }
    const RasterRows& view() const { return *view_; }

private:
    Bytes bytes_;
    std::unique_ptr<bool[]> flags_;
    std::vector<LineStretch> stretches_;
    std::optional<RasterRows> view_;
};

class RasterEncoder : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string out = dir.file("out.g3");

    // Codes the rows, laid out as `layout` says, into the file and checks the bytes written
    // against the reference (after `existing` when appending); returns them, the RTC at their end
    // left out where `rtc` is false.
    Bytes encode(const Rows& rows, RowPairs pairs, bool rtc, Layout layout = Layout::bottom_up,
                 FileWrite how = FileWrite::replace, const Bytes& existing = {}) {
        if (how == FileWrite::append) test::write_file(out, existing);
        const LaidOut laid_out(rows, layout, pairs);
        const std::uint32_t written = encode_raster(laid_out.view(), out.c_str(), how);
        Rows coded_rows;
        for (const Bytes& row : rows) coded_rows.insert(coded_rows.end(), layout == Layout::doubled ? 2 : 1, row);
        const Bytes expected = test::reference_encode_raster(coded_rows, pairs, true);
        EXPECT_EQ(written, expected.size());
        Bytes file = test::read_file(out);
        if (how == FileWrite::append) {
            EXPECT_EQ(
                Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(existing.size(), file.size()))),
                existing);
            file.erase(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(existing.size()));
        }
        EXPECT_EQ(file, expected);
        if (!rtc && file.size() >= rtc_bytes.size()) file.resize(file.size() - rtc_bytes.size());
        return file;
    }

    // Six EOLs, each ending on a byte boundary.
    const Bytes rtc_bytes = {0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80};
};

TEST_F(RasterEncoder, KnownByteSequences) {
    EXPECT_EQ(encode(fax_rows(1), RowPairs::apart, false), (Bytes {0x00, 0x80, 0xB2, 0x59, 0x01, 0x80}));
    EXPECT_EQ(encode(fax_rows(1), RowPairs::apart, true),
              (Bytes {0x00, 0x80, 0xB2, 0x59, 0x01, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80}));

    // Rows after the first: all white, all black, only pixel 0 black.
    const Rows rows = fax_rows(4, [](Bytes& row, int index) {
        if (index == 2)
            for (int x = 0; x < 1728; ++x) set(row, x);
        if (index == 3) set(row, 0);
    });
    const Bytes coded = encode(rows, RowPairs::apart, false);
    const Bytes expected = {0x00, 0x80, 0xB2, 0x59, 0x01, 0x80,  // the top row, after the leading EOL
                            0xB2, 0x59, 0x01, 0x80,              // white
                            0xAC, 0xC0, 0x14, 0x76, 0x00, 0x80,  // black
                            0xAC, 0x32, 0x58, 0x00, 0x80};       // pixel 0
    EXPECT_EQ(coded, expected);
}

TEST_F(RasterEncoder, RowPairsAndTooFewRows) {
    // Five rows merged in pairs from the top: the last row is left out.
    const Rows five = fax_rows(5, [](Bytes& row, int index) { set(row, 104 - index); });
    Bytes coded = encode(five, RowPairs::merged, false);
    coded.resize(coded.size() + 8);  // room for the reader to reach the last EOL
    const PackedBitmap decoded = test::decoded_bitmap(coded);
    ASSERT_EQ(decoded.height(), 2);
    EXPECT_TRUE(test::pixel_at(decoded, 104, 1));
    EXPECT_TRUE(test::pixel_at(decoded, 103, 1));
    EXPECT_FALSE(test::pixel_at(decoded, 102, 1));
    EXPECT_TRUE(test::pixel_at(decoded, 102, 0));
    EXPECT_TRUE(test::pixel_at(decoded, 101, 0));
    EXPECT_FALSE(test::pixel_at(decoded, 100, 0));

    // One row merged in pairs makes no line: nothing is written, not even the RTC; the file is
    // emptied, or left as it was when appending.
    for (const FileWrite how : {FileWrite::replace, FileWrite::append}) {
        test::write_file(out, {1, 2, 3});
        const LaidOut one(fax_rows(1), Layout::bottom_up, RowPairs::merged);
        EXPECT_EQ(encode_raster(one.view(), out.c_str(), how), 0u);
        EXPECT_EQ(test::read_file(out), how == FileWrite::append ? (Bytes {1, 2, 3}) : Bytes {});
    }
}

TEST_F(RasterEncoder, AppendKeepsTheFileAndStartsWithItsOwnEol) {
    const Bytes first = encode(fax_rows(2), RowPairs::apart, true);
    const Bytes appended = encode(fax_rows(2), RowPairs::apart, true, Layout::bottom_up, FileWrite::append, first);
    EXPECT_EQ(appended, first);
    EXPECT_EQ(test::read_file(out).size(), 2 * first.size());
}

TEST_F(RasterEncoder, MatchesTheReferenceOnRandomRowsInEveryLayout) {
    test::Random random(99);
    for (int round = 0; round < 80; ++round) {
        const int density = random.below(5);
        const Rows rows = fax_rows(random.below(12), [&](Bytes& row, int) {
            for (int i = 0; i < 216; ++i) {
                auto byte = static_cast<std::uint8_t>(random.below(256));
                if (density == 0 || (density == 4 && random.one_in(2))) byte = 0;
                if (density == 1) byte = random.one_in(3) ? 0xFF : 0;
                if (density == 2) byte &= static_cast<std::uint8_t>(random.below(256));
                row[static_cast<std::size_t>(i)] = byte;
            }
        });
        const RowPairs pairs = random.one_in(2) ? RowPairs::merged : RowPairs::apart;
        const auto layout = static_cast<Layout>(round % 4);
        encode(rows, pairs, random.one_in(2), layout, random.one_in(3) ? FileWrite::append : FileWrite::replace,
               {9, 9});
    }
}

// Rows equal to the row before them are written as copies of its coded line; runs of them, with
// white rows between, over several fillings of the output buffer (dense rows code to ~900 bytes).
TEST_F(RasterEncoder, RepeatedRowsMatchTheReferenceAcrossBufferFlushes) {
    test::Random random(7);
    for (int round = 0; round < 8; ++round) {
        Bytes row(216);
        int left_in_run = 0;
        const Rows rows = fax_rows(700, [&](Bytes& r, int) {
            if (left_in_run-- <= 0) {
                left_in_run = random.below(12);
                const int kind = random.below(4);
                row = kind == 0 ? Bytes(216, 0) : random.bytes(216, kind == 1 ? 0 : 1);
            }
            r = row;
        });
        encode(rows, round % 2 ? RowPairs::apart : RowPairs::merged, true, static_cast<Layout>(round / 2));
    }
}

TEST_F(RasterEncoder, LastByteOfEveryLineIsTheEolEnd) {
    test::Random random(3);
    const Rows rows = fax_rows(40, [&](Bytes& row, int) { row = random.bytes(216, 1); });
    const Bytes coded = encode(rows, RowPairs::apart, false);
    EXPECT_EQ(coded.back(), 0x80);
    // The page decodes back to the same rows.
    Bytes page = coded;
    page.insert(page.end(), {0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80});
    const PackedBitmap decoded = test::decoded_bitmap(page);
    ASSERT_EQ(decoded.height(), 40);
    for (int line = 0; line < 40; ++line) {
        const std::uint8_t* stored = decoded.data() + 48 + 216 * static_cast<std::size_t>(39 - line);
        EXPECT_EQ(Bytes(stored, stored + 216), rows[static_cast<std::size_t>(line)]) << line;
    }
}

TEST_F(RasterEncoder, NetpbmDecodesWhatWeWrite) {
    const std::string pbm = dir.file("source.pbm");
    ASSERT_EQ(
        test::shell("pbmtext -nomargins 'Korvane 1234' | pnmscale -xsize 1728 -ysize 100 | pgmtopbm -threshold > " +
                    pbm + " 2>/dev/null"),
        0);
    const test::Pbm source = test::read_pbm(pbm);
    const Rows rows = fax_rows(source.height, [&](Bytes& row, int index) {
        for (int x = 0; x < 1728; ++x) {
            if (source.rows[static_cast<std::size_t>(index)][static_cast<std::size_t>(x)]) set(row, x);
        }
    });
    for (const RowPairs pairs : {RowPairs::apart, RowPairs::merged}) {
        encode(rows, pairs, true);
        const std::string back = dir.file("back.pbm");
        ASSERT_EQ(test::shell("g3topbm -reversebits " + out + " > " + back + " 2>/dev/null"), 0);
        const test::Pbm decoded = test::read_pbm(back);
        const bool every_row = pairs == RowPairs::apart;
        ASSERT_EQ(decoded.height, every_row ? source.height : source.height / 2);
        for (int y = 0; y < decoded.height; ++y) {
            for (int x = 0; x < 1728; ++x) {
                const bool expected =
                    every_row ? source.rows[y][x] : (source.rows[2 * y][x] | source.rows[2 * y + 1][x]);
                ASSERT_EQ(decoded.rows[y][x], expected) << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace korvif
