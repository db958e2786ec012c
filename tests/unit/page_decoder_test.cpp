#include <gtest/gtest.h>

#include <functional>

#include "codec/page_decoder.h"
#include "support/bitmaps.h"
#include "support/mh_writer.h"
#include "support/random_pages.h"
#include "support/reference_codec.h"

namespace korvif {
namespace {

using test::Bytes;
using test::MhWriter;
using Runs = std::vector<int>;

const Runs white_line = {1728};

// A page as S2F writes it: an aligned EOL before each line, the RTC after the last.
Bytes s2f_page(const std::vector<Runs>& lines) {
    MhWriter page;
    for (const Runs& line : lines) page.aligned_eol().runs(line).fill_to_byte();
    page.bits("000000000001000000000001000000000001000000000001000000000001000000000001");
    return page.bytes();
}

Bytes bytes_of(const PackedBitmap& bitmap) {
    return bitmap ? Bytes(bitmap.data(), bitmap.data() + bitmap.size()) : Bytes {};
}

PackedBitmap decode(const Bytes& data, bool double_lines = false, bool trim = false) {
    const DecodeOptions options {.double_lines = double_lines, .trim_trailing_white = trim};
    PackedBitmap bitmap = test::decoded_bitmap(data, options);  // too short: the reference gives nothing too
    EXPECT_EQ(bytes_of(bitmap),
              test::reference_decode_page(data.data(), static_cast<std::int32_t>(data.size()), options));
    return bitmap;
}

// Stored row of page line `line` (0 = top) in a bitmap of `rows` rows.
bool black_at(const PackedBitmap& bitmap, int x, int line) {
    return test::pixel_at(bitmap, x, bitmap.height() - 1 - line);
}

TEST(DecodePage, LengthLimitsAndEmptyPages) {
    const Bytes seven(7, 0);
    EXPECT_FALSE(decode_page(seven));
    const Bytes eight(8, 0);
    const PackedBitmap empty = decode(eight);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty.size(), 48u);
    EXPECT_EQ(empty.height(), 0);
    EXPECT_EQ(empty.width(), 1728);
    EXPECT_EQ(empty.bits_per_pixel(), 1);
    EXPECT_EQ(empty.read_u32(40), 0x00FFFFFFu);  // white, then black
    EXPECT_EQ(empty.read_u32(44), 0u);

