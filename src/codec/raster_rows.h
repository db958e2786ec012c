// The rows the raster encoder codes, read where they lie: rows of 1728 pixels (216 bytes, the
// first pixel in the top bit of the first byte, a set bit black), from the top of the page down.
//
// Words used throughout the codec: a line is one line of the fax page, what MH codes between two
// EOLs; a row is one row of pixels of a picture. A decoded page's lines make one row each, or two
// where they are doubled; the encoder codes each row as a line, or each pair of rows as one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "codec/mh_tables.h"

namespace korvif {

// Which lines the rows make.
enum class RowPairs {
    apart,   // every row is a line
    merged,  // each pair of rows from the top is one line, black where either row is; a last row
             // without a partner is left out
};

// Lines one after another in memory, each with a flag that tells whether it holds a black pixel:
// a line without one is white, whatever its bytes hold (they are not read).
struct LineStretch {
    const std::uint8_t* first = nullptr;
    const bool* has_black = nullptr;
    std::size_t count = 0;  // at least 1
};

// A read-only view: the rows are never changed, a merged pair is made in a line buffer of the
// encoder's own.
class RasterRows {
public:
    // `count` rows, the top one at `first`, each further one `stride` bytes on (negative where the
    // rows are stored bottom-up).
    RasterRows(const std::uint8_t* first, std::size_t count, std::ptrdiff_t stride, RowPairs pairs = RowPairs::apart)
        : first_(first), count_(count), stride_(stride), pairs_(pairs) {}

    // The decoded lines of the stretches one after the other, each making `copies` rows (a
    // decoded page with its lines doubled).
    RasterRows(std::span<const LineStretch> stretches, int copies, RowPairs pairs = RowPairs::apart)
        : stretches_(stretches), copies_(copies), pairs_(pairs) {
        for (const LineStretch& stretch : stretches) count_ += stretch.count * static_cast<std::size_t>(copies);
    }

    std::size_t count() const { return count_; }  // rows, copies included
    RowPairs pairs() const { return pairs_; }
    // How many lines the rows are coded as.
    std::size_t coded_lines() const { return pairs_ == RowPairs::merged ? count_ / 2 : count_; }

    // The rows one after another in memory; only when stretches() is empty.
    const std::uint8_t* first() const { return first_; }
    std::ptrdiff_t stride() const { return stride_; }
    // The lines in stretches with their flags; empty for rows one after another in memory.
    std::span<const LineStretch> stretches() const { return stretches_; }
    int copies() const { return copies_; }

private:
    const std::uint8_t* first_ = nullptr;
    std::size_t count_ = 0;
    std::ptrdiff_t stride_ = mh::line_bytes;
    std::span<const LineStretch> stretches_ {};
    int copies_ = 1;
    RowPairs pairs_;
};

}  // namespace korvif
