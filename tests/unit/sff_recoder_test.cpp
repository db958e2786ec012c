#include <gtest/gtest.h>

#include "codec/sff_recoder.h"
#include "support/mh_writer.h"
#include "support/random_pages.h"
#include "support/reference_codec.h"

namespace korvif {
namespace {

using test::Bytes;
using test::MhWriter;
using Runs = std::vector<int>;

// A page as S2F writes it: an aligned EOL before each line, the RTC at the end.
Bytes s2f_page(const std::vector<Runs>& lines, bool rtc = true) {
    MhWriter page;
    for (const Runs& line : lines) page.aligned_eol().runs(line).fill_to_byte();
    if (rtc) {
        for (int i = 0; i < 6; ++i) page.eol();
    }
    return page.bytes();
}

// The line data of one line: its codes, least significant bit first, padded to whole bytes.
Bytes line_data(const Runs& runs) {
    MhWriter line;
    line.runs(runs).fill_to_byte();
    return line.bytes();
}

Bytes record_of(const Runs& runs) {
    const Bytes data = line_data(runs);
    Bytes record;
    if (data.size() > 216) {
        record = {0, static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(data.size() >> 8)};
    } else {
        record = {static_cast<std::uint8_t>(data.size())};
    }
    test::append(record, data);
    return record;
}

class SffRecoder : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.file("out.sff");

