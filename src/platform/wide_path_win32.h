// What the Windows parts of the platform layer share about wide paths.
#pragma once

#include <optional>
#include <string>

namespace korvif::platform {

// The form of a full path that passes the system's path limit: "\\?\C:\..." and
// "\\?\UNC\server\share\...". Only for paths the system made full (every '/' turned into '\').
std::wstring long_path_form(const std::wstring& full);

// A path the system calls take whatever its length.
std::wstring callable(const std::wstring& full);

// The system's last error as UTF-8 text, for trace lines that carry wide names.
std::string error_text();

// Waits (at most 10 seconds) while another run of this program replaces the file, whose name
// may be missing for that moment. False at once when no run is replacing it.
bool wait_for_replace(const std::wstring& target);

// The full path of the host's text in the form a replacement of it uses (and locks), or nothing;
// traced only when `quiet` is false.
std::optional<std::wstring> resolved_target(const std::wstring& path, bool quiet);

}  // namespace korvif::platform
