// The lines a page decodes to, kept in blocks of 512 while decoding, and the bitmap made of them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "codec/mh_tables.h"
#include "codec/page_decoder.h"
#include "image/bitmap.h"

namespace korvif {

inline constexpr std::size_t line_block_bytes = std::size_t {lines_per_block} * mh::line_bytes;

// A block of 512 raster lines, followed by room for one more 64-bit store (the line painter
// may store up to eight bytes past a line's end; they land in the next line, not yet decoded,
// or in the slack after the last).
inline constexpr std::size_t line_slack_bytes = 8;

struct LineBlock {
    MemoryBlock lines;
    // Lines without a black pixel are not stored: their bytes are left as they are.
    std::array<bool, lines_per_block> has_black {};
};

// The decoded lines of both parts in page order, and which of them hold a black pixel.
struct DecodedLines {
    std::vector<const LineBlock*> blocks;  // 512 lines each, the last one's part
    std::vector<std::int32_t> counts;
    std::int32_t total = 0;

    // The first `lines` lines of a part's blocks.
    void add(const std::vector<LineBlock>& part, std::int32_t lines) {
        for (const LineBlock& block : part) {
            if (lines <= 0) break;
            const std::int32_t count = std::min(lines, std::int32_t {lines_per_block});
            blocks.push_back(&block);
            counts.push_back(count);
            total += count;
            lines -= count;
        }
    }
};

// The bitmap of the decoded lines: a 40-byte header, the white/black palette, and the rows
// bottom-up, each line once or twice as the options say. Fails with no_memory when the bitmap
// cannot be had.
Outcome<PackedBitmap> assemble_bitmap(const DecodedLines& decoded, DecodeOptions options);

}  // namespace korvif
