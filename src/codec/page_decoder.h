// Decoding the MH data of one fax page into a packed bitmap 1728 pixels wide.
#pragma once

#include <cstdint>

#include "image/bitmap.h"

namespace korvif {

inline constexpr int lines_per_block = 512;
inline constexpr int max_line_blocks = 128;
inline constexpr int max_page_lines = lines_per_block * max_line_blocks;

// How the decoded lines become rows.
struct DecodeOptions {
    bool double_lines = false;         // two identical rows per line (a normal-resolution page)
    bool trim_trailing_white = false;  // the white lines after the last black pixel go, all but two
};

// Decodes the page into a 1-bit bitmap (40-byte header, white/black palette, rows bottom-up), a
// row per line or, with double_lines, two. Fails for fewer than 8 bytes of data (too_short) or
// when the bitmap cannot be had (no_memory). Corrupt data never fails: bits that begin no code
// are passed over and runs beyond the line's end are cut.
Outcome<PackedBitmap> decode_page(const std::uint8_t* data, std::int32_t length, DecodeOptions options = {});

}  // namespace korvif
