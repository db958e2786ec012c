// Coding a packed bitmap of 1728-pixel rows into MH data written to a file.
#pragma once

#include <cstdint>

#include "image/bitmap.h"

namespace korvif {

inline constexpr int ENCODE_RTC = 1;          // after the last line, write the RTC
inline constexpr int ENCODE_EVERY_ROW = 2;    // code every row; without it rows are merged in pairs
inline constexpr int ENCODE_SKIP_HEADER = 4;  // the block begins with a 40-byte header and 2-entry palette
inline constexpr int ENCODE_APPEND = 8;       // write at the end of the file instead of replacing it

// Codes the rows (216 bytes each, bottom-up, a set bit black, as many as the block holds) from the
// top of the image down: an EOL first, each line followed by an EOL that ends on a byte boundary,
// and with ENCODE_RTC the RTC. Without ENCODE_EVERY_ROW each pair of rows is ORed together in the
// caller's bitmap and coded as one line; an odd top row is left out. Returns the bytes written;
// 0 when nothing was written (a block under 48 bytes with ENCODE_SKIP_HEADER opens no file; too
// few rows leave the file created anew and empty, or untouched when appending).
std::uint32_t encode_raster(PackedBitmap& bitmap, const char* path, int flags);

}  // namespace korvif
