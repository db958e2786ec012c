// Decode tables indexed by windows in stream order (the first stream bit in bit 0), as the page
// decoder's reservoir holds them: looked up without reversing any bits.
#pragma once

#include <array>
#include <cstdint>

#include "codec/mh_tables.h"

namespace korvif::mh {

// One code per lookup, for every code: indexed by a 13-bit window, run | code length <<
// code_length_shift of the code that begins the window in the table's colour, 0 when none does.
// Besides the codes of the encode tables these are the extended make-up codes (runs 1792 to
// 2560) of pages wider than 1728 pixels, so that such pages are read as codes and cut at the
// line's end like any overlong run. Windows that begin with eight 0 bits begin no code.
inline constexpr int code_length_shift = 12;  // runs up to 2560 need twelve bits
inline constexpr unsigned code_run_mask = (1u << code_length_shift) - 1;
static_assert(2560 <= code_run_mask && window_bits < (1 << (16 - code_length_shift)));

struct CodeTable {
    std::array<std::uint16_t, window_count> entries;
};

// The code tables of white (0) and black (1).
const std::array<CodeTable, 2>& stream_code_tables();

// Several terminating codes per lookup. Indexed by colour << group_window_bits | the next
// group_window_bits stream bits, an entry describes the terminating codes that begin the window
// one after the other, colours alternating from the table's colour, as many as fit in the window
// while their runs together span at most 56 pixels and their black pixels lie within the first
// 50. An entry of 0 (no code taken) sends the decoder to the one-code path.
inline constexpr int group_window_bits = 13;
inline constexpr std::uint32_t group_window_mask = (1u << group_window_bits) - 1;

// Fields of a group entry. The code bits come first, so that the reservoir can be shifted by
// the entry itself (shift counts use their low six bits); the colour change sits where the
// colour sits in the table index, so that the next index is one XOR away.
inline constexpr std::uint64_t group_code_bits_mask = 63;                     // bits 0-5: code bits taken
inline constexpr int group_span_shift = 6;                                    // bits 6-11: pixels covered
inline constexpr std::uint64_t group_span_mask = 63;
inline constexpr std::uint64_t group_colour_flips = 1u << group_window_bits;  // bit 13: odd number of codes
inline constexpr std::uint64_t group_pixels_mask = ~std::uint64_t {0} << 14;  // bits 14-63: black pixels,
inline constexpr int group_max_pixel_span = 50;                               // the group's first in bit 63
inline constexpr int group_max_span = 56;
static_assert(group_window_bits == 13, "the colour change sits in bit 13, below the pixels");

struct GroupTable {
    std::array<std::uint64_t, 2u << group_window_bits> entries;
};

const GroupTable& stream_group_table();

}  // namespace korvif::mh
