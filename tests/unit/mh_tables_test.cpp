#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "codec/encode_table.h"
#include "codec/mh_tables.h"
#include "codec/stream_bits.h"
#include "codec/stream_decode_tables.h"
#include "support/mh_test_tables.h"
#include "support/mh_writer.h"

namespace korvif::mh {
namespace {

struct ListedCode {
    bool black;
    bool makeup;
    bool extended;
    int run;
    std::string bits;
};

// The T.4 code list kept beside the project, checked against an independent encoder.
std::vector<ListedCode> listed_codes() {
    std::ifstream in(KORVIF_TEST_DATA_DIR "/t4-mh-codes.tsv");
    EXPECT_TRUE(in.is_open()) << "cannot read " KORVIF_TEST_DATA_DIR "/t4-mh-codes.tsv";
    std::vector<ListedCode> codes;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line.rfind("colour", 0) == 0) continue;
        std::istringstream fields(line);
        std::string colour, kind, run, length, bits;
        fields >> colour >> kind >> run >> length >> bits;
        codes.push_back({colour == "black", kind == "make-up", kind == "extended", std::stoi(run), bits});
    }
    return codes;
}

std::uint32_t value_of(const std::string& bits) { return static_cast<std::uint32_t>(std::stoul(bits, nullptr, 2)); }

// The bits in stream order: the first in bit 0.
std::uint32_t stream_value_of(const std::string& bits) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bits.size(); ++i) value |= (bits[i] == '1' ? 1u : 0u) << i;
    return value;
}

TEST(MhTables, EveryListedCodeIsInTheEncodeAndDecodeTables) {
    const auto codes = listed_codes();
    ASSERT_EQ(codes.size(), 2u * (64 + 27 + 13));
    for (const ListedCode& code : codes) {
        const auto& runs = code.black ? black_decode_runs : white_decode_runs;
        const auto& decode_lengths = code.black ? black_decode_lengths : white_decode_lengths;
        const std::uint32_t value = value_of(code.bits);
        const auto length = static_cast<unsigned>(code.bits.size());
        const std::uint32_t first = value << (13 - length);
        // Every window that begins with the code decodes to it in the decoders' stream-order
        // table (first bit in bit 0), the extended make-up codes included.
        const auto& stream = stream_code_tables()[code.black ? 1 : 0].entries;
        const std::uint32_t in_stream_order = stream_value_of(code.bits);
        for (std::uint32_t rest = 0; rest < (1u << (13 - length)); ++rest) {
            const CodeEntry entry = stream[in_stream_order | rest << length];
            ASSERT_EQ(code_run(entry), code.run) << code.bits;
            ASSERT_EQ(code_length(entry), length) << code.bits;
        }
        if (code.extended) {
            // Left out of the encode tables (no run above 1728) and the decode tables beside them.
            ASSERT_EQ(decode_lengths[first], 0) << code.bits;
            continue;
        }
        // In the encode table in stream order, make-up entries with the terminating code of 0
        // behind the make-up code.
        const std::string coded = code.makeup ? code.bits + (code.black ? "0000110111" : "00110101") : code.bits;
        const EncodeEntry entry = encode_table.colour[code.black ? 1 : 0][static_cast<std::size_t>(code.run)];
        EXPECT_EQ(entry.bits(), stream_value_of(coded)) << code.run;
        EXPECT_EQ(entry.length(), coded.size()) << code.run;
        // And in the reference's table (first bit in bit 12).
        for (std::uint32_t w = first; w < first + (1u << (13 - length)); ++w) {
            ASSERT_EQ(runs[w], code.run) << code.bits;
            ASSERT_EQ(decode_lengths[w], length) << code.bits;
        }
    }
}

TEST(MhTables, WindowsWithoutCode) {
    for (std::uint32_t w = 0; w < 8192; ++w) {
        // The encode tables' codes leave out the windows of seven leading zeros, the extended
        // make-up codes among them.
        EXPECT_EQ(white_decode_lengths[w] == 0, w < 64) << w;
        EXPECT_EQ(black_decode_lengths[w] == 0, w < 64) << w;
        // With the extended codes, the decoders find a code in every window but those whose
        // first eight bits (in stream order) are 0.
        EXPECT_EQ(stream_code_tables()[0].entries[w] == 0, (w & 0xFF) == 0) << w;
        EXPECT_EQ(stream_code_tables()[1].entries[w] == 0, (w & 0xFF) == 0) << w;
    }
    EXPECT_TRUE(begins_with_eol(0x800));
    EXPECT_TRUE(begins_with_eol(0x1800));
    EXPECT_FALSE(begins_with_eol(0));
    EXPECT_FALSE(begins_with_eol(0x400));
}