    // Lines not closed by an EOL are not part of the page.
    MhWriter unclosed;
    unclosed.runs({100, 20, 1608}).runs({100, 20, 1608}).fill_to_byte().bits("00000000000000000000000000000000");
    EXPECT_EQ(decode(unclosed.bytes()).height(), 0);
}

TEST(DecodePage, PixelsOfASimplePage) {
    const PackedBitmap bitmap = decode(s2f_page({{0, 1, 1727}, {7, 9, 1712}, {0, 1728}, {100, 50}, white_line}));
    ASSERT_EQ(bitmap.height(), 5);
    EXPECT_TRUE(black_at(bitmap, 0, 0));
    EXPECT_FALSE(black_at(bitmap, 1, 0));
    for (int x = 0; x < 20; ++x) EXPECT_EQ(black_at(bitmap, x, 1), x >= 7 && x < 16) << x;
    for (int x = 0; x < 1728; ++x) ASSERT_TRUE(black_at(bitmap, x, 2)) << x;
    // A line shorter than 1728 pixels is padded with white.
    for (int x = 0; x < 1728; ++x) ASSERT_EQ(black_at(bitmap, x, 3), x >= 100 && x < 150) << x;
}

TEST(DecodePage, RunsBeyondTheLineAreCut) {
    const PackedBitmap bitmap = decode(s2f_page({{1700, 100, 10, 5}, {1728, 3, 0}}));
    ASSERT_EQ(bitmap.height(), 2);
    for (int x = 1690; x < 1728; ++x) EXPECT_EQ(black_at(bitmap, x, 0), x >= 1700) << x;
    EXPECT_FALSE(black_at(bitmap, 1727, 1));
}

TEST(DecodePage, LineDoublingAndTrim) {
    std::vector<Runs> lines(50, white_line);
    lines[0] = {5, 1, 1722};
    lines[9] = {20, 3, 1705};  // the tenth line
    const Bytes page = s2f_page(lines);
    EXPECT_EQ(decode(page).height(), 50);
    EXPECT_EQ(decode(page, false, true).height(), 12);
    EXPECT_EQ(decode(page, true, true).height(), 24);

    const PackedBitmap doubled = decode(page, true);
    ASSERT_EQ(doubled.height(), 100);
    EXPECT_TRUE(black_at(doubled, 5, 0));
    EXPECT_TRUE(black_at(doubled, 5, 1));
    EXPECT_FALSE(black_at(doubled, 5, 2));
    EXPECT_TRUE(black_at(doubled, 20, 18));
    EXPECT_TRUE(black_at(doubled, 20, 19));

    EXPECT_EQ(decode(s2f_page(std::vector<Runs>(30, white_line)), false, true).height(), 2);
}

TEST(DecodePage, LineBlocksAndTheLineLimit) {
    for (int count : {511, 512, 513, 1025}) {
        std::vector<Runs> lines(static_cast<std::size_t>(count), white_line);
        lines.back() = {1, 1, 1726};
        const PackedBitmap bitmap = decode(s2f_page(lines));
        ASSERT_EQ(bitmap.height(), count);
        EXPECT_EQ(bitmap.size(), 48u + 216u * static_cast<unsigned>(count));
        EXPECT_TRUE(black_at(bitmap, 1, count - 1));
    }
    const Bytes huge = s2f_page(std::vector<Runs>(70000, {10, 1, 1717}));
    EXPECT_EQ(decode(huge).height(), 65536);
    EXPECT_EQ(decode(huge, true).height(), 131072);
}

TEST(DecodePage, EndOfPageAfterARunOfEmptyEols) {
    const Runs ink = {3, 4, 1721};
    // The layouts that S2F, the raster encoder and pbmtog3 write end at their RTC: lines after
    // it are not decoded.
    MhWriter s2f;
    s2f.aligned_eol().runs(ink).fill_to_byte();
    for (int i = 0; i < 6; ++i) s2f.eol();
    s2f.aligned_eol().runs(ink).aligned_eol();
    EXPECT_EQ(decode(s2f.bytes()).height(), 1);

    MhWriter encoder;
    encoder.aligned_eol().runs(ink).aligned_eol().runs(ink).aligned_eol();
    for (int i = 0; i < 5; ++i) encoder.eol();
    encoder.runs(ink).aligned_eol().runs(ink).aligned_eol();
    EXPECT_EQ(decode(encoder.bytes()).height(), 2);

    // Data that begins with a line and whose last line is closed by the RTC's first EOL ends at
    // the RTC's sixth EOL too: the closing EOL sets the count to 0, five empty ones follow.
    MhWriter no_leading_eol;
    no_leading_eol.runs(ink).eol().eol().eol().eol().eol().eol().runs(ink).eol().fill_to_byte().bits(
        "0000000000000000");
    EXPECT_EQ(decode(no_leading_eol.bytes()).height(), 1);

    // Empty EOLs scattered between lines (doubled EOLs of a received fax) do not end the page.
    MhWriter scattered;
    for (int line = 0; line < 10; ++line) scattered.eol().eol().runs(ink);
    scattered.eol().eol().eol().eol().eol().eol();
    EXPECT_EQ(decode(scattered.bytes()).height(), 10);

    // Before the first line it takes six: the count begins at -1.
    for (int leading : {5, 6}) {
        MhWriter late_start;
        for (int i = 0; i < leading; ++i) late_start.eol();
        late_start.runs(ink).aligned_eol().eol().eol().eol().eol().eol();
        EXPECT_EQ(decode(late_start.bytes()).height(), leading == 5 ? 1 : 0) << leading;
    }

    // Six empty EOLs in a row do, also in the middle of the data.
    MhWriter run_of_six;
    run_of_six.runs(ink).eol().eol().eol().eol().eol().eol().runs(ink).eol().fill_to_byte().bits("0000000000000000");
    EXPECT_EQ(decode(run_of_six.bytes()).height(), 1);
}

TEST(DecodePage, FillBitsArePassedOver) {
    MhWriter page;
    page.eol().runs({10, 5, 1713}).bits("0000000000000000000000000000000000001");  // fill in white
    page.runs({10, 5}).bits("0000000000000000000000000001");                       // fill in black
    page.fill_to_byte().bits("0000000000000000");
    const PackedBitmap bitmap = decode(page.bytes());
    EXPECT_EQ(bitmap.height(), 2);
}

// Lines of pages wider than 1728 pixels: T.4's extended make-up codes (1792 to 2560, the same in
// both colours) are read as make-up codes, cut at the line's end like any run that passes it.
TEST(DecodePage, ExtendedMakeUpCodesAreCutAtTheLineEnd) {
    struct Case {
        const char* what;
        std::function<void(MhWriter&)> line;
        int black_from;  // black from here to the line's end
    };
    const Case cases[] = {
        // Black 1792 from pixel 12, then white 1698, which changes no pixel.
        {"black extended", [](MhWriter& l) { l.runs({12}).extended_makeup(1792).code(0, true).runs({1698}); }, 12},
        // Zero bits before the code are passed over up to it (eight or more begin no code).
        {"zeros before it",
         [](MhWriter& l) { l.runs({12}).bits("000").extended_makeup(1792).code(0, true).runs({1698}); }, 12},
        // White 2560: the colour stays white for the terminating code; the black 50 after the
        // cut run changes no pixel.
        {"white extended", [](MhWriter& l) { l.extended_makeup(2560).code(0, false).code(50, true).code(5, false); },
         1728},
        {"black 2496 from 1700", [](MhWriter& l) { l.runs({1700}).extended_makeup(2496).code(63, true).runs({3}); },
         1700},
    };
    for (const Case& c : cases) {
        MhWriter page;
        page.aligned_eol();
        c.line(page);
        page.aligned_eol().runs({5, 3, 1720}).aligned_eol().eol().eol().eol().eol().eol();
        const PackedBitmap bitmap = decode(page.bytes());
        ASSERT_EQ(bitmap.height(), 2) << c.what;
        for (int x = 0; x < 1728; ++x) ASSERT_EQ(black_at(bitmap, x, 0), x >= c.black_from) << c.what << " " << x;
        // The next line begins in white as always.
        for (int x = 0; x < 12; ++x) EXPECT_EQ(black_at(bitmap, x, 1), x >= 5 && x < 8) << c.what << " " << x;
    }
}

TEST(DecodePage, MatchesTheReferenceOnRandomPagesAndNoise) {
    test::Random random(2024);
    for (int round = 0; round < 300; ++round) {
        const Bytes page = test::ragged_page(random);
        decode(page, random.one_in(2), random.one_in(2));
    }
    for (int round = 0; round < 200; ++round) {
        const int size = 8 + random.below(3000);
        decode(random.bytes(size, random.below(4)), round % 2 == 1, round % 3 == 0);
    }
}

// Pages of 16 KB of data and more are decoded in two parts, the second from the first EOL after
// the middle of the data; the result must be the page the one-part decoding gives in every case.
class LargePage {
public:
    explicit LargePage(std::uint32_t seed) : random_(seed) {}

