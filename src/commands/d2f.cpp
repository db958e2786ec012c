// D2F: a 1-bit BMP file to raw MH fax data (no document header), read by the file's own header:
// its width, row order and palette (see fax_raster_from_bitmap).
#include "command/arguments.h"
#include "codec/raster_encoder.h"
#include "commands/commands.h"
#include "faxdoc/file_sinks.h"
#include "image/bmp_file.h"
#include "image/fax_raster.h"
#include "platform/file.h"
#include "platform/trace.h"

namespace korvif {

// D2F:resolution (0 normal, other fine),BMP path,output path
int run_bmp_to_fax_data(char* arguments) {
    const Fields fields = split_fields(arguments, "..>");
    if (!fields) return fields.stop();
    const char* output = fields.output;
    if (output == nullptr || *output == '\0') return trace::stop("no usable output path");
    const char* bmp_path = fields[2];
    if (*bmp_path == '\0') return trace::stop("the bitmap path is empty");
    const std::int32_t resolution = read_number(arguments);
    trace::line("resolution %d (%s), bitmap %s, output %s", resolution, resolution != 0 ? "fine" : "normal", bmp_path, output);
    if (!platform::file_exists(bmp_path)) return trace::stop("the bitmap was not found");
    const Outcome<PackedBitmap> loaded = load_bmp(bmp_path);
    if (!loaded) return trace::stop("the bitmap cannot be loaded");
    Outcome<PackedBitmap> bitmap = fax_raster_from_bitmap(*loaded);
    if (!bitmap) return trace::stop("the bitmap cannot be coded");
    const EncodeFlags fine = resolution != 0 ? ENCODE_EVERY_ROW : EncodeFlags::none;
    // Coded in full beside an existing output before it takes its place; an image with no row
    // to code leaves the output as it was.
    platform::FileReplacement file(output);
    ReplacementSink sink(file);
    if (!file.good()) return trace::stop("the output cannot be written");
    const Outcome<std::uint32_t> coded = encode_raster(*bitmap, sink, ENCODE_RTC | ENCODE_SKIP_HEADER | fine);
    if (!coded) return trace::stop(coded.failure() == Failure::too_short ? "too few rows to code" : "the output cannot be written");
    file.commit();
    return 0;
}

}  // namespace korvif
