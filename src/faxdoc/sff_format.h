// The SFF file format (Structured Fax File, CAPI 2.0) as far as this program reads and writes it.
#pragma once

#include <cstdint>

#include "codec/sff_records.h"

namespace korvif::sff {

inline constexpr std::uint32_t document_header_size = 20;
inline constexpr std::uint32_t first_page_offset_field = 10;
inline constexpr std::uint32_t page_header_size = 16;
inline constexpr std::uint32_t line_length_field = 4;  // in the page header: pixels per line, 16 bits

// Record type bytes besides the lines'.
inline constexpr std::uint8_t page_header_record = 254;  // then length byte and page header
inline constexpr std::uint8_t other_information_record = 255;

inline constexpr std::uint8_t end_of_document_resolution = 255;

}  // namespace korvif::sff
