#include "platform/path.h"

namespace korvif::platform {

std::size_t directory_length(std::string_view path, PathStyle style) {
    const std::size_t separator = path.find_last_of(style == PathStyle::windows ? "\\/" : "/");
    if (separator != std::string_view::npos) return separator + 1;
    // "C:name" names a file in the current directory of drive C.
    const bool drive = style == PathStyle::windows && path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive ? 2 : 0;
}

}  // namespace korvif::platform
