// The argument conventions shared by every command: comma-separated fields found with a plain
// character search, decimal numbers read the way the C library's atol reads them.
#pragma once

#include <cstdint>

namespace korvif {

// Reads a decimal number as atol does: leading white space, an optional sign, digits; stops at
// the first other character. No digits read as 0. The value wraps to 32 bits, so "4294967295"
// reads as -1 and "2147483648" as -2147483648.
std::int32_t read_number(const char* text);

// The next comma at or after `from`, or null.
char* next_comma(char* from);

// The next comma searched from the second character of `text`: a comma in the first position is
// not seen. Null when there is none (or the text is empty).
char* next_comma_after_first(char* text);

// Ends the field at `comma` and returns the start of the following field.
char* cut_at(char* comma);

}  // namespace korvif
