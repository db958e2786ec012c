#include "image/page_bitmap.h"

#include <algorithm>
#include <cstring>

#include "image/fax_raster.h"

namespace korvif {

namespace {

// How many lines without a black pixel follow from `index` (up to `end`), eight flags at a time.
std::size_t white_lines_at(const bool* has_black, std::size_t index, std::size_t end) {
    std::size_t at = index;
    while (at + 8 <= end) {
        std::uint64_t flags;
        std::memcpy(&flags, has_black + at, 8);
        if (flags != 0) break;
        at += 8;
    }
    while (at < end && !has_black[at]) ++at;
    return at - index;
}

}  // namespace

Outcome<PackedBitmap> page_bitmap(const DecodedPage& page) {
    const std::size_t copies = static_cast<std::size_t>(page.rows_per_line());
    const std::size_t rows = page.rows();
    Outcome<PackedBitmap> allocated =
        PackedBitmap::allocate_for_overwrite(rows * fax_line_bytes + two_colour_header_bytes);
    if (!allocated) return allocated;
    PackedBitmap& bitmap = *allocated;

    // The first line is the top row of the image, the last row of the block. Runs of white lines
    // are cleared with one memset each.
    std::uint8_t* row = bitmap.data() + two_colour_header_bytes + rows * fax_line_bytes;
    std::size_t white_rows = 0;
    auto clear_white_rows = [&] {
        std::memset(row, 0, white_rows * fax_line_bytes);
        white_rows = 0;
    };
    for (const LineStretch& stretch : page.stretches()) {
        for (std::size_t index = 0; index < stretch.count;) {
            const std::size_t white = white_lines_at(stretch.has_black, index, stretch.count);
            if (white != 0) {
                row -= white * copies * fax_line_bytes;
                white_rows += white * copies;
                index += white;
                continue;
            }
            if (white_rows != 0) clear_white_rows();
            row -= copies * fax_line_bytes;
            const std::uint8_t* source = stretch.first + index * fax_line_bytes;
            for (std::size_t copy = 0; copy < copies; ++copy)
                std::memcpy(row + copy * fax_line_bytes, source, fax_line_bytes);
            ++index;
        }
    }
    clear_white_rows();

    write_fax_raster_header(bitmap, static_cast<std::uint32_t>(rows));
    return allocated;
}

}  // namespace korvif
