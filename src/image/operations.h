// Changes to 1-bit packed bitmaps in place.
#pragma once

#include "image/bitmap.h"

namespace korvif {

// Complements every bit of the pixel rows, padding included. The rows counted are the height's
// (a negative height, rows stored top-down, counts as its size) and only rows that lie wholly
// inside the block are touched. Fails with not_one_bit, the image left alone, when it is not 1-bit.
Outcome<void> invert_bits(PackedBitmap& bitmap);

// Turns the picture a quarter turn clockwise: W x H becomes H x W, rows padded to 32 pixels, and
// the block is resized (keeping its identity) to info header + 2 palette entries + Wr x Hr / 8
// bytes, where Wr and Hr are W and H rounded up to multiples of 32. Pixels beyond the block that
// the header claims read as white. A picture stored top-down (a negative height; H is its size)
// turns as it is shown, and the result is stored bottom-up. Fails, with the image unchanged, when
// it is not 1-bit (not_one_bit), has a negative width or the height -2^31 (unusable_size), or the
// turned image would be larger than largest_bitmap_bytes (too_large; the detail names the limit)
// or cannot be had (no_memory).
Outcome<void> rotate_quarter_turn(PackedBitmap& bitmap);

}  // namespace korvif
