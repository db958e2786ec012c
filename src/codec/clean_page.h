// Whether a page's MH data can go into a PDF or TIFF file as it stands: every reader of
// CCITTFaxDecode (K 0, EndOfLine, EncodedByteAlign) and of TIFF's Group 3 one-dimensional
// compression with byte-aligned EOLs then draws exactly the lines that the page decoder makes of
// it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace korvif {

struct CleanPage {
    std::int32_t lines = 0;
    // The data up to the end of the last line's codes, the byte that holds their last bit
    // included (the bits after them in it are 0). The EOL that closes the last line and the RTC
    // are to be written as the encoder writes them: mh::aligned_eol, mh::rtc_bytes.
    std::uint32_t bytes = 0;
};

// The page's lines and the length of their data when the page is in the one form that needs no
// re-coding, otherwise nothing. That form: fill bits (0) and an EOL that ends on a byte boundary;
// then each line as T.4 codes it, white first, its runs (make-up codes followed by a terminating
// code of the same colour) ending exactly at the 1728th pixel with a terminating code (after a
// make-up code that reaches it, the terminating code of 0), then fill bits and an EOL that ends
// on a byte boundary (the last line's may end anywhere); then the page end of damaged_lines.h
// ("page end"), five EOLs with nothing but fill bits between them, all of it within the data,
// each line's EOL beginning before the data is used up ("data end"), and at most max_page_lines
// lines. Anything else (every rule of codec/damaged_lines.h, empty EOLs between lines, codes after
// a line's end, data before the first EOL) is left to the decoder and the encoder.
std::optional<CleanPage> clean_page(std::span<const std::uint8_t> data);

}  // namespace korvif
