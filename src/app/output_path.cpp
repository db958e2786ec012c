#include "app/output_path.h"

#include <cstring>

namespace korvif {

namespace {
char output_path_buffer[output_path_capacity];
}

char* set_output_path(const char* path) {
    const std::size_t length = path == nullptr ? output_path_capacity : std::strlen(path);
    if (length >= output_path_capacity) {
        output_path_buffer[0] = '\0';
        return nullptr;
    }
    std::memcpy(output_path_buffer, path, length + 1);
    return output_path_buffer;
}

char* output_path() { return output_path_buffer; }

}  // namespace korvif