    // A line of short runs (dense data), closed as `layout` says: 0 plain EOL, 1 aligned EOL,
    // 2 doubled EOL, 3 EOL after fill bits.
    void dense_line(int layout) {
        close(layout);
        Runs runs;
        int total = 0;
        while (total < 1728) {
            const int run = 1 + random_.below(random_.one_in(8) ? 300 : 9);
            runs.push_back(run);
            total += run;
        }
        page_.runs(runs);
    }
    void white_line(int layout) {
        close(layout);
        page_.runs(white_line_runs);
    }
    void empty_eols(int count) {
        for (int i = 0; i < count; ++i) page_.eol();
    }
    void noise(int bytes) {
        for (int i = 0; i < 8 * bytes; ++i) page_.bits(random_.one_in(3) ? "1" : "0");
    }
    std::size_t bytes() const { return page_.bytes().size(); }
    Bytes data() const { return page_.bytes(); }
    test::Random& random() { return random_; }

private:
    void close(int layout) {
        if (layout == 1) page_.aligned_eol();
        if (layout == 0 || layout == 2) page_.eol();
        if (layout == 2) page_.eol();
        if (layout == 3) page_.bits("00000").eol();
    }

    const Runs white_line_runs = {1728};
    test::Random random_;
    MhWriter page_;
};

TEST(DecodePage, LargePagesDecodeInTwoPartsExactlyAsInOne) {
    for (unsigned round = 0; round < 24; ++round) {
        LargePage page(round);
        auto& random = page.random();
        const int layout = static_cast<int>(round % 4);
        const int kind = static_cast<int>(round / 4);
        while (page.bytes() < 24 * 1024 + static_cast<std::size_t>(random.below(40000))) {
            // kind 0: dense lines; 1: long runs of white lines around the middle; 2: empty EOLs
            // and noise scattered through (the landmark may be met as an empty EOL or inside a
            // code); 3: the page ends (RTC) before the middle and data follows; 4: pure noise
            // but for a few lines; 5: lines and EOLs in random order.
            const int pick = random.below(10);
            if (kind == 1 && page.bytes() > 10 * 1024 && page.bytes() < 30 * 1024) {
                page.white_line(layout);
            } else if (kind == 2 && pick == 0) {
                page.empty_eols(1 + random.below(3));
            } else if (kind == 2 && pick == 1) {
                page.noise(1 + random.below(20));
            } else if (kind == 3 && page.bytes() > 6 * 1024 && page.bytes() < 6 * 1024 + 600) {
                page.empty_eols(6);
                page.noise(600);
            } else if (kind == 4) {
                if (pick == 0) page.dense_line(layout);
                page.noise(100);
            } else if (kind == 5) {
                // clang-format off
                if (pick < 6) page.dense_line(random.below(4));
                else if (pick < 8) page.white_line(random.below(4));
                else page.empty_eols(1 + random.below(5));
                // clang-format on
            } else {
                page.dense_line(layout);
            }
        }
        page.empty_eols(6);
        Bytes data = page.data();
        if (round % 3 == 0) data.resize(data.size() * 3 / 4);  // the data ends in the second part
        decode(data, round % 2 == 1, round / 2 % 2 == 1);
    }
}

TEST(DecodePage, TwoPartsTogetherKeepTheLineLimit) {
    // 70,000 white lines (29 bits each), so that both parts hold lines beyond the limit.
    MhWriter page;
    page.eol();
    for (int line = 0; line < 70000; ++line) page.runs({1728}).eol();
    const Bytes data = page.bytes();
    EXPECT_EQ(decode(data).height(), max_page_lines);
}

TEST(DecodePage, PagesEncodedByNetpbmDecodeToTheirPixels) {
    test::TempDir dir;
    const std::string pbm = dir.file("page.pbm");
    const std::string g3 = dir.file("page.g3");
    ASSERT_EQ(test::shell("pbmtext -nomargins 'Korvane Faxdesk 0123456789' | pnmscale -xsize 1728 -ysize 240 | "
                          "pgmtopbm -threshold > " +
                          pbm + " 2>/dev/null && pbmtog3 -reversebits " + pbm + " > " + g3),
              0);
    const test::Pbm source = test::read_pbm(pbm);
    const Bytes data = test::read_file(g3);
    const PackedBitmap bitmap = decode(data);
    ASSERT_EQ(bitmap.height(), source.height);
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < 1728; ++x) ASSERT_EQ(black_at(bitmap, x, y), source.rows[y][x] == 1) << x << "," << y;
    }
}

}  // namespace
}  // namespace korvif
