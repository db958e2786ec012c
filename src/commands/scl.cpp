// SCL: a 1-bit BMP file scaled to a given size, by the grey or the 1-bit method.
#include "command/arguments.h"
#include "command/output_path.h"
#include "commands/commands.h"
#include "image/bmp_file.h"
#include "image/scale.h"
#include "platform/file.h"
#include "platform/trace.h"

namespace korvif {

namespace {

// The flags field: bit 0 the grey method (else the 1-bit one), bit 1 its 64-level palette.
ScaleOptions scale_options(std::int32_t flags) {
    return {.method = (flags & 1) ? ScaleMethod::grey : ScaleMethod::one_bit, .grey_palette = (flags & 2) != 0};
}

}  // namespace

// SCL:flags,width,height,input path,output path ("*" stands for the input's directory)
int run_scale(char* arguments) {
    const Fields fields = split_fields(arguments, ":...>");
    if (!fields) return fields.stop();
    const char* input = fields[4];
    if (!take_output_beside(fields.output, input, "input")) return 0;
    const std::int32_t flags = read_number(arguments);
    const std::int32_t width = read_number(fields[2]);
    const std::int32_t height = read_number(fields[3]);
    trace::line("flags %d, %d x %d, input %s, output %s", flags, width, height, input, output_path());
    if (!platform::file_exists(input)) return trace::stop("the input was not found");
    const Outcome<PackedBitmap> source = load_bmp(input);
    if (!source) return trace::stop("the input cannot be loaded");
    const Outcome<PackedBitmap> result = scale_bitmap(*source, width, height, scale_options(flags));
    if (!result) return trace::stop("the bitmap cannot be scaled");
    if (!save_bmp(*result, output_path())) return trace::stop("the output cannot be written");
    return 0;
}

}  // namespace korvif
