// The constant data of the Modified Huffman (ITU-T T.4, one-dimensional) codec and its bit orders.
//
// MH data in files and buffers holds the code bits in transmission order, least significant bit
// of each byte first. Code values, windows and the line buffers in which coded lines are built
// are most significant bit first.
#pragma once

#include <array>
#include <cstdint>

#include "image/bitmap.h"

namespace korvif::mh {

// The fax line's width (image/bitmap.h) as the signed counts the coders calculate with.
inline constexpr int line_pixels = static_cast<int>(fax_line_pixels);
inline constexpr int line_bytes = static_cast<int>(fax_line_bytes);
inline constexpr int max_run = line_pixels;

// Encode tables, indexed by run length 0..1728: for runs of 64 and more the make-up code of the
// multiple of 64 followed by the terminating code of the remainder, held as one value.
extern const std::array<std::int32_t, max_run + 1> white_codes;
extern const std::array<std::int32_t, max_run + 1> black_codes;
extern const std::array<std::uint8_t, max_run + 1> white_code_lengths;
extern const std::array<std::uint8_t, max_run + 1> black_code_lengths;

// Decode windows hold the next 13 stream bits (stream_decode_tables.h).
inline constexpr int window_bits = 13;
inline constexpr int window_count = 1 << window_bits;

// Decoding ends when the count of empty EOLs reaches 5. An EOL that closes a line sets the count
// back to 0, so empty EOLs scattered between lines (doubled EOLs in a received fax) do not end
// the page; only a run of them does, as at the RTC. (The page decoder starts its count at -1,
// so it stops after the sixth.)
inline constexpr int empty_eols_at_page_end = 5;

// Entry i is i with its 8 bits in reverse order.
extern const std::array<std::uint8_t, 256> byte_reverse;

// A code of the encode tables (its first bit the most significant of `length`) in stream order,
// its first bit in bit 0.
constexpr std::uint32_t in_stream_order(std::uint32_t code, unsigned length) {
    std::uint32_t reversed = 0;
    for (unsigned i = 0; i < length; ++i) reversed |= ((code >> (length - 1 - i)) & 1u) << i;
    return reversed;
}

// Ready-made code strings, as their bytes stand in MH data.
inline constexpr std::array<std::uint8_t, 2> aligned_eol = {0x00, 0x80};
inline constexpr std::array<std::uint8_t, 3> white_line_code = {0xB2, 0x59, 0x01};
inline constexpr std::array<std::uint8_t, 9> rtc_bytes = {0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80};

// One T.4 code word: its run length and its bits in transmission order.
struct CodeWord {
    std::uint16_t run;
    const char* bits;
};

}  // namespace korvif::mh
