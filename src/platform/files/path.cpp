#include "platform/files/path.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace korvif::platform {

std::size_t next_character(std::string_view text, std::size_t i, LeadByteTest lead) {
    const bool lead_byte = lead != nullptr && lead(static_cast<unsigned char>(text[i]));
    return lead_byte && i + 1 < text.size() ? i + 2 : i + 1;
}

std::size_t length_through_last_separator(std::string_view path, PathStyle style, LeadByteTest lead) {
    const bool windows = style == PathStyle::windows;
    std::size_t through = 0;
    for (std::size_t i = 0; i < path.size(); i = next_character(path, i, lead)) {
        if (path[i] == '/' || (windows && path[i] == '\\')) through = i + 1;
    }
    return through;
}

std::size_t directory_length(std::string_view path, PathStyle style, LeadByteTest lead) {
    const std::size_t through = length_through_last_separator(path, style, lead);
    if (through != 0) return through;
    // "C:name" names a file in the current directory of drive C.
    const bool drive = style == PathStyle::windows && path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive ? 2 : 0;
}

namespace {

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool same_letters(std::wstring_view text, std::wstring_view upper_case) {
    return text.size() == upper_case.size() &&
           std::equal(text.begin(), text.end(), upper_case.begin(), [](wchar_t a, wchar_t b) { return upper(a) == b; });
}

bool begins_with_letters(std::wstring_view text, std::wstring_view upper_case) {
    return text.size() >= upper_case.size() && same_letters(text.substr(0, upper_case.size()), upper_case);
}

// COM1 or LPT1: the stem and one digit, 0 to 9 or the superscripts one to three.
bool is_port(std::wstring_view name, std::wstring_view stem) {
    if (name.size() != 4 || !same_letters(name.substr(0, 3), stem)) return false;
    const wchar_t digit = name[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

// "\\X\" with X the given character and either separator.
bool has_prefix(std::wstring_view path, wchar_t third) {
    return path.size() >= 4 && is_separator(path[0]) && is_separator(path[1]) && path[2] == third &&
           is_separator(path[3]);
}

// "server\share\...": whether the share is a machine's pipes or mailslots.
bool share_of_pipes(std::wstring_view server_and_share) {
    const std::size_t server_end =
        std::find_if(server_and_share.begin(), server_and_share.end(), is_separator) - server_and_share.begin();
    std::wstring_view share = server_and_share.substr(std::min(server_and_share.size(), server_end + 1));
    share = share.substr(0, std::find_if(share.begin(), share.end(), is_separator) - share.begin());
    return same_letters(share, L"PIPE") || same_letters(share, L"MAILSLOT");
}

// What follows "\\?\" names a file only as a drive's path ("C:\..."), a share ("UNC\server\share\...",
// not the pipes) or a volume's ("Volume{...}\..."); anything else is a device of the object
// namespace (GLOBALROOT, COM1, pipe, a volume or drive itself).
bool long_form_names_device(std::wstring_view rest) {
    const bool drive = rest.size() >= 3 &&
                       ((rest[0] >= L'A' && rest[0] <= L'Z') || (rest[0] >= L'a' && rest[0] <= L'z')) &&
                       rest[1] == L':' && is_separator(rest[2]);
    if (drive) return false;
    if (begins_with_letters(rest, L"UNC") && rest.size() > 3 && is_separator(rest[3]))
        return share_of_pipes(rest.substr(4));
    if (begins_with_letters(rest, L"VOLUME{")) {
        const std::size_t close = rest.find(L'}');
        return close == std::wstring_view::npos || close + 1 >= rest.size() || !is_separator(rest[close + 1]);
    }
    return true;
}

}  // namespace

bool names_windows_device(std::wstring_view path) {
    // "\\.\" and "\??\" reach devices and pipes directly; "\\?\" only where it is no file's long form.
    if (has_prefix(path, L'.')) return true;
    if (path.size() >= 4 && is_separator(path[0]) && path[1] == L'?' && path[2] == L'?' && is_separator(path[3]))
        return true;
    if (has_prefix(path, L'?')) {
        if (long_form_names_device(path.substr(4))) return true;
    } else if (path.size() > 2 && is_separator(path[0]) && is_separator(path[1]) && share_of_pipes(path.substr(2))) {
        return true;
    }
    // The last name, without a drive, an extension, a stream or trailing blanks: "C:nul.txt",
    // "aux .log" and "COM1:" name devices too.
    std::wstring_view name = path.substr(std::find_if(path.rbegin(), path.rend(), is_separator).base() - path.begin());
    if (name.size() >= 2 && name[1] == L':') name.remove_prefix(2);
    name = name.substr(0, name.find_first_of(L".:"));
    while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
    for (const std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (same_letters(name, device)) return true;
    }
    return is_port(name, L"COM") || is_port(name, L"LPT");
}

std::string numbered_name(const char* prefix, std::uint32_t number) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(number));
    return std::string(prefix) + digits + ".tmp";
}

bool is_numbered_name(std::string_view name, const char* prefix) {
    const std::string_view start(prefix);
    if (name.size() != start.size() + 12 || name.substr(0, start.size()) != start ||
        name.substr(start.size() + 8) != ".tmp") {
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
