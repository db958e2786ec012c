// Coding a packed bitmap of 1728-pixel rows into MH data.
#pragma once

#include <cstdint>

#include "codec/byte_sink.h"
#include "image/bitmap.h"

namespace korvif {

inline constexpr int ENCODE_RTC = 1;          // after the last line, write the RTC
inline constexpr int ENCODE_EVERY_ROW = 2;    // code every row; without it rows are merged in pairs
inline constexpr int ENCODE_SKIP_HEADER = 4;  // the block begins with a 40-byte header and 2-entry palette
inline constexpr int ENCODE_APPEND = 8;       // (file form) write at the end of the file instead of replacing it

// Codes the rows (216 bytes each, bottom-up, a set bit black, as many as the block holds) from the
// top of the image down: an EOL first, each line followed by an EOL that ends on a byte boundary,
// and with ENCODE_RTC the RTC. Without ENCODE_EVERY_ROW each pair of rows is ORed together in the
// caller's bitmap and coded as one line; an odd top row is left out. Puts the data into `sink`
// and returns the bytes it took: 0 for a null bitmap, a block under 48 bytes with
// ENCODE_SKIP_HEADER, or too few rows. Once the sink refuses bytes nothing more is put, and the
// count stops there. ENCODE_APPEND means nothing here (see encode_raster_to_file).
std::uint32_t encode_raster(PackedBitmap& bitmap, ByteSink& sink, int flags);

}  // namespace korvif
