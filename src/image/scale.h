// Scaling 1-bit packed bitmaps to a given size.
#pragma once

#include <cstdint>

#include "image/bitmap.h"

namespace korvif {

enum class ScaleMethod {
    one_bit,  // nearest source pixel, 1-bit result
    grey,     // pixels accumulated into an 8-bit result
};

struct ScaleOptions {
    ScaleMethod method = ScaleMethod::one_bit;
    bool grey_palette = false;  // 64 grey levels (grey method only)
};

// The longest side, in pixels, of a source or a result that the scalers take on; what a header
// claims beyond it is refused like an image that cannot be had in memory.
inline constexpr std::int32_t largest_scaled_side = 1 << 20;

// Whether the scalers make a bitmap of width x height: 1 to largest_scaled_side pixels each.
constexpr bool usable_scaled_size(std::int32_t width, std::int32_t height) {
    return width > 0 && height > 0 && width <= largest_scaled_side && height <= largest_scaled_side;
}

// A new bitmap of width x height, stored bottom-up, made by the options' method. A source stored
// top-down (a negative height) is scaled as the picture it shows. Fails for a size that is not
// usable_scaled_size, a source side of 0 or below or beyond largest_scaled_side, or a source
// header shorter than 40 bytes and its palette (unusable_size), a source that is not 1-bit
// (not_one_bit), a result larger than largest_bitmap_bytes (too_large), or no_memory (the result
// or its step tables cannot be had: a blank picture never stands in for the scaled one).
Outcome<PackedBitmap> scale_bitmap(const PackedBitmap& source, std::int32_t width, std::int32_t height,
                                   ScaleOptions options = {});

// Grey method: each source pixel lands in destination pixel (x * W / sw, y * H / sh) and adds the
// weight w = 8000 / r / r (low 8 bits, at least 1; r = sw * 10 / W, at least 1) there; a sum
// holds at 255. The palette shows 0 as white and, with the grey palette, 1..63 as greys and 64 and
// more as black, else everything above 0 as black.
Outcome<PackedBitmap> scale_grey(const PackedBitmap& source, std::int32_t width, std::int32_t height,
                                 bool grey_palette);

// 1-bit method: destination pixel (x, y) = source pixel (x * sw / W, y * sh / H); the source's
// palette is kept. Padding bits and bytes of the rows are 0.
Outcome<PackedBitmap> scale_mono(const PackedBitmap& source, std::int32_t width, std::int32_t height);

}  // namespace korvif
