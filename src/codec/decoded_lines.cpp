#include "codec/decoded_lines.h"

#include <algorithm>
#include <cstring>

namespace korvif {

namespace {

// How many lines without a black pixel follow from `index` (up to `end`), eight flags at a time.
int white_lines_at(const LineBlock& block, int index, int end) {
    int at = index;
    while (at + 8 <= end) {
        std::uint64_t flags;
        std::memcpy(&flags, block.has_black.data() + at, 8);
        if (flags != 0) break;
        at += 8;
    }
    while (at < end && !block.has_black[static_cast<std::size_t>(at)]) ++at;
    return at - index;
}

}  // namespace

Outcome<PackedBitmap> assemble_bitmap(const DecodedLines& decoded, DecodeOptions options) {
    std::int32_t lines = decoded.total;
    if (options.trim_trailing_white) {
        std::int32_t last_black_line = 0;  // counted from 1; 0: none
        std::int32_t first_line = 0;
        for (std::size_t b = 0; b < decoded.blocks.size(); ++b) {
            const LineBlock& block = *decoded.blocks[b];
            for (std::int32_t i = 0; i < decoded.counts[b]; ++i) {
                if (block.has_black[static_cast<std::size_t>(i)]) last_black_line = first_line + i + 1;
            }
            first_line += decoded.counts[b];
        }
        lines = std::min(lines, last_black_line + 2);
    }

    const std::size_t copies = options.double_lines ? 2 : 1;
    const std::size_t rows = static_cast<std::size_t>(lines) * copies;
    Outcome<PackedBitmap> allocated = MemoryBlock::allocate_for_overwrite(rows * mh::line_bytes + two_colour_header_bytes);
    if (!allocated) return allocated;
    PackedBitmap& bitmap = *allocated;

    // The first decoded line is the top row of the image, the last row of the block. Runs of
    // white lines are cleared with one memset each.
    std::uint8_t* row = bitmap.data() + two_colour_header_bytes + rows * mh::line_bytes;
    std::size_t white_rows = 0;
    auto clear_white_rows = [&] {
        std::memset(row, 0, white_rows * mh::line_bytes);
        white_rows = 0;
    };
    std::int32_t left = lines;
    for (std::size_t b = 0; b < decoded.blocks.size() && left > 0; ++b) {
        const LineBlock& block = *decoded.blocks[b];
        const int count = std::min(decoded.counts[b], left);
        left -= count;
        for (int index = 0; index < count;) {
            const int white = white_lines_at(block, index, count);
            if (white != 0) {
                row -= static_cast<std::size_t>(white) * copies * mh::line_bytes;
                white_rows += static_cast<std::size_t>(white) * copies;
                index += white;
                continue;
            }
            if (white_rows != 0) clear_white_rows();
            row -= copies * mh::line_bytes;
            const std::uint8_t* source = block.lines.data() + static_cast<std::size_t>(index) * mh::line_bytes;
            for (std::size_t copy = 0; copy < copies; ++copy) std::memcpy(row + copy * mh::line_bytes, source, mh::line_bytes);
            ++index;
        }
    }
    clear_white_rows();

    std::memset(bitmap.data(), 0, two_colour_header_bytes);
    write_u32(bitmap, bitmap_field::header_size, info_header_bytes);
    write_u32(bitmap, bitmap_field::width, mh::line_pixels);
    write_u32(bitmap, bitmap_field::height, static_cast<std::uint32_t>(rows));
    write_u16(bitmap, bitmap_field::planes, 1);
    write_u16(bitmap, bitmap_field::bits_per_pixel, 1);
    const std::uint8_t palette[8] = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0};
    std::memcpy(bitmap.data() + info_header_bytes, palette, sizeof palette);
    return allocated;
}

}  // namespace korvif
