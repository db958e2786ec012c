// Packed bitmaps: a device-independent bitmap (info header, palette, pixel rows, bottom row
// first) held in one memory block whose size is part of the image.
//
// The header of a bitmap comes from files that anybody may write, so every field is read
// through these accessors: bytes beyond the block read as 0, and writes beyond it are dropped.
#pragma once

#include <cstdint>

#include "platform/memory/memory_block.h"

namespace korvif {

using PackedBitmap = MemoryBlock;

namespace bitmap_field {
inline constexpr std::uint32_t header_size = 0;
inline constexpr std::uint32_t width = 4;
inline constexpr std::uint32_t height = 8;
inline constexpr std::uint32_t planes = 12;
inline constexpr std::uint32_t bits_per_pixel = 14;
inline constexpr std::uint32_t compression = 16;
inline constexpr std::uint32_t image_size = 20;
inline constexpr std::uint32_t colours_used = 32;
inline constexpr std::uint32_t core_bits_per_pixel = 10;  // in the 12-byte core header
}  // namespace bitmap_field

inline constexpr std::uint32_t info_header_bytes = 40;
inline constexpr std::uint32_t core_header_bytes = 12;
inline constexpr std::uint32_t two_colour_palette_bytes = 8;
// The 40-byte header and a two-entry palette: where the rows of a fax raster bitmap begin.
inline constexpr std::uint32_t two_colour_header_bytes = info_header_bytes + two_colour_palette_bytes;

// The largest packed bitmap the program makes or reads. A BMP file that claims more, or an
// operation whose result would be larger, is refused as one that cannot be had in memory (a
// 32-bit process seldom finds more in one piece).
inline constexpr std::uint32_t largest_bitmap_bytes = 256u << 20;
// What a bitmap refused for its size would reach, as a too_large failure's detail.
inline constexpr char beyond_largest_bitmap[] = "more than 256 MB";
static_assert(largest_bitmap_bytes == 256u << 20, "beyond_largest_bitmap names the limit");

std::uint32_t read_u32(const MemoryBlock& block, std::uint64_t offset);
std::uint16_t read_u16(const MemoryBlock& block, std::uint64_t offset);
void write_u32(MemoryBlock& block, std::uint64_t offset, std::uint32_t value);
void write_u16(MemoryBlock& block, std::uint64_t offset, std::uint16_t value);

inline std::uint32_t info_header_size(const PackedBitmap& bitmap) {
    return read_u32(bitmap, bitmap_field::header_size);
}
inline std::int32_t bitmap_width(const PackedBitmap& bitmap) {
    return static_cast<std::int32_t>(read_u32(bitmap, bitmap_field::width));
}
inline std::int32_t bitmap_height(const PackedBitmap& bitmap) {
    return static_cast<std::int32_t>(read_u32(bitmap, bitmap_field::height));
}
inline std::uint16_t bits_per_pixel(const PackedBitmap& bitmap) {
    return read_u16(bitmap, bitmap_field::bits_per_pixel);
}

// Number of palette entries: from the colours-used field when it is set, else from the bit
// depth (1: 2, 4: 16, 8: 256, others: 0). The core header has no colours-used field.
std::uint16_t palette_colours(const PackedBitmap& bitmap);

// Bytes of the palette: 3 per entry after a core header, 4 after any other.
std::uint16_t palette_bytes(const PackedBitmap& bitmap);

// Bytes of one pixel row, a multiple of 4.
std::uint32_t row_stride(std::uint32_t width, std::uint32_t bits_per_pixel);

// Where the pixel rows of a 1-bit bitmap begin: after the info header and two palette entries.
inline std::uint64_t mono_pixel_offset(const PackedBitmap& bitmap) {
    return std::uint64_t {info_header_size(bitmap)} + two_colour_palette_bytes;
}

// How many whole rows of `stride` bytes, starting at `offset`, lie inside the block.
std::uint64_t rows_inside(const MemoryBlock& block, std::uint64_t offset, std::uint64_t stride);

}  // namespace korvif
