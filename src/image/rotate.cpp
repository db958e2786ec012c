#include <algorithm>
#include <climits>
#include <cstring>

#include "image/operations.h"

namespace korvif {

namespace {

std::uint64_t round_up_32(std::uint64_t n) { return (n + 31) & ~std::uint64_t {31}; }

// Transposes an 8 x 8 bit matrix held as 8 bytes, row k in byte k of the word counted from the
// most significant, column j in bit 0x80 >> j: afterwards row j holds the old column j.
std::uint64_t transpose_8x8(std::uint64_t x) {
    std::uint64_t t;
    t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    x = x ^ t ^ (t << 28);
    return x;
}

}  // namespace

Outcome<void> rotate_quarter_turn(PackedBitmap& bitmap) {
    if (bitmap.bits_per_pixel() != 1) return Failure::not_one_bit;
    const std::int32_t width = bitmap.width();
    const std::int32_t height = bitmap.height();
    if (width < 0 || height == INT32_MIN) return Failure::unusable_size;

    // Rows stored top-down (a negative height) are read from the last stored row up, so that the
    // picture as shown turns; the result is stored bottom-up.
    const bool top_down = height < 0;
    const std::uint64_t w = static_cast<std::uint64_t>(width);
    const std::uint64_t h = bitmap.row_count();
    const std::uint64_t old_stride = round_up_32(w) / 8;
    const std::uint64_t new_stride = round_up_32(h) / 8;
    const std::uint64_t pixel_bytes = round_up_32(w) * round_up_32(h) / 8;
    const std::uint64_t offset = bitmap.mono_rows_offset();
    if (offset + pixel_bytes > largest_bitmap_bytes) return Failed(Failure::too_large, beyond_largest_bitmap);

    // The bytes that lie in the block as loaded; the rest of the claimed picture is white.
    const std::uint64_t available = offset < bitmap.size() ? bitmap.size() - offset : 0;
    const std::uint64_t rows_present = old_stride == 0 ? 0 : std::min(h, (available + old_stride - 1) / old_stride);
    Outcome<MemoryBlock> allocated = MemoryBlock::allocate(static_cast<std::size_t>(pixel_bytes));
    if (!allocated) return allocated.failed();
    std::uint8_t* turned = allocated->data();

    const std::uint8_t* source = bitmap.data() + offset;
    // Row r of the picture, counted from the bottom: where it is stored.
    const auto stored_row = [&](std::uint64_t r) { return top_down ? h - 1 - r : r; };
    // The picture's rows that are stored in the block, in whole groups of eight.
    const std::uint64_t first_row = top_down ? (h - rows_present) / 8 * 8 : 0;
    const std::uint64_t end_row = top_down ? h : rows_present;
    // Eight picture rows at a time: each source byte column gives an 8 x 8 block of pixels that
    // becomes one byte in each of eight destination rows.
    for (std::uint64_t row = first_row; row < end_row; row += 8) {
        const std::uint64_t rows_here = std::min<std::uint64_t>(8, end_row - row);
        for (std::uint64_t column = 0; column < old_stride && column * 8 < w; ++column) {
            std::uint64_t block = 0;
            for (std::uint64_t k = 0; k < rows_here; ++k) {
                const std::uint64_t at = stored_row(row + k) * old_stride + column;
                if (at < available) block |= std::uint64_t {source[at]} << (56 - 8 * k);
            }
            if (block == 0) continue;
            block = transpose_8x8(block);
            // Byte j of the transposed block is source column 8 * column + j, which lands in
            // destination row w - 1 - that column.
            for (std::uint64_t j = 0; j < 8; ++j) {
                const std::uint64_t x = column * 8 + j;
                if (x >= w) break;
                const auto bits = static_cast<std::uint8_t>(block >> (56 - 8 * j));
                if (bits != 0) turned[(w - 1 - x) * new_stride + row / 8] = bits;
            }
        }
    }

    if (const Outcome<void> resized = bitmap.resize(static_cast<std::size_t>(offset + pixel_bytes)); !resized)
        return resized;
    if (pixel_bytes != 0) std::memcpy(bitmap.data() + offset, turned, pixel_bytes);
    bitmap.write_u32(bitmap_field::width, static_cast<std::uint32_t>(h));
    bitmap.write_u32(bitmap_field::height, static_cast<std::uint32_t>(width));
    return {};
}

}  // namespace korvif
