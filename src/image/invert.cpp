#include <algorithm>
#include <cstdlib>

#include "image/operations.h"

namespace korvif {

Outcome<void> invert_bits(PackedBitmap& bitmap) {
    if (bitmap.bits_per_pixel() != 1) return Failure::not_one_bit;
    const std::uint64_t stride = row_stride(static_cast<std::uint32_t>(bitmap.width()), 1);
    const std::uint64_t offset = bitmap.mono_rows_offset();
    const std::uint64_t rows = std::min(bitmap.row_count(), bitmap.rows_inside(offset, stride));
    if (rows == 0 || stride == 0) return {};
    std::uint8_t* pixels = bitmap.data() + offset;
    for (std::uint64_t i = 0, bytes = rows * stride; i < bytes; ++i) pixels[i] = static_cast<std::uint8_t>(~pixels[i]);
    return {};
}

}  // namespace korvif
