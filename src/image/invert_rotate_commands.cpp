// INV: and ROT: read a BMP file, change the bitmap, and write it to the output path (the input
// itself when no output path is given).
#include "command/arguments.h"
#include "command/output_path.h"
#include "image/bmp_file.h"
#include "image/commands.h"
#include "image/operations.h"
#include "platform/file.h"

namespace korvif {

namespace {

// Loads the input, applies the change and writes the result; nothing when a path is unusable.
template <typename Change>
void transform_bmp_file(const char* input, const char* output_text, Change change) {
    const char* output = set_output_path(output_text);
    if (output == nullptr || *input == '\0' || *output == '\0' || !platform::file_exists(input)) return;
    PackedBitmap bitmap = load_bmp(input);
    if (!bitmap) return;
    change(bitmap);
    save_bmp(bitmap, output);
}

}  // namespace

// INV:input[,output]
int run_invert(char* arguments) {
    char* comma = next_comma(arguments);
    const char* output = comma != nullptr ? cut_at(comma) : arguments;
    transform_bmp_file(arguments, output, [](PackedBitmap& bitmap) { invert_bits(bitmap); });
    return 0;
}

// ROT:turns,input[,output]
int run_rotate(char* arguments) {
    const std::int32_t turns = read_number(arguments);
    char* comma = next_comma(arguments);
    if (comma == nullptr) return 0;
    char* input = comma + 1;
    char* second = next_comma(input);
    const char* output = second != nullptr ? cut_at(second) : input;
    transform_bmp_file(input, output, [turns](PackedBitmap& bitmap) {
        if (turns < 1 || turns > 3) return;
        for (int i = 0; i < turns; ++i) rotate_quarter_turn(bitmap);
    });
    return 0;
}

}  // namespace korvif
