// Re-coding MH data as stored in fax documents (lines separated by EOLs, with fill bits) into the
// line records of an SFF page.
#pragma once

#include <cstdint>
#include <span>

#include "codec/byte_sink.h"

namespace korvif {

// Puts the SFF records of the lines in `data` into `sff`: each line's codes, as they were read,
// without EOL and fill, as a short (1..216 bytes) or long line record; lines whose codes take 17
// to 24 bits and that hold no black pixel, all-white lines among them, as blank-line records of
// up to 37 lines. Stops at the end of the data or at the fifth empty EOL in a row. Pending blank
// lines are written before it returns. Fewer than 3 bytes of data write nothing. What it makes of
// damaged lines (a run past the line's end is written cut, the codes after it dropped, ...) is
// in codec/damaged_lines.h.
void recode_page_to_sff(std::span<const std::uint8_t> data, ByteSink& sff);

}  // namespace korvif
