#include "support/mh_writer.h"

#include "codec/mh_tables.h"
#include "support/mh_test_tables.h"

namespace korvif::test {

void MhWriter::put(bool bit) {
    if (bit_count_ % 8 == 0) bytes_.push_back(0);
    if (bit) bytes_.back() |= static_cast<std::uint8_t>(1u << (bit_count_ % 8));
    ++bit_count_;
}

MhWriter& MhWriter::bits(const char* text) {
    for (; *text; ++text) put(*text == '1');
    return *this;
}

MhWriter& MhWriter::code(int run, bool black) {
    const mh::CodeWord& word = black ? mh::black_terminating_codes[run] : mh::white_terminating_codes[run];
    return bits(word.bits);
}

MhWriter& MhWriter::extended_makeup(int run) {
    return bits(mh::extended_makeup_codes[static_cast<std::size_t>(run - 1792) / 64].bits);
}

MhWriter& MhWriter::runs(std::initializer_list<int> lengths) { return runs(std::vector<int>(lengths)); }

MhWriter& MhWriter::runs(const std::vector<int>& lengths) {
    bool black = false;
    for (int run : lengths) {
        const auto& makeup = black ? mh::black_makeup_codes : mh::white_makeup_codes;
        for (; run > 1728; run -= 1728) bits(makeup[26].bits);
        if (run >= 64) {
            bits(makeup[run / 64 - 1].bits);
            run %= 64;
        }
        code(run, black);
        black = !black;
    }
    return *this;
}

MhWriter& MhWriter::aligned_eol() {
    while ((bit_count_ + 12) % 8 != 0) put(false);
    return eol();
}

MhWriter& MhWriter::fill_to_byte() {
    while (bit_count_ % 8 != 0) put(false);
    return *this;
}

std::vector<int> runs_of_row(const std::uint8_t* row) {
    std::vector<int> runs;
    bool colour = false;
    int length = 0;
    for (int x = 0; x < 1728; ++x) {
        const bool black = (row[x / 8] & (0x80 >> (x % 8))) != 0;
        if (black != colour) {
            runs.push_back(length);
            length = 0;
            colour = black;
        }
        ++length;
    }
    runs.push_back(length);
    return runs;
}

}  // namespace korvif::test
