// Coding a packed bitmap of 1728-pixel rows into MH data.
#pragma once

#include <cstdint>

#include "codec/byte_sink.h"
#include "image/bitmap.h"

namespace korvif {

// The encoder's options: a set of the flags below, joined with |.
enum class EncodeFlags : unsigned { none = 0 };

constexpr EncodeFlags operator|(EncodeFlags a, EncodeFlags b) {
    return static_cast<EncodeFlags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
// True when every flag of `flag` is in `set`.
constexpr bool has(EncodeFlags set, EncodeFlags flag) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(flag)) == static_cast<unsigned>(flag);
}

inline constexpr EncodeFlags ENCODE_RTC {1};          // after the last line, write the RTC
inline constexpr EncodeFlags ENCODE_EVERY_ROW {2};    // code every row; without it rows are merged in pairs
inline constexpr EncodeFlags ENCODE_SKIP_HEADER {4};  // the block begins with a 40-byte header and 2-entry palette

// Codes the rows (216 bytes each, bottom-up, a set bit black, as many as the block holds) from the
// top of the image down: an EOL first, each line followed by an EOL that ends on a byte boundary,
// and with ENCODE_RTC the RTC. Without ENCODE_EVERY_ROW each pair of rows is ORed together in the
// caller's bitmap and coded as one line; an odd top row is left out. Puts the data into `sink`
// and returns the number of bytes. Fails, with nothing put, for a block under 48 bytes with
// ENCODE_SKIP_HEADER or fewer rows than one line takes (too_short); with cannot_be_written once
// the sink refuses bytes, after which nothing more is put.
Outcome<std::uint32_t> encode_raster(PackedBitmap& bitmap, ByteSink& sink, EncodeFlags flags);

}  // namespace korvif
