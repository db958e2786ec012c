#include "faxdoc/raster_file.h"

#include "faxdoc/file_sinks.h"
#include "image/bitmap.h"

namespace korvif {

std::uint32_t encode_raster(PackedBitmap& bitmap, const char* path, EncodeFlags flags) {
    if (has(flags, ENCODE_SKIP_HEADER) && (!bitmap || bitmap.size() < two_colour_header_bytes)) return 0;
    platform::File file = platform::File::open(
        path, has(flags, ENCODE_APPEND) ? platform::FileMode::open_always_append : platform::FileMode::create_always_scratch);
    if (!file.is_open()) return 0;
    FileSink sink(file);
    return encode_raster(bitmap, sink, flags);
}

}  // namespace korvif
