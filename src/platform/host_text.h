// The host's text and the system's wide names. The host speaks ANSI (its code page); the program
// turns the host's paths into UTF-16 once and works with those. A name goes back to the host as
// ANSI only when that text names exactly the same file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvif::platform {

// The ANSI form of a wide name without any "best fit" replacement, or nothing when some
// character has no exact ANSI form; and the wide form of ANSI text.
using ToAnsi = std::optional<std::string> (*)(std::wstring_view wide);
using ToWide = std::wstring (*)(std::string_view ansi);

enum class HostPathCheck {
    exact,           // the text names the file
    not_in_ansi,     // a character has no exact ANSI form, or the text reads back as another name
    holds_comma,     // the host's next command would be cut at the comma and act on another file
};

// Checks whether `path` can go to the host, and gives its ANSI text in `text` when it can.
HostPathCheck host_path_text(std::wstring_view path, ToAnsi to_ansi, ToWide to_wide, std::string& text);

// What each check means, in the trace's words.
const char* describe(HostPathCheck check);

#ifdef _WIN32
// The system's conversions with the ANSI code page: the exact ANSI form (no "best fit", no
// default character) or nothing, and the wide form of any ANSI text (zero bytes inside
// included), or nothing for bytes that are no character of the code page.
std::optional<std::string> exact_ansi(std::wstring_view wide);
std::optional<std::wstring> wide_of_ansi(std::string_view ansi);
#endif

}  // namespace korvif::platform
