// The process-wide buffer that holds the output path of the running command.
#pragma once

#include <cstddef>

namespace korvif {

inline constexpr std::size_t output_path_capacity = 256;  // 255 characters and the terminator

// Copies the path, terminator included, into the output path buffer and returns the buffer.
// A path that does not fit is refused: the buffer is emptied and null is returned, so the
// command writes nothing rather than writing to a path cut short.
char* set_output_path(const char* path);

// The buffer itself, for commands that complete the path in place.
char* output_path();

}  // namespace korvif
