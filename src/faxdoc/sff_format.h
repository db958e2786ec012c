// The SFF file format (Structured Fax File, CAPI 2.0) as far as this program reads and writes it.
#pragma once

#include <cstdint>

namespace korvif::sff {

inline constexpr std::uint32_t document_header_size = 20;
inline constexpr std::uint32_t first_page_offset_field = 10;
inline constexpr std::uint32_t page_header_size = 16;

// Record type bytes.
inline constexpr std::uint8_t long_line_record = 0;         // then 16-bit length and the line
inline constexpr std::uint8_t longest_short_line = 216;     // 1..216: a line of that many bytes
inline constexpr std::uint8_t first_blank_lines_record = 217;  // 217..253: 1..37 white lines
inline constexpr std::uint8_t last_blank_lines_record = 253;
inline constexpr std::uint8_t blank_lines_base = 216;
inline constexpr std::uint8_t page_header_record = 254;     // then length byte and page header
inline constexpr std::uint8_t other_information_record = 255;

inline constexpr std::uint8_t end_of_document_resolution = 255;
inline constexpr std::uint32_t longest_long_line = 32767;

}  // namespace korvif::sff
