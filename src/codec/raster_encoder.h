// Coding rows of 1728 pixels into MH data.
#pragma once

#include <cstdint>

#include "codec/byte_sink.h"
#include "codec/raster_rows.h"
#include "platform/outcome.h"

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

inline constexpr EncodeFlags ENCODE_RTC {1};  // after the last line, write the RTC (six EOLs)

// Codes the lines the rows make, from the top of the page down: an EOL first, each line followed
// by an EOL that ends on a byte boundary, and with ENCODE_RTC the RTC. Puts the data into
// `sink` and returns the number of bytes. Fails, with nothing put, when the rows make no line
// (too_short); with cannot_be_written once the sink refuses bytes, after which nothing more is
// put.
Outcome<std::uint32_t> encode_raster(const RasterRows& rows, ByteSink& sink, EncodeFlags flags = ENCODE_RTC);

}  // namespace korvif
