#include <algorithm>
#include <cstdlib>

#include "image/operations.h"

namespace korvif {

Outcome<void> invert_bits(PackedBitmap& bitmap) {
    if (bits_per_pixel(bitmap) != 1) return Failure::not_one_bit;
    const std::int32_t height = bitmap_height(bitmap);
    const std::uint64_t rows_claimed = height < 0 ? 0u - static_cast<std::uint64_t>(static_cast<std::int64_t>(height))
                                                  : static_cast<std::uint64_t>(height);
    const std::uint64_t stride = row_stride(static_cast<std::uint32_t>(bitmap_width(bitmap)), 1);
    const std::uint64_t offset = mono_pixel_offset(bitmap);
    const std::uint64_t rows = std::min(rows_claimed, rows_inside(bitmap, offset, stride));
    if (rows == 0 || stride == 0) return {};
    std::uint8_t* pixels = bitmap.data() + offset;
    for (std::uint64_t i = 0, bytes = rows * stride; i < bytes; ++i) pixels[i] = static_cast<std::uint8_t>(~pixels[i]);
    return {};
}

}  // namespace korvif
