// The host's text is in the ANSI code page; the system's file functions are called with UTF-16
// text, which names every file whatever the code page.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace korvif {

// The text as UTF-16; nothing when it holds a byte sequence that the code page does not define.
inline std::optional<std::wstring> wide_from_ansi(std::string_view text) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length) != length) return std::nullopt;
    return wide;
}

// UTF-16 text in the ANSI code page, for the trace; a character the code page lacks becomes '?'.
inline std::string ansi_from_wide(std::wstring_view text) {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

}  // namespace korvif
