#include "platform/path.h"

#include <cstdio>

namespace korvif::platform {

namespace {

// The length up to and including the last character that `is_separator` accepts.
template <class Separator>
std::size_t length_through_last_of(std::string_view text, Separator is_separator, LeadByteTest lead) {
    std::size_t through = 0;
    for (std::size_t i = 0; i < text.size(); i = next_character(text, i, lead)) {
        if (is_separator(text[i])) through = i + 1;
    }
    return through;
}

}  // namespace

std::size_t next_character(std::string_view text, std::size_t i, LeadByteTest lead) {
    const bool lead_byte = lead != nullptr && lead(static_cast<unsigned char>(text[i]));
    return lead_byte && i + 1 < text.size() ? i + 2 : i + 1;
}

std::size_t directory_length(std::string_view path, PathStyle style, LeadByteTest lead) {
    const bool windows = style == PathStyle::windows;
    const std::size_t through =
        length_through_last_of(path, [windows](char c) { return c == '/' || (windows && c == '\\'); }, lead);
    if (through != 0) return through;
    // "C:name" names a file in the current directory of drive C.
    const bool drive = windows && path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive ? 2 : 0;
}

std::size_t length_through_last(std::string_view text, char separator, LeadByteTest lead) {
    return length_through_last_of(text, [separator](char c) { return c == separator; }, lead);
}

std::string numbered_name(const char* prefix, std::uint32_t number) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(number));
    return std::string(prefix) + digits + ".tmp";
}

bool is_numbered_name(std::string_view name, const char* prefix) {
    const std::string_view start(prefix);
    if (name.size() != start.size() + 12 || name.substr(0, start.size()) != start || name.substr(start.size() + 8) != ".tmp") {
        return false;
    }
    for (char c : name.substr(start.size(), 8)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

std::uint32_t next_name_number() {
    // The process id and the clock differ between runs; the count between calls of one run.
    // Mixed (splitmix64) so that neighbouring inputs give unrelated names.
    static std::uint64_t calls = 0;
    std::uint64_t x = name_seed() ^ (++calls * 0x9E3779B97F4A7C15ull);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>(x ^ (x >> 31));
}

}  // namespace korvif::platform
