// T.4 tables that only the tests and the reference codec use: decode windows with the first
// stream bit as the most significant (bit 12), 16-bit reversal and the code words.
#pragma once

#include <array>
#include <cstdint>

#include "codec/mh_tables.h"
#include "codec/t4_codes.h"

namespace korvif::mh {

// Entry i is i with its 8 bits in reverse order.
inline constexpr std::array<std::uint8_t, 256> byte_reverse = [] {
    std::array<std::uint8_t, 256> table {};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned reversed = 0;
        for (unsigned b = 0; b < 8; ++b) {
            if (i & (1u << b)) reversed |= 1u << (7 - b);
        }
        table[i] = static_cast<std::uint8_t>(reversed);
    }
    return table;
}();

// The run length and code length of the code that begins the window, or 0 and 0.
inline constexpr const std::array<std::uint16_t, window_count>& white_decode_runs = t4::white_decode.runs;
inline constexpr const std::array<std::uint16_t, window_count>& black_decode_runs = t4::black_decode.runs;
inline constexpr const std::array<std::uint8_t, window_count>& white_decode_lengths = t4::white_decode.lengths;
inline constexpr const std::array<std::uint8_t, window_count>& black_decode_lengths = t4::black_decode.lengths;

inline constexpr const std::array<CodeWord, 64>& white_terminating_codes = t4::white_terminating;
inline constexpr const std::array<CodeWord, 27>& white_makeup_codes = t4::white_makeup;
inline constexpr const std::array<CodeWord, 64>& black_terminating_codes = t4::black_terminating;
inline constexpr const std::array<CodeWord, 27>& black_makeup_codes = t4::black_makeup;
inline constexpr const std::array<CodeWord, 13>& extended_makeup_codes = t4::extended_makeup;

// Entry i is i with its 16 bits in reverse order.
extern const std::array<std::uint16_t, 65536> word_reverse;

}  // namespace korvif::mh
