// Changes to 1-bit packed bitmaps in place.
#pragma once

#include "image/bitmap.h"

namespace korvif {

// Complements every bit of the pixel rows, padding included. The rows counted are the height's
// (a negative height, rows stored top-down, counts as its size) and only rows that lie wholly
// inside the block are touched. False when the image is not 1-bit and was left alone.
bool invert_bits(PackedBitmap& bitmap);

// Turns the picture a quarter turn clockwise: W x H becomes H x W, rows padded to 32 pixels, and
// the block is resized (keeping its identity) to info header + 2 palette entries + Wr x Hr / 8
// bytes, where Wr and Hr are W and H rounded up to multiples of 32. Pixels beyond the block that
// the header claims read as white. A picture stored top-down (a negative height; H is its size)
// turns as it is shown, and the result is stored bottom-up. False, with the image unchanged and
// the reason traced, when it is not 1-bit, has a negative width, or the turned image would be
// larger than largest_bitmap_bytes or cannot be had.
bool rotate_quarter_turn(PackedBitmap& bitmap);

}  // namespace korvif
