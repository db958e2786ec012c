// The lines a page decodes to, kept where the decoder wrote them: blocks of 512 raster lines.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/mh_tables.h"
#include "codec/raster_rows.h"
#include "platform/memory/memory_block.h"

namespace korvif {

inline constexpr int lines_per_block = 512;
inline constexpr int max_line_blocks = 128;
inline constexpr int max_page_lines = lines_per_block * max_line_blocks;

// How the decoded lines become rows.
struct DecodeOptions {
    bool double_lines = false;         // two identical rows per line (a normal-resolution page)
    bool trim_trailing_white = false;  // the white lines after the last black pixel go, all but two
};

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

// A decoded page: its lines in page order, in stretches (the lines of a block), each line with a
// flag that tells whether it holds a black pixel; a line without one is white and its bytes are
// not set. Each line makes one row, or two when the lines are doubled; with the trim, the white
// lines after the last black one are gone, all but two. Nothing is copied: whoever reads the page
// reads the lines where the decoder wrote them. The page owns its blocks and is only moved.
class DecodedPage {
public:
    explicit DecodedPage(DecodeOptions options) : options_(options) {}
    DecodedPage(DecodedPage&&) = default;
    DecodedPage& operator=(DecodedPage&&) = default;

    // For the decoder: the first `lines` lines of a part's blocks follow the lines added before.
    // The page is complete with complete().
    void add(std::vector<LineBlock>& blocks, std::int32_t lines);
    void complete();

    std::int32_t lines() const { return lines_; }
    int rows_per_line() const { return options_.double_lines ? 2 : 1; }
    std::size_t rows() const { return static_cast<std::size_t>(lines_) * static_cast<std::size_t>(rows_per_line()); }
    std::span<const LineStretch> stretches() const { return stretches_; }

    // Leaves the first line out, for a caller that pairs the lines from the page's end; only on a
    // complete page with a line.
    void drop_first_line();

    // The page's rows as the raster encoder reads them.
    RasterRows raster_rows(RowPairs pairs = RowPairs::apart) const { return {stretches_, rows_per_line(), pairs}; }

private:
    DecodeOptions options_;
    std::vector<LineBlock> blocks_;
    std::vector<LineStretch> stretches_;  // one per block; until complete() only the counts
    std::int32_t lines_ = 0;
};

}  // namespace korvif
