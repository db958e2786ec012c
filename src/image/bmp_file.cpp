#include "image/bmp_file.h"

#include "platform/files/file.h"
#include "platform/replace/replacement.h"
#include "platform/trace/trace.h"

namespace korvif {

Outcome<PackedBitmap> load_bmp(const char* path) {
    Outcome<platform::File> file =
        platform::File::open(path, platform::FileMode::read_deny_write, platform::OpenRetry::when_held_or_missing);
    if (!file) return Failure::cannot_be_read;
    std::uint8_t file_header[bmp_file_header_bytes];
    const std::uint32_t header_got = file->read(file_header, sizeof file_header).value_or(0);
    if (header_got < sizeof file_header) {
        trace::line("not a BMP file: %u bytes", header_got);
        return Failed(Failure::too_short, "its 14-byte file header");
    }
    if (file_header[0] != 'B' || file_header[1] != 'M') {
        trace::line("not a BMP file: it does not begin with \"BM\"");
        return Failure::cannot_be_read;
    }
    const std::uint32_t declared = file_header[2] | (file_header[3] << 8) | (file_header[4] << 16) |
                                   (static_cast<std::uint32_t>(file_header[5]) << 24);
    const std::int32_t block_size = static_cast<std::int32_t>(declared - bmp_file_header_bytes);
    if (block_size <= 0 || static_cast<std::uint32_t>(block_size) > largest_bitmap_bytes) {
        trace::line("BMP file declaring %u bytes refused", declared);
        return block_size <= 0 ? Failed(Failure::too_short, "15 bytes")
                               : Failed(Failure::too_large, beyond_largest_bitmap);
    }

    Outcome<PackedBitmap> bitmap = PackedBitmap::allocate(static_cast<std::size_t>(block_size));
    if (!bitmap) {
        trace::line("no memory for %d bytes", block_size);
        return bitmap;
    }
    // A short file leaves the rest of the (zeroed) block as it is.
    const std::uint32_t got = file->read(bitmap->data(), static_cast<std::uint32_t>(block_size)).value_or(0);
    static_cast<void>(file->close());  // only read

    const std::uint32_t header_size = bitmap->size() < 4 ? 0 : bitmap->header_size();
    if (header_size < core_header_bytes || (header_size > core_header_bytes && header_size < 16)) {
        trace::line("BMP file with an info header of %u bytes refused", header_size);
        return Failure::unusable_size;
    }
    trace::line("bitmap: %d bytes (%u read), header %u, %d x %d, %u bits per pixel", block_size, got, header_size,
                bitmap->width(), bitmap->height(), bitmap->bits_per_pixel());
    return bitmap;
}

Outcome<void> save_bmp(const PackedBitmap& bitmap, const char* path) {
    // Written in full beside the old file before it takes its place: a full disk or a viewer
    // holding the old file leaves that file as it was.
    platform::FileReplacement file(path);
    if (!file.good()) return Failure::cannot_be_written;
    const std::uint32_t file_size = static_cast<std::uint32_t>(bitmap.size()) + bmp_file_header_bytes;
    const std::uint32_t pixel_offset = bmp_file_header_bytes + bitmap.header_size() + bitmap.palette_bytes();
    const std::uint8_t file_header[bmp_file_header_bytes] = {
        // clang-format off
        'B', 'M',
        static_cast<std::uint8_t>(file_size), static_cast<std::uint8_t>(file_size >> 8),
        static_cast<std::uint8_t>(file_size >> 16), static_cast<std::uint8_t>(file_size >> 24),
        0, 0, 0, 0,
        static_cast<std::uint8_t>(pixel_offset), static_cast<std::uint8_t>(pixel_offset >> 8),
        static_cast<std::uint8_t>(pixel_offset >> 16), static_cast<std::uint8_t>(pixel_offset >> 24),
        // clang-format on
    };
    if (const Outcome<void> written = file.write(file_header, sizeof file_header); !written) return written;
    if (const Outcome<void> written = file.write(bitmap.data(), static_cast<std::uint32_t>(bitmap.size())); !written)
        return written;
    return file.commit();
}

}  // namespace korvif
