// SCL: a 1-bit BMP file scaled to a given size, by the grey or the 1-bit method.
#include "command/arguments.h"
#include "command/output_path.h"
#include "commands/commands.h"
#include "image/bmp_file.h"
#include "image/scale.h"
#include "platform/file.h"
#include "platform/trace.h"

namespace korvif {

// SCL:flags,width,height,input path,output path ("*" stands for the input's directory)
int run_scale(char* arguments) {
    char* comma = next_comma_after_first(arguments);
    if (comma == nullptr) return trace::stop("the second field is missing");
    char* width_text = comma + 1;
    if ((comma = next_comma(width_text)) == nullptr) return trace::stop("the third field is missing");
    char* height_text = comma + 1;
    if ((comma = next_comma(height_text)) == nullptr) return trace::stop("the fourth field is missing");
    char* input = comma + 1;
    if ((comma = next_comma(input)) == nullptr) return trace::stop("the fifth field is missing");
    const char* output = set_output_path(cut_at(comma));
    if (output == nullptr || *output == '\0') return trace::stop("no usable output path");
    if (*input == '\0') return trace::stop("the input path is empty");
    if (!complete_output_path(input)) return trace::stop("no usable output path");
    const std::int32_t flags = read_number(arguments);
    const std::int32_t width = read_number(width_text);
    const std::int32_t height = read_number(height_text);
    trace::line("flags %d, %d x %d, input %s, output %s", flags, width, height, input, output_path());
    if (!platform::file_exists(input)) return trace::stop("the input was not found");
    const PackedBitmap source = load_bmp(input);
    if (!source) return trace::stop("the input cannot be loaded");
    const PackedBitmap result = scale_bitmap(source, width, height, flags);
    if (!result) return trace::stop("the bitmap cannot be scaled");
    if (save_bmp(result, output_path()) != 0) return trace::stop("the output cannot be written");
    return 0;
}

}  // namespace korvif
