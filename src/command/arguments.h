// The argument conventions shared by every command: comma-separated fields found with a plain
// character search, decimal numbers read the way the C library's atol reads them.
#pragma once

#include <cstdint>
#include <string_view>

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

// A command's fields as split_fields found them.
struct Fields {
    static constexpr int most = 6;
    char* field[most] = {};        // field[0] is the first; null for an absent optional field
    int missing = 0;               // the number (from 1) of the first missing field; 0 when none is
    bool output_refused = false;   // the output path is empty or does not fit the buffer
    const char* output = nullptr;  // the output path, checked, in the output path buffer: the one
                                   // way to it; null when the layout names none or it was refused

    explicit operator bool() const { return missing == 0 && !output_refused; }
    // The field by its number, counted from 1 as the commands' syntax counts them.
    char* operator[](int number) const { return field[number - 1]; }
    // Traces why the fields cannot be used, "the Nth field is missing" or "no usable output
    // path", and returns 0, the command's result.
    int stop() const;
};

// Splits `arguments` in place by `layout`, one character per field in order:
//   '.'  the field ends at the next comma
//   ':'  the field ends at the next comma after its first character: a comma in its first place
//        belongs to it, and an empty field has no end
//   '$'  the last field: the rest of the text, commas included
//   '>'  the last field, the output path: the rest of the text, put into the output path buffer
//        as soon as every field that must be there is found, before any other check; when it is
//        optional and absent, the field before it stands in (the input is rewritten). An empty
//        path, or one longer than the buffer holds, is refused.
//   '*'  the same, and a leading "*" stands for the directory of the field before it (the
//        input): see complete_output_path; a completed path too long for the buffer is refused
//   '['  the fields after it may be absent
// Each ending comma becomes a terminator. At most Fields::most fields.
Fields split_fields(char* arguments, std::string_view layout);

}  // namespace korvif
