// Decode tables indexed by windows in stream order (the first stream bit in bit 0), as the page
// decoder's reservoir holds them: looked up without reversing any bits.
#pragma once

#include <array>
#include <cstdint>

#include "codec/mh_tables.h"

namespace korvif::mh {

// An entry of the code tables below: the run and the length in bits of the code that begins a
// window, both 0 where none does, in 16 bits (the length above the run), so that the tables stay
// small. Taken apart by code_run and code_length only.
using CodeEntry = std::uint16_t;

inline constexpr int code_length_shift = 12;  // runs up to 2560 need twelve bits
static_assert(2560 < (1 << code_length_shift) && window_bits < (1 << (16 - code_length_shift)));

constexpr CodeEntry code_entry(unsigned run, unsigned length) {
    return static_cast<CodeEntry>(run | length << code_length_shift);
}
constexpr unsigned code_run(CodeEntry entry) { return entry & ((1u << code_length_shift) - 1); }
constexpr unsigned code_length(CodeEntry entry) { return static_cast<unsigned>(entry >> code_length_shift); }

// One code per lookup, for every code: indexed by a 13-bit window, the code that begins the
// window in the table's colour. Besides the codes of the encode table these are the extended
// make-up codes (runs 1792 to 2560) of pages wider than 1728 pixels (codec/damaged_lines.h,
// "extended make-up codes"). Windows that begin with eight 0 bits begin no code.
struct CodeTable {
    std::array<CodeEntry, window_count> entries;
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
inline constexpr std::uint64_t group_code_bits_mask = 63;  // bits 0-5: code bits taken
inline constexpr int group_span_shift = 6;                 // bits 6-11: pixels covered
inline constexpr std::uint64_t group_span_mask = 63;
inline constexpr std::uint64_t group_colour_flips = 1u << group_window_bits;  // bit 13: odd number of codes
inline constexpr std::uint64_t group_pixels_mask = ~std::uint64_t {0} << 14;  // bits 14-63: black pixels,
inline constexpr int group_max_pixel_span = 50;                               // the group's first in bit 63
inline constexpr int group_max_span = 56;
static_assert(group_window_bits == 13, "the colour change sits in bit 13, below the pixels");

constexpr unsigned group_code_bits(std::uint64_t entry) { return static_cast<unsigned>(entry & group_code_bits_mask); }
constexpr unsigned group_span(std::uint64_t entry) {
    return static_cast<unsigned>(entry >> group_span_shift & group_span_mask);
}

struct GroupTable {
    std::array<std::uint64_t, 2u << group_window_bits> entries;
};

const GroupTable& stream_group_table();

}  // namespace korvif::mh
