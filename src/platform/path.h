// Splitting a path into its directory and its name, by the rules of either platform.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvif::platform {

enum class PathStyle {
    windows,  // '\' and '/' separate directories; a drive prefix such as "C:" ends the directory too
    posix,    // only '/' separates directories
};

#ifdef _WIN32
inline constexpr PathStyle native_path_style = PathStyle::windows;
#else
inline constexpr PathStyle native_path_style = PathStyle::posix;
#endif

// The length of the path's directory part, its last separator (or drive colon) included: the
// name begins there. 0 for a bare name.
std::size_t directory_length(std::string_view path, PathStyle style = native_path_style);

}  // namespace korvif::platform
