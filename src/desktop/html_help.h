// HELP where Windows has no Windows Help any more (Vista and later): a host that converted its
// help file ships an HTML Help file (.chm, the same context numbers) of the same name beside it,
// and the request goes to the HTML Help viewer instead. Plain functions on UTF-16 text, the form
// the system's wide functions take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvif {

// The longest path the sibling may have: MAX_PATH less its terminating zero.
constexpr std::size_t html_help_path_limit = 259;

// The help file's name without Windows Help's trailing ">window" part (a secondary window).
std::wstring_view without_window_part(std::wstring_view help_file);

// The .chm beside a help file given by its long name: the extension replaced. Nothing for a name
// without an extension, for a result longer than the path limit, and for a name with a quote,
// which the viewer's command line could not carry.
std::optional<std::wstring> html_help_sibling(std::wstring_view long_name);

// How the viewer is started: its path, given to the system as the application name so that no
// search path is involved, and its command line.
struct HtmlHelpLaunch {
    std::wstring viewer;
    std::wstring command_line;
};

// The viewer (hh.exe in the Windows directory) for a Windows Help command: HELP_CONTEXT and
// HELP_CONTEXTPOPUP open the topic of the data's context number (unsigned 32-bit); the contents,
// the finder and the keyword commands open the file at its start, as the viewer takes no keyword
// on its command line. Nothing for HELP_QUIT and every other command.
std::optional<HtmlHelpLaunch> html_help_launch(std::wstring_view windows_directory, std::int32_t command,
                                               std::int32_t data, std::wstring_view chm_file);

}  // namespace korvif
