// Decoding the MH data of one fax page into its lines.
#pragma once

#include <cstdint>
#include <span>

#include "codec/decoded_page.h"
#include "platform/outcome.h"

namespace korvif {

// Decodes the page into its lines, each making one row or, with double_lines, two; with the trim
// the white lines after the last black one go, all but two. Fails for fewer than 8 bytes of data
// (too_short), and with no_memory when a block for its lines cannot be had (a page cut short is
// never handed on as a whole one). Damaged data never fails: codec/damaged_lines.h says what
// becomes of it.
Outcome<DecodedPage> decode_page(std::span<const std::uint8_t> data, DecodeOptions options = {});

}  // namespace korvif
