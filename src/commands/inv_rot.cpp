// INV: and ROT: read a BMP file, change the bitmap, and write it to the output path (the input
// itself when no output path is given).
#include "command/arguments.h"
#include "commands/commands.h"
#include "image/bmp_file.h"
#include "image/operations.h"
#include "platform/file.h"
#include "platform/trace.h"

namespace korvif {

namespace {

// Loads the input, applies the change and writes the result; nothing when a path is unusable or
// the change fails (it says why).
template <typename Change>
int transform_bmp_file(const char* input, const char* output, Change change) {
    if (output == nullptr || *output == '\0') return trace::stop("no usable output path");
    if (*input == '\0') return trace::stop("the input path is empty");
    trace::line("input %s, output %s", input, output);
    if (!platform::file_exists(input)) return trace::stop("the input was not found");
    Outcome<PackedBitmap> bitmap = load_bmp(input);
    if (!bitmap) return trace::stop("the input cannot be loaded");
    if (!change(*bitmap)) return 0;
    if (!save_bmp(*bitmap, output)) return trace::stop("the output cannot be written");
    return 0;
}

}  // namespace

// INV:input[,output]
int run_invert(char* arguments) {
    const Fields fields = split_fields(arguments, ".[>");
    return transform_bmp_file(fields[1], fields.output, [](PackedBitmap& bitmap) {
        if (!invert_bits(bitmap)) trace::line("not a 1-bit bitmap: written unchanged");
        return true;
    });
}

// ROT:turns,input[,output]
int run_rotate(char* arguments) {
    const std::int32_t turns = read_number(arguments);
    const Fields fields = split_fields(arguments, "..[>");
    if (!fields) return fields.stop();
    trace::line("%d quarter turns", turns);
    return transform_bmp_file(fields[2], fields.output, [turns](PackedBitmap& bitmap) {
        if (turns < 1 || turns > 3) return true;
        if (bits_per_pixel(bitmap) != 1) {
            trace::line("not a 1-bit bitmap: written as loaded");
            return true;
        }
        // A 1-bit picture that was meant to turn is never written unturned.
        for (int i = 0; i < turns; ++i) {
            if (!rotate_quarter_turn(bitmap)) return trace::stop("the bitmap cannot be turned"), false;
        }
        return true;
    });
}

}  // namespace korvif
