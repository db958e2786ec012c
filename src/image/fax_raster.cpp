#include "image/fax_raster.h"

#include <algorithm>
#include <cstring>

#include "platform/trace/trace.h"

namespace korvif {

namespace {

// Core header fields: 16-bit width and height at 4 and 6.
constexpr std::uint32_t core_width = 4;
constexpr std::uint32_t core_height = 6;

// The brightness of the palette entry (blue, green, red) at `entry`; bytes beyond the block are 0.
std::uint32_t luma(const PackedBitmap& source, std::uint64_t entry) {
    auto byte = [&](std::uint64_t at) -> std::uint32_t { return at < source.size() ? source.data()[at] : 0; };
    return 299 * byte(entry + 2) + 587 * byte(entry + 1) + 114 * byte(entry);
}

}  // namespace

Outcome<PackedBitmap> fax_raster_from_bitmap(const PackedBitmap& source) {
    const std::uint32_t header = source.header_size();
    const bool core = header == core_header_bytes;
    const std::int64_t width = core ? source.read_u16(core_width) : source.width();
    const std::int64_t height = core ? source.read_u16(core_height) : source.height();
    const std::uint16_t depth =
        source.read_u16(core ? bitmap_field::core_bits_per_pixel : bitmap_field::bits_per_pixel);
    if (depth != 1) {
        trace::line("not a 1-bit bitmap: %u bits per pixel", depth);
        return Failure::not_one_bit;
    }
    if (width <= 0 || height == 0) {
        trace::line("a bitmap of %lld x %lld has no picture", static_cast<long long>(width),
                    static_cast<long long>(height));
        return Failure::unusable_size;
    }

    const std::uint64_t entry_bytes = core ? 3 : 4;
    const std::uint64_t rows_offset = header + 2 * entry_bytes;
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) + 31) / 32 * 4;
    const std::uint64_t rows =
        std::min<std::uint64_t>(height < 0 ? -height : height, source.rows_inside(rows_offset, stride));
    if (two_colour_header_bytes + fax_line_bytes * rows > largest_bitmap_bytes) {
        trace::line("%llu rows are more than can be coded", static_cast<unsigned long long>(rows));
        return Failed(Failure::too_large, beyond_largest_bitmap);
    }

    Outcome<PackedBitmap> allocated = PackedBitmap::allocate(two_colour_header_bytes + fax_line_bytes * rows);
    if (!allocated) return allocated;
    PackedBitmap& raster = *allocated;
    write_fax_raster_header(raster, static_cast<std::uint32_t>(rows));

    const std::uint8_t flip = luma(source, header) < luma(source, header + entry_bytes) ? 0xFF : 0x00;
    trace::line("fax raster: %llu rows%s%s, %lld pixels of each taken", static_cast<unsigned long long>(rows),
                height < 0 ? " (stored top-down)" : "", flip ? ", inverted (palette entry 0 is the darker)" : "",
                static_cast<long long>(std::min<std::int64_t>(width, fax_line_pixels)));
    const std::uint32_t pixels = static_cast<std::uint32_t>(std::min<std::int64_t>(width, fax_line_pixels));
    const std::uint32_t whole_bytes = pixels / 8;
    const std::uint8_t last_mask = static_cast<std::uint8_t>(0xFF00 >> (pixels % 8));
    const std::uint8_t* source_rows = source.data() + rows_offset;
    for (std::uint64_t row = 0; row < rows; ++row) {
        // Output rows go bottom-up; a top-down source holds the top row first.
        const std::uint64_t from = height < 0 ? rows - 1 - row : row;
        const std::uint8_t* in = source_rows + from * stride;
        std::uint8_t* out = raster.data() + two_colour_header_bytes + row * fax_line_bytes;
        for (std::uint32_t i = 0; i < whole_bytes; ++i) out[i] = in[i] ^ flip;
        if (last_mask != 0) out[whole_bytes] = (in[whole_bytes] ^ flip) & last_mask;
    }
    return allocated;
}

void write_fax_raster_header(PackedBitmap& bitmap, std::uint32_t rows) {
    std::memset(bitmap.data(), 0, two_colour_header_bytes);
    bitmap.write_u32(bitmap_field::header_size, info_header_bytes);
    bitmap.write_u32(bitmap_field::width, fax_line_pixels);
    bitmap.write_u32(bitmap_field::height, rows);
    bitmap.write_u16(bitmap_field::planes, 1);
    bitmap.write_u16(bitmap_field::bits_per_pixel, 1);
    bitmap.write_u32(info_header_bytes, 0x00FFFFFF);  // entry 0 white, entry 1 black (zero)
}

RasterRows fax_raster_rows(const PackedBitmap& raster, RowPairs pairs) {
    const std::size_t stored =
        raster.size() < two_colour_header_bytes ? 0 : (raster.size() - two_colour_header_bytes) / fax_line_bytes;
    // Merged rows pair up from the bottom row, as the bitmap stores them: an odd top row is left out.
    const std::size_t rows = pairs == RowPairs::merged ? stored / 2 * 2 : stored;
    const std::uint8_t* top = raster.data() + two_colour_header_bytes + (rows == 0 ? 0 : rows - 1) * fax_line_bytes;
    return {top, rows, -std::ptrdiff_t {fax_line_bytes}, pairs};
}

}  // namespace korvif
