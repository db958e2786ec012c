#include "command/arguments.h"

#include <cstring>

namespace korvif {

std::int32_t read_number(const char* text) {
    if (text == nullptr) return 0;
    auto is_space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (is_space(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    std::uint32_t value = 0;
    while (*text >= '0' && *text <= '9') value = value * 10u + static_cast<std::uint32_t>(*text++ - '0');
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

char* next_comma(char* from) { return from == nullptr ? nullptr : std::strchr(from, ','); }

char* next_comma_after_first(char* text) {
    if (text == nullptr || *text == '\0') return nullptr;
    return std::strchr(text + 1, ',');
}

char* cut_at(char* comma) {
    *comma = '\0';
    return comma + 1;
}

}  // namespace korvif
