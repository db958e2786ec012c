// Writing the pixels of a raster line as the page decoder finds its runs.
#pragma once

#include <cstdint>
#include <cstring>

#include "codec/mh_tables.h"
#include "codec/stream_decode_tables.h"

namespace korvif {

// Writes the pixels of the line being decoded, white ones included, eight bytes at a time at
// the byte that holds pixel x, so that the line never has to be cleared or read back. The
// pixels of that byte before x are kept in a register (`partial_`, in bits 56-63, the first
// pixel in bit 63); every byte before it is final. Whether the line has a black pixel is read
// from the written bytes once the line is done, not tracked per code.
class LinePainter {
public:
    void start(std::uint8_t* line) {
        line_ = line;
        x_ = 0;
        partial_ = 0;
        skipped_ = false;
    }

    unsigned x() const { return x_; }
    bool has_black() const {
        if (skipped_) return false;
        const unsigned final_bytes = x_ / 8 < mh::line_bytes ? x_ / 8 : mh::line_bytes;
        std::uint64_t lanes[4] = {x_ < mh::line_pixels ? partial_ : 0, 0, 0, 0};
        unsigned at = 0;
        for (; at + 32 <= final_bytes; at += 32) {
            for (unsigned lane = 0; lane < 4; ++lane) {
                std::uint64_t word;
                std::memcpy(&word, line_ + at + 8 * lane, 8);
                lanes[lane] |= word;
            }
        }
        for (; at < final_bytes; ++at) lanes[0] |= line_[at];
        return (lanes[0] | lanes[1] | lanes[2] | lanes[3]) != 0;
    }

    // A group of terminating codes from the group table; x + span stays within the line. The
    // group's pixels (at most 56) and the seven before them fit in the one store.
    void paint_group(std::uint64_t entry, unsigned span) {
        const std::uint64_t pixels = entry & mh::group_pixels_mask;
        const unsigned shift = x_ % 8;
        const std::uint64_t pixels_from_byte = partial_ | (pixels >> shift);
        store(x_ / 8, pixels_from_byte);
        partial_ = pixels_from_byte << ((shift + span) & ~7u);
        x_ += span;
    }

    // A run of one colour; x + run stays within the line.
    void paint_run(unsigned run, bool black) {
        const unsigned end = x_ + run;
        const std::uint64_t fill = black ? ~std::uint64_t {0} : 0;
        if (end / 8 == x_ / 8) {
            partial_ |= fill >> (x_ % 8) & ~(~std::uint64_t {0} >> (end % 8)) & top_byte;
            x_ = end;
            return;
        }
        line_[x_ / 8] = static_cast<std::uint8_t>((partial_ | (fill >> (x_ % 8))) >> 56);
        std::memset(line_ + x_ / 8 + 1, static_cast<int>(fill & 0xFF), end / 8 - x_ / 8 - 1);
        partial_ = fill & ~(~std::uint64_t {0} >> (end % 8));
        x_ = end;
    }

    // An all-white line taken in one step. Nothing is stored: a line without a black pixel is
    // not kept, and no pixel can follow at the line's end.
    void skip_white_line() {
        x_ = mh::line_pixels;
        skipped_ = true;
    }

    // Writes the byte in progress and clears the rest of the line (lines with black pixels only).
    // Damaged lines, "short lines": a line closed before its end is white up to it.
    void finish() {
        if (x_ >= mh::line_pixels) return;
        line_[x_ / 8] = static_cast<std::uint8_t>(partial_ >> 56);
        std::memset(line_ + x_ / 8 + 1, 0, mh::line_bytes - x_ / 8 - 1);
    }

private:
    static constexpr std::uint64_t top_byte = std::uint64_t {0xFF} << 56;

    void store(unsigned byte, std::uint64_t pixels) {
        pixels = __builtin_bswap64(pixels);
        std::memcpy(line_ + byte, &pixels, 8);
    }

    std::uint8_t* line_ = nullptr;
    unsigned x_ = 0;
    std::uint64_t partial_ = 0;
    bool skipped_ = false;
};

}  // namespace korvif
