// INV: and ROT: read a BMP file, change the bitmap, and write it to the output path (the input
// itself when no output path is given).
#include "command/arguments.h"
#include "commands/bitmap_file.h"
#include "commands/commands.h"
#include "image/operations.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

struct Inversion {
    const char* input;
    const char* output;  // the input itself when none was given
};

struct Rotation {
    std::int32_t turns;  // clockwise; only 1, 2 and 3 turn the picture
    const char* input;
    const char* output;  // the input itself when none was given
};

}  // namespace

// INV:input[,output]
int run_invert(char* arguments) {
    const Fields fields = split_fields(arguments, ".[>");
    if (!fields) return fields.stop();
    const Inversion request {.input = fields[1], .output = fields.output};
    return change_bitmap_file(request.input, request.output, "the inverted bitmap",
                              [](PackedBitmap& bitmap) -> Outcome<void> {
                                  if (!invert_bits(bitmap)) trace::line("not a 1-bit bitmap: written unchanged");
                                  return {};
                              });
}

// ROT:turns,input[,output]
int run_rotate(char* arguments) {
    const Fields fields = split_fields(arguments, "..[>");
    if (!fields) return fields.stop();
    const Rotation request {.turns = read_number(arguments), .input = fields[2], .output = fields.output};
    trace::line("%d %s", request.turns, trace::plural(request.turns, "quarter turn", "quarter turns"));
    return change_bitmap_file(request.input, request.output, "the turned bitmap",
                              [turns = request.turns](PackedBitmap& bitmap) -> Outcome<void> {
                                  if (turns < 1 || turns > 3) return {};
                                  if (bitmap.bits_per_pixel() != 1) {
                                      trace::line("not a 1-bit bitmap: written as loaded");
                                      return {};
                                  }
                                  // A 1-bit picture that was meant to turn is never written unturned.
                                  for (int i = 0; i < turns; ++i) {
                                      if (const Outcome<void> turned = rotate_quarter_turn(bitmap); !turned)
                                          return turned;
                                  }
                                  return {};
                              });
}

}  // namespace korvif
