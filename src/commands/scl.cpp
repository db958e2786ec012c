// SCL: a 1-bit BMP file scaled to a given size, by the grey or the 1-bit method.
#include "command/arguments.h"
#include "command/stop.h"
#include "commands/bitmap_file.h"
#include "commands/commands.h"
#include "image/bmp_file.h"
#include "image/scale.h"
#include "platform/files/file.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

struct ScaleRequest {
    std::int32_t flags;  // bit 0 the grey method (else the 1-bit one), bit 1 its 64-level palette
    std::int32_t width;
    std::int32_t height;
    const char* input;
    const char* output;

    ScaleOptions options() const {
        return {.method = (flags & 1) ? ScaleMethod::grey : ScaleMethod::one_bit, .grey_palette = (flags & 2) != 0};
    }
};

}  // namespace

// SCL:flags,width,height,input path,output path ("*" stands for the input's directory)
int run_scale(char* arguments) {
    const Fields fields = split_fields(arguments, ":...*");
    if (!fields) return fields.stop();
    const ScaleRequest request {.flags = read_number(arguments),
                                .width = read_number(fields[2]),
                                .height = read_number(fields[3]),
                                .input = fields[4],
                                .output = fields.output};
    if (*request.input == '\0') return stop(Failure::empty_path, "the input");
    trace::line("flags %d, %d x %d, input \"%s\", output \"%s\"", request.flags, request.width, request.height,
                request.input, request.output);

    if (!platform::file_exists(request.input)) return stop(Failure::not_found, "the input");
    const Outcome<PackedBitmap> source = load_bmp(request.input);
    if (!source) return stop(Failure::cannot_be_loaded, "the input");
    if (!usable_scaled_size(request.width, request.height)) return stop(Failure::unusable_size, "the scaled bitmap");
    const Outcome<PackedBitmap> result = scale_bitmap(*source, request.width, request.height, request.options());
    if (!result) return stop(result.failed(), "%s", changed_bitmap(result.failure(), "the scaled bitmap"));
    if (!save_bmp(*result, request.output)) return stop(Failure::cannot_be_written, "the output");
    return 0;
}

}  // namespace korvif
