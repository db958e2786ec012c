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
    exact,        // the text names the file
    not_in_ansi,  // a character has no exact ANSI form, or the text reads back as another name
    holds_comma,  // the host's next command would be cut at the comma and act on another file
};

// Checks whether `path` can go to the host, and gives its ANSI text in `text` when it can.
HostPathCheck host_path_text(std::wstring_view path, ToAnsi to_ansi, ToWide to_wide, std::string& text);

// What each check means, in the trace's words.
const char* describe(HostPathCheck check);

// How wide text goes into a code page without a character bent: the flags, and whether the
// system may be asked if it put its default character in. UTF-8 (the ANSI code page where
// "Use Unicode UTF-8 for worldwide language support" is set) and a few others refuse both and
// fail the call; they are converted plainly, and the read-back in host_path_text catches anything
// inexact (lone surrogates included).
struct ExactConversion {
    static constexpr unsigned long no_best_fit = 0x400;  // WC_NO_BEST_FIT_CHARS

    unsigned long flags = no_best_fit;
    bool asks_used_default = true;

    bool operator==(const ExactConversion&) const = default;
};
ExactConversion exact_conversion(unsigned code_page);

#ifdef _WIN32
// The system's conversions with the ANSI code page: the exact ANSI form (no "best fit", no
// default character, where the code page lets the call refuse them: see exact_conversion) or
// nothing, and the wide form of any ANSI text (zero bytes inside included), or nothing for bytes
// that are no character of the code page.
std::optional<std::string> exact_ansi(std::wstring_view wide);
std::optional<std::wstring> wide_of_ansi(std::string_view ansi);
#endif

}  // namespace korvif::platform
