#include "command/output_path.h"

#include <cstring>

#include "platform/files/file.h"
#include "platform/files/path.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {
char output_path_buffer[output_path_capacity];
}

char* set_output_path(const char* path) {
    const std::size_t length = path == nullptr ? output_path_capacity : std::strlen(path);
    if (length >= output_path_capacity) {
        output_path_buffer[0] = '\0';
        if (path != nullptr)
            trace::line("output path of %zu characters refused (at most %zu)", length, output_path_capacity - 1);
        return nullptr;
    }
    std::memcpy(output_path_buffer, path, length + 1);
    return output_path_buffer;
}

bool complete_output_path(const char* input_path) {
    if (output_path_buffer[0] != '*') return true;
    const std::size_t directory = platform::length_through_last_separator(input_path);
    const std::size_t name = std::strlen(output_path_buffer + 1);
    if (directory + name >= output_path_capacity) {
        output_path_buffer[0] = '\0';
        trace::line("output path of %zu characters refused (at most %zu)", directory + name, output_path_capacity - 1);
        return false;
    }
    std::memmove(output_path_buffer + directory, output_path_buffer + 1, name + 1);
    std::memcpy(output_path_buffer, input_path, directory);
    return true;
}

}  // namespace korvif