    // Re-codes with the re-coder and the reference; checks that they agree and returns the records.
    Bytes recode(const Bytes& data) {
        MemorySink sink;
        recode_page_to_sff(data, sink);
        const Bytes written = sink.data;
        EXPECT_EQ(written, test::reference_recode_page_to_sff(data.data(), static_cast<std::int32_t>(data.size())));
        return written;
    }
};

const Runs white = {1728};

TEST_F(SffRecoder, BlankRunsAreWrittenAtThirtySevenAndWhereTheyEnd) {
    const Runs a = {10, 20, 1698};
    const Runs b = {300, 5, 1423};
    std::vector<Runs> lines = {a};
    lines.insert(lines.end(), 50, white);
    lines.push_back(b);
    Bytes expected = record_of(a);
    test::append(expected, {253, 229});
    test::append(expected, record_of(b));
    EXPECT_EQ(recode(s2f_page(lines)), expected);

    // Ended by the RTC: written at its first empty EOL.
    Bytes ended = record_of(a);
    ended.push_back(216 + 3);
    EXPECT_EQ(recode(s2f_page({a, white, white, white})), ended);
    // At the very end of data without an RTC: written by the final step (the last line, not
    // closed by an EOL, is not part of the page).
    Bytes final_step = record_of(a);
    final_step.push_back(216 + 2);
    EXPECT_EQ(recode(s2f_page({a, white, white, white}, false)), final_step);
}

TEST_F(SffRecoder, ShortAndLongLineRecords) {
    // Lines of 1728 pixels whose codes take exactly 216 and 217 bytes: k one-pixel pairs and a
    // white rest.
    for (std::size_t wanted : {216u, 217u}) {
        Runs found;
        for (int k = 1; k < 864 && found.empty(); ++k) {
            Runs runs;
            for (int i = 0; i < k; ++i) runs.insert(runs.end(), {1, 1});
            runs.push_back(1728 - 2 * k);
            if (line_data(runs).size() == wanted) found = runs;
        }
        ASSERT_FALSE(found.empty()) << wanted;
        const Bytes records = recode(s2f_page({found}));
        if (wanted == 216) {
            EXPECT_EQ(records.front(), 216);
        } else {
            EXPECT_EQ(Bytes(records.begin(), records.begin() + 3), (Bytes {0, 0xD9, 0x00}));
        }
        EXPECT_EQ(Bytes(records.begin() + (wanted == 216 ? 1 : 3), records.end()), line_data(found));
    }
    // A line of 1 or 2 bytes is a short line, not a blank one.
    EXPECT_EQ(recode(s2f_page({{2}})), record_of({2}));
    EXPECT_EQ(recode(s2f_page({{0, 1}})), record_of({0, 1}));
    // White 0 and black 1728: AC C0 14 76.
    EXPECT_EQ(recode(s2f_page({{0, 1728}})), (Bytes {4, 0xAC, 0xC0, 0x14, 0x76}));
}

TEST_F(SffRecoder, LinesOfSeventeenToTwentyFourBitsAreBlankOnlyWithoutInk) {
    struct Case {
        Runs runs;
        bool blank;
    };
    const Case cases[] = {
        {{1728}, true},         // the coded white line, 17 bits
        {{1000}, true},         // white 1000 only: 17 bits, no ink
        {{1727, 1}, false},     // 17 bits with the last pixel black
        {{5, 3, 1720}, false},  // 20 bits, three black pixels
        {{0, 1, 1727}, false},  // pixel 0 black: 25 bits, a data line anyway
    };
    const Runs next = {100, 100, 1528};
    for (const Case& c : cases) {
        Bytes expected = c.blank ? Bytes {217} : record_of(c.runs);
        test::append(expected, record_of(next));
        EXPECT_EQ(recode(s2f_page({c.runs, next})), expected) << c.runs.size();
    }
}

TEST_F(SffRecoder, RunsPastTheLineEndAreWrittenWholeUpToItAndTheRestOfTheLineDropped) {
    // The record of a line made of these codes, in this order.
    auto record = [](std::initializer_list<const char*> codes) {
        MhWriter line;
        for (const char* code : codes) line.bits(code);
        line.fill_to_byte();
        Bytes bytes = {static_cast<std::uint8_t>(line.bytes().size())};
        test::append(bytes, line.bytes());
        return bytes;
    };
    struct Case {
        const char* what;
        Runs runs;
        Bytes expected;
    };
    const Case cases[] = {
        // White 1700 (make-up 1664, terminating 36); black 100 is read as make-up 64, cut to 28
        // and written as black 28; its terminating 36 and the white 10 and black 5 are dropped.
        {"make-up past the end", {1700, 100, 10, 5}, record({"011000", "00010101", "000011001100"})},
        // Black make-up 640 from pixel 1690, cut to 38.
        {"long make-up past the end", {1690, 640}, record({"011000", "0010011", "000011010110"})},
        // White make-up 128 from pixel 1650, cut to 78: make-up 64 and terminating 14.
        {"make-up cut to 64 and more",
         {1650, 0, 128, 0},
         record({"010011010", "01010011", "0000110111", "11011", "110100"})},
        // Black terminating 40 from pixel 1700, cut to 28.
        {"terminating code past the end", {1700, 40, 5}, record({"011000", "00010101", "000011001100"})},
        // The line is full at 1728; the white 10 that follows is cut to 0, the black 5 dropped.
        {"codes after a full line", {1700, 28, 10, 5}, record({"011000", "00010101", "000011001100", "00110101"})},
        // Ending exactly at 1728 with runs that fit: unchanged.
        {"exactly full", {1000, 728}, {}},
    };
    for (const Case& c : cases) {
        Bytes expected = c.expected;
        if (expected.empty()) {  // unchanged: the line's own codes
            const Bytes codes = line_data(c.runs);
            expected = {static_cast<std::uint8_t>(codes.size())};
            test::append(expected, codes);
        }
        EXPECT_EQ(recode(s2f_page({c.runs})), expected) << c.what;
    }
    // A line of a page wider than 1728 pixels: black extended make-up 1792 from pixel 12, cut to
    // 1716 and written as make-up 1664 and terminating 52; its terminating 0 and the white 1698
    // are dropped.
    MhWriter wide;
    wide.aligned_eol().runs({12}).extended_makeup(1792).code(0, true).runs({1698}).fill_to_byte();
    for (int i = 0; i < 6; ++i) wide.eol();
    EXPECT_EQ(recode(wide.bytes()), record({"001000", "0000001100100", "000000100100"}));
}

// The fifth empty EOL in a row ends the page, before the first line too (where the decoder reads
// on to the sixth).
TEST_F(SffRecoder, TheFifthEmptyEolInARowEndsThePage) {
    const Runs ink = {3, 4, 1721};
    for (int leading : {4, 5}) {
        MhWriter page;
        for (int i = 1; i < leading; ++i) page.eol();
        page.aligned_eol().runs(ink).fill_to_byte();  // the line's own EOL is empty as well
        for (int i = 0; i < 6; ++i) page.eol();
        EXPECT_EQ(recode(page.bytes()), leading == 4 ? record_of(ink) : Bytes {}) << leading;
    }
}

TEST_F(SffRecoder, TooLittleDataWritesNothingAndTheGuardEndsDamagedLines) {
    for (std::size_t size : {0u, 1u, 2u}) EXPECT_TRUE(recode(Bytes(size, 0xFF)).empty()) << size;
    // One-pixel runs far beyond the line's end, never closed by an EOL.
    MhWriter damaged;
    damaged.aligned_eol();
    for (int i = 0; i < 1500; ++i) damaged.runs({1, 1});
    damaged.aligned_eol().runs({7, 7, 1714}).aligned_eol();
    const Bytes records = recode(damaged.bytes());
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[0], 0);
    const unsigned length = records[1] | (records[2] << 8);
    EXPECT_GT(length, 216u);
    EXPECT_LE(length, 1004u);
}

TEST_F(SffRecoder, MatchesTheReferenceOnRandomData) {
    test::Random random(77);
    for (int round = 0; round < 300; ++round) recode(test::ragged_page(random));
    for (int round = 0; round < 200; ++round) recode(random.bytes(random.below(2000), 2));
}

}  // namespace
}  // namespace korvif
