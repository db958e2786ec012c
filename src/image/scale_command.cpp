// SCL: a 1-bit BMP file scaled to a given size, by the grey or the 1-bit method.
#include "command/arguments.h"
#include "command/output_path.h"
#include "image/bmp_file.h"
#include "image/commands.h"
#include "image/scale.h"
#include "platform/file.h"

namespace korvif {

// SCL:flags,width,height,input path,output path ("*" stands for the input's directory)
int run_scale(char* arguments) {
    char* comma = next_comma_after_first(arguments);
    if (comma == nullptr) return 0;
    char* width_text = comma + 1;
    if ((comma = next_comma(width_text)) == nullptr) return 0;
    char* height_text = comma + 1;
    if ((comma = next_comma(height_text)) == nullptr) return 0;
    char* input = comma + 1;
    if ((comma = next_comma(input)) == nullptr) return 0;
    const char* output = set_output_path(cut_at(comma));
    if (output == nullptr || *input == '\0' || *output == '\0') return 0;
    if (!complete_output_path(input) || !platform::file_exists(input)) return 0;
    const PackedBitmap source = load_bmp(input);
    if (!source) return 0;
    const PackedBitmap result = scale_bitmap(source, read_number(width_text), read_number(height_text), read_number(arguments));
    if (result) save_bmp(result, output_path());
    return 0;
}

}  // namespace korvif
