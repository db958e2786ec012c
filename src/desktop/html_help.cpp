#include "desktop/html_help.h"

namespace korvif {

std::wstring_view without_window_part(std::wstring_view help_file) {
    // ">" is no character of a Windows file name: the first one starts the window's name.
    return help_file.substr(0, help_file.find(L'>'));
}

std::optional<std::wstring> html_help_sibling(std::wstring_view long_name) {
    const std::size_t name_start = long_name.find_last_of(L"\\/:") + 1;  // npos + 1 == 0
    const std::size_t dot = long_name.rfind(L'.');
    if (dot == std::wstring_view::npos || dot < name_start || dot + 1 == long_name.size()) return std::nullopt;
    if (long_name.find(L'"') != std::wstring_view::npos) return std::nullopt;
    std::wstring sibling(long_name.substr(0, dot + 1));
    sibling += L"chm";
    if (sibling.size() > html_help_path_limit) return std::nullopt;
    return sibling;
}

std::optional<HtmlHelpLaunch> html_help_launch(std::wstring_view windows_directory, std::int32_t command,
                                               std::int32_t data, std::wstring_view chm_file) {
    std::wstring options;
    switch (command) {
    case 1:  // HELP_CONTEXT
    case 8:  // HELP_CONTEXTPOPUP
    {
        // Digits widened one by one: no wide formatting functions come into the program for this.
        const std::string number = std::to_string(static_cast<std::uint32_t>(data));
        options = L" -mapid " + std::wstring(number.begin(), number.end());
        break;
    }
    case 3:      // HELP_CONTENTS, HELP_INDEX
    case 11:     // HELP_FINDER
    case 0x101:  // HELP_KEY
    case 0x105:  // HELP_PARTIALKEY
        break;
    default: return std::nullopt;
    }
    HtmlHelpLaunch launch;
    launch.viewer = windows_directory;
    if (!launch.viewer.empty() && launch.viewer.back() != L'\\') launch.viewer += L'\\';
    launch.viewer += L"hh.exe";
    launch.command_line = L'"' + launch.viewer + L'"' + options + L" \"" + std::wstring(chm_file) + L'"';
    return launch;
}

}  // namespace korvif
