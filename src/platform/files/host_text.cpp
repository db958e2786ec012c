#include "platform/files/host_text.h"

#include <algorithm>
#include <iterator>

namespace korvif::platform {

HostPathCheck host_path_text(std::wstring_view path, ToAnsi to_ansi, ToWide to_wide, std::string& text) {
    text.clear();
    const std::optional<std::string> ansi = to_ansi(path);
    // Reading the text back catches any conversion that still bent a character.
    if (!ansi || ansi->empty() || to_wide(*ansi) != path) return HostPathCheck::not_in_ansi;
    if (ansi->find(',') != std::string::npos) return HostPathCheck::holds_comma;
    text = *ansi;
    return HostPathCheck::exact;
}

ExactConversion exact_conversion(unsigned code_page) {
    // The code pages whose conversion takes no flags and no default-character pointers.
    constexpr unsigned plain[] = {42, 50220, 50221, 50222, 50225, 50227, 50229, 52936, 54936, 65000, 65001};
    const bool is_plain = std::find(std::begin(plain), std::end(plain), code_page) != std::end(plain) ||
                          (code_page >= 57002 && code_page <= 57011);
    return is_plain ? ExactConversion {0, false} : ExactConversion {};
}

const char* describe(HostPathCheck check) {
    switch (check) {
    case HostPathCheck::exact: return "an exact ANSI path";
    case HostPathCheck::not_in_ansi: return "the path has no exact form in the ANSI code page";
    case HostPathCheck::holds_comma: return "the path holds a comma, which would cut the host's next command";
    }
    return "";
}

}  // namespace korvif::platform