TEST(MhTables, SampleEntries) {
    struct Entry {
        bool black;
        int run;
        std::uint32_t value;
        unsigned length;
    };
    const Entry entries[] = {
        {false, 0, 0x35, 8},      {false, 1, 0x7, 6},        {false, 64, 0x1B35, 13},  {false, 65, 0x6C7, 11},
        {false, 100, 0x1B15, 13}, {false, 1728, 0x9B35, 17}, {true, 0, 0x37, 10},      {true, 1, 0x2, 3},
        {true, 2, 0x3, 2},        {true, 64, 0x3C37, 20},    {true, 538, 0x6C0CA, 25}, {true, 1728, 0x19437, 23},
    };
    for (const Entry& e : entries) {
        // The values above are written first bit first from the most significant.
        std::uint32_t in_stream_order = 0;
        for (unsigned i = 0; i < e.length; ++i) in_stream_order |= ((e.value >> (e.length - 1 - i)) & 1u) << i;
        const EncodeEntry entry = encode_table.colour[e.black ? 1 : 0][static_cast<std::size_t>(e.run)];
        EXPECT_EQ(entry.bits(), in_stream_order) << e.run;
        EXPECT_EQ(entry.length(), e.length) << e.run;
    }
    // Windows: white 010011011... is make-up 1728, black 0000001100101 too, black 11 is 2.
    EXPECT_EQ(white_decode_runs[0b0100110110000], 1728);
    EXPECT_EQ(white_decode_lengths[0b0100110110000], 9);
    EXPECT_EQ(black_decode_runs[0b0000001100101], 1728);
    EXPECT_EQ(black_decode_lengths[0b0000001100101], 13);
    EXPECT_EQ(black_decode_runs[0b1100000000000], 2);
    EXPECT_EQ(black_decode_lengths[0b1100000000000], 2);
}

TEST(StreamBits, StoredCodeStringsReadAsTheirCodes) {
    const auto& white = stream_code_tables()[0].entries;
    const auto& black = stream_code_tables()[1].entries;
    // The RTC from a byte boundary: six EOLs at bit positions 0, 12, ..., 60.
    const std::uint8_t rtc_then_padding[12] = {0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0, 0, 0};
    StreamBits rtc(rtc_then_padding, sizeof rtc_then_padding);
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(begins_with_eol(rtc.bits())) << i;
        rtc.advance_bits(12);
    }
    // The coded white line: make-up 1728 and terminating 0; then seven 0 bits begin no black code.
    const std::uint8_t white_line[8] = {0xB2, 0x59, 0x01, 0, 0, 0, 0, 0};
    StreamBits reader(white_line, sizeof white_line);
    EXPECT_EQ(code_run(white[reader.bits() & 0x1FFF]), 1728);
    reader.advance_bits(code_length(white[reader.bits() & 0x1FFF]));
    EXPECT_EQ(code_run(white[reader.bits() & 0x1FFF]), 0);
    EXPECT_EQ(code_length(white[reader.bits() & 0x1FFF]), 8);
    reader.advance_bits(8);
    EXPECT_EQ(black[reader.bits() & 0x1FFF], 0);
    // The aligned EOL: four fill bits, then the EOL.
    const std::uint8_t eol[8] = {0x00, 0x80, 0, 0, 0, 0, 0, 0};
    StreamBits aligned(eol, sizeof eol);
    aligned.advance_bits(4);
    EXPECT_TRUE(begins_with_eol(aligned.bits()));
}

TEST(StreamBits, UsesUpFloorOfLengthLessOneOverTwoWords) {
    const std::uint8_t data[9] = {};
    for (std::int32_t length : {0, 1, 2, 3, 4, 9, -4}) {
        StreamBits reader(data, length);
        const std::int64_t words = length > 0 ? (length - 1) / 2 : 0;
        EXPECT_EQ(reader.bits_left(), static_cast<std::uint64_t>(16 * words)) << length;
        EXPECT_EQ(reader.used_up(), words == 0) << length;
    }
    // Bits beyond the data read as 0, whatever lies in memory after it.
    const std::uint8_t ones[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    StreamBits short_reader(ones, 1);
    EXPECT_EQ(short_reader.bits() & 0x1FFF, 0xFFu);
}

}  // namespace
}  // namespace korvif::mh
