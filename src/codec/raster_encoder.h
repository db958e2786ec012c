// Coding rows of 1728 pixels into MH data.
#pragma once

#include <cstdint>

#include "codec/byte_sink.h"
#include "codec/raster_rows.h"
#include "platform/outcome.h"

namespace korvif {

// Codes the lines the rows make, from the top of the page down: an EOL first, each line followed
// by an EOL that ends on a byte boundary, and the RTC (six EOLs) after the last. Puts the data into
// `sink` and returns the number of bytes. Fails, with nothing put, when the rows make no line
// (too_short); with cannot_be_written once the sink refuses bytes, after which nothing more is
// put.
Outcome<std::uint32_t> encode_raster(const RasterRows& rows, ByteSink& sink);

}  // namespace korvif
