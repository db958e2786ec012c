// D2F: a 1-bit BMP file to raw MH fax data (no document header), read by the file's own header:
// its width, row order and palette (see fax_raster_from_bitmap).
#include "codec/raster_encoder.h"
#include "command/arguments.h"
#include "command/stop.h"
#include "commands/commands.h"
#include "faxdoc/file_sinks.h"
#include "image/bmp_file.h"
#include "image/fax_raster.h"
#include "platform/files/file.h"
#include "platform/replace/replacement.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

struct BitmapToFaxData {
    std::int32_t resolution;  // 0 normal (rows merged in pairs), any other fine (every row a line)
    const char* bitmap;
    const char* output;

    RowPairs pairs() const { return resolution != 0 ? RowPairs::apart : RowPairs::merged; }
};

}  // namespace

// D2F:resolution (0 normal, other fine),BMP path,output path
int run_bmp_to_fax_data(char* arguments) {
    const Fields fields = split_fields(arguments, "..>");
    if (!fields) return fields.stop();
    const BitmapToFaxData request {.resolution = read_number(arguments), .bitmap = fields[2], .output = fields.output};
    if (*request.bitmap == '\0') return stop(Failure::empty_path, "the bitmap");
    trace::line("resolution %d (%s), bitmap \"%s\", output \"%s\"", request.resolution,
                request.resolution != 0 ? "fine" : "normal", request.bitmap, request.output);

    if (!platform::file_exists(request.bitmap)) return stop(Failure::not_found, "the bitmap");
    // MH data over the bitmap would lose the picture: a mistyped output is refused.
    if (platform::same_file(request.bitmap, request.output))
        return stop({Failure::is_the_input, "the bitmap"}, "the output");
    const Outcome<PackedBitmap> loaded = load_bmp(request.bitmap);
    if (!loaded) return stop(Failure::cannot_be_loaded, "the bitmap");
    Outcome<PackedBitmap> raster = fax_raster_from_bitmap(*loaded);
    if (!raster) return stop(Failure::cannot_be_coded, "the bitmap");
    // Coded in full beside an existing output before it takes its place; an image with no row
    // to code leaves the output as it was.
    platform::FileReplacement file(request.output);
    ReplacementSink sink(file);
    if (!file.good()) return stop(Failure::cannot_be_written, "the output");
    const Outcome<std::uint32_t> coded = encode_raster(fax_raster_rows(*raster, request.pairs()), sink);
    // A raster without a line is too short for the encoder, and has too few rows for the host.
    if (!coded && coded.failure() == Failure::too_short) return stop(Failure::too_few_rows, "the output");
    if (!coded) return stop(coded.failed(), "the output");
    static_cast<void>(file.commit());  // a refused replace is traced where it happens
    return 0;
}

}  // namespace korvif
