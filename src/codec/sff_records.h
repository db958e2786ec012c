// The line records of an SFF page (Structured Fax File, CAPI 2.0), which the re-coder writes.
#pragma once

#include <cstdint>

namespace korvif::sff {

// Record type bytes of lines.
inline constexpr std::uint8_t long_line_record = 0;      // then 16-bit length and the line
inline constexpr std::uint8_t longest_short_line = 216;  // 1..216: a line of that many bytes
inline constexpr std::uint8_t blank_lines_base = 216;    // 217..253: 1..37 white lines
inline constexpr std::uint8_t last_blank_lines_record = 253;
inline constexpr unsigned most_blank_lines = last_blank_lines_record - blank_lines_base;
inline constexpr std::uint32_t longest_long_line = 32767;

}  // namespace korvif::sff
