// Plain, step-by-step implementations of the codec's algorithms: the word-by-word MH reader, the
// page decoder and SFF re-coder that handle one code (or one bit) per step, and the bit-by-bit
// raster encoder. The tests compare the fast codec with them on many inputs.
#pragma once

#include <cstdint>
#include <vector>

#include "codec/page_decoder.h"
#include "codec/raster_encoder.h"
#include "support/files.h"

namespace korvif::test {

// decode_page one code or one bit per step (with the empty-EOL count reset by every EOL that closes a line):
// the bytes of the packed bitmap, or an empty vector for the null result.
Bytes reference_decode_page(const std::uint8_t* data, std::int32_t length, DecodeOptions options);

// encode_raster bit by bit, into memory: the bytes it writes for the rows, given top row first
// (216 bytes each), with the RTC when `rtc` is set.
Bytes reference_encode_raster(const std::vector<Bytes>& rows, RowPairs pairs, bool rtc);

// recode_page_to_sff bit by bit (with lines of 17 to 24 bits counted blank only
// when they hold no black pixel): the SFF records it writes.
Bytes reference_recode_page_to_sff(const std::uint8_t* data, std::int32_t length);

}  // namespace korvif::test
