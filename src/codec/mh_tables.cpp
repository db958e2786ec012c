#include "codec/mh_tables.h"

#include "codec/t4_codes.h"

namespace korvif::mh {

namespace {

template <typename T, std::size_t N>
constexpr std::array<T, N> make_reverse_table(int bits) {
    std::array<T, N> table {};
    for (std::size_t i = 0; i < N; ++i) {
        std::uint32_t reversed = 0;
        for (int b = 0; b < bits; ++b) {
            if (i & (1u << b)) reversed |= 1u << (bits - 1 - b);
        }
        table[i] = static_cast<T>(reversed);
    }
    return table;
}

using t4::black_decode;
using t4::black_encode;
using t4::white_decode;
using t4::white_encode;

constexpr std::array<std::uint32_t, 32> make_bit_masks() {
    std::array<std::uint32_t, 32> masks {};
    for (int k = 0; k < 32; ++k) masks[k] = 1u << k;
    return masks;
}

}  // namespace

const std::array<CodeWord, 64> white_terminating_codes = t4::white_terminating;
const std::array<CodeWord, 27> white_makeup_codes = t4::white_makeup;
const std::array<CodeWord, 64> black_terminating_codes = t4::black_terminating;
const std::array<CodeWord, 27> black_makeup_codes = t4::black_makeup;

const std::array<std::int32_t, max_run + 1> white_codes = white_encode.codes;
const std::array<std::int32_t, max_run + 1> black_codes = black_encode.codes;
const std::array<std::uint8_t, max_run + 1> white_code_lengths = white_encode.lengths;
const std::array<std::uint8_t, max_run + 1> black_code_lengths = black_encode.lengths;

const std::array<std::uint16_t, window_count> white_decode_runs = white_decode.runs;
const std::array<std::uint16_t, window_count> black_decode_runs = black_decode.runs;
const std::array<std::uint8_t, window_count> white_decode_lengths = white_decode.lengths;
const std::array<std::uint8_t, window_count> black_decode_lengths = black_decode.lengths;

const std::array<std::uint16_t, 65536> word_reverse = make_reverse_table<std::uint16_t, 65536>(16);
const std::array<std::uint8_t, 256> byte_reverse = make_reverse_table<std::uint8_t, 256>(8);

const std::array<std::uint32_t, 32> bit_masks = make_bit_masks();
const std::array<std::uint8_t, 8> pixel_masks = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
const std::array<std::uint8_t, 9> fill_masks = {0x00, 0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF};

}  // namespace korvif::mh
