// INV: and ROT: read a BMP file, change the bitmap, and write it to the output path (the input
// itself when no output path is given).
#include "command/arguments.h"
#include "commands/bitmap_file.h"
#include "commands/commands.h"
#include "image/operations.h"
#include "platform/trace.h"

namespace korvif {

// INV:input[,output]
int run_invert(char* arguments) {
    const Fields fields = split_fields(arguments, ".[>");
    if (!fields) return fields.stop();
    const char* input = fields[1];
    return change_bitmap_file(input, fields.output, "the inverted bitmap", [](PackedBitmap& bitmap) -> Outcome<void> {
        if (!invert_bits(bitmap)) trace::line("not a 1-bit bitmap: written unchanged");
        return {};
    });
}

// ROT:turns,input[,output]
int run_rotate(char* arguments) {
    const Fields fields = split_fields(arguments, "..[>");
    if (!fields) return fields.stop();
    const std::int32_t turns = read_number(arguments);
    const char* input = fields[2];
    trace::line("%d quarter turns", turns);
    return change_bitmap_file(input, fields.output, "the turned bitmap", [turns](PackedBitmap& bitmap) -> Outcome<void> {
        if (turns < 1 || turns > 3) return {};
        if (bits_per_pixel(bitmap) != 1) {
            trace::line("not a 1-bit bitmap: written as loaded");
            return {};
        }
        // A 1-bit picture that was meant to turn is never written unturned.
        for (int i = 0; i < turns; ++i) {
            if (const Outcome<void> turned = rotate_quarter_turn(bitmap); !turned) return turned;
        }
        return {};
    });
}

}  // namespace korvif
