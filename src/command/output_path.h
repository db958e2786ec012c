// The process-wide buffer that holds the output path of the running command. Only the argument
// kit uses it: a command finds its output path, checked, in its fields (arguments.h).
#pragma once

#include <cstddef>

namespace korvif {

inline constexpr std::size_t output_path_capacity = 256;  // 255 characters and the terminator

// Copies the path, terminator included, into the output path buffer and returns the buffer.
// A path that does not fit is refused: the buffer is emptied and null is returned, so the
// command writes nothing rather than writing to a path cut short.
char* set_output_path(const char* path);

// When the output path begins with "*", puts the directory of `input_path` (up to and including
// its last separator: '\' or '/' on Windows, where a drive colon does not count, '/' in the Linux
// build) in place of the "*", or just removes the "*" when the input path has no directory. A completed path that does
// not fit the buffer empties it and gives false: nothing is then written.
bool complete_output_path(const char* input_path);

}  // namespace korvif
