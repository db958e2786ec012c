#include "command/arguments.h"

#include <cstring>

#include "command/output_path.h"
#include "command/stop.h"

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

Fields split_fields(char* arguments, std::string_view layout) {
    Fields fields;
    bool optional = false;
    int number = 0;  // fields found
    char* text = arguments;
    for (const char kind : layout) {
        if (kind == '[') {
            optional = true;
            continue;
        }
        if (text == nullptr) {
            if (!optional) {
                fields.missing = number + 1;
                return fields;
            }
        } else {
            fields.field[number] = text;
        }
        ++number;
        if (kind == '>' || kind == '*') {
            const char* input = fields.field[number - 2];
            const char* output = set_output_path(text != nullptr ? text : input);
            fields.output_refused =
                output == nullptr || *output == '\0' || (kind == '*' && !complete_output_path(input));
            fields.output = fields.output_refused ? nullptr : output;
        } else if (kind == '.' || kind == ':') {
            char* comma = kind == '.' ? next_comma(text) : next_comma_after_first(text);
            text = comma != nullptr ? cut_at(comma) : nullptr;
        }
    }
    return fields;
}

int Fields::stop() const {
    static constexpr const char* ordinal[Fields::most + 1] = {"",       "first", "second", "third",
                                                              "fourth", "fifth", "sixth"};
    if (missing != 0) return korvif::stop(Failure::missing, "the %s field", ordinal[missing]);
    return korvif::stop(Failure::absent, "usable output path");
}

}  // namespace korvif
