// The constant data of the Modified Huffman (ITU-T T.4, one-dimensional) codec and its bit orders.
//
// MH data in files and buffers holds the code bits in transmission order, least significant bit
// of each byte first (stream order). The coders' tables, windows and line buffers hold them the
// same way; only the readable code lists of t4_codes.h and the tables built from them on the way
// are written first bit first from the most significant.
#pragma once

#include <array>
#include <cstdint>

namespace korvif {

// Every fax line is 1728 pixels wide (T.4's standard width): the lines of MH data and the rows
// the coders read and write, 216 bytes each, the first pixel in the top bit of the first byte, a
// set bit black.
inline constexpr std::uint32_t fax_line_pixels = 1728;
inline constexpr std::uint32_t fax_line_bytes = fax_line_pixels / 8;

}  // namespace korvif

namespace korvif::mh {

// The fax line's width as the signed counts the coders calculate with.
inline constexpr int line_pixels = static_cast<int>(fax_line_pixels);
inline constexpr int line_bytes = static_cast<int>(fax_line_bytes);
inline constexpr int max_run = line_pixels;

// Decode windows hold the next 13 stream bits (stream_decode_tables.h).
inline constexpr int window_bits = 13;
inline constexpr int window_count = 1 << window_bits;

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
