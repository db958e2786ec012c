// Packed bitmaps: a device-independent bitmap as a BMP file holds it after its 14-byte file
// header (info header, palette, pixel rows, bottom row first), in one memory block whose size is
// part of the image.
//
// The header of a bitmap comes from files that anybody may write, so every field is read
// through the accessors below: bytes beyond the block read as 0, and writes beyond it are dropped.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/memory/memory_block.h"

namespace korvif {

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

class PackedBitmap {
public:
    PackedBitmap() = default;
    explicit PackedBitmap(MemoryBlock bytes) : bytes_(std::move(bytes)) {}

    // A bitmap of `size` zero bytes, to be given its header; no_memory when it cannot be had.
    static Outcome<PackedBitmap> allocate(std::size_t size);
    // A bitmap whose bytes are not set: only for a caller that writes every byte. Fails as
    // allocate does.
    static Outcome<PackedBitmap> allocate_for_overwrite(std::size_t size);

    // The header's fields as they stand (the 40-byte header's places).
    std::uint32_t header_size() const { return read_u32(bitmap_field::header_size); }
    std::int32_t width() const { return static_cast<std::int32_t>(read_u32(bitmap_field::width)); }
    // Negative where the rows are stored top-down.
    std::int32_t height() const { return static_cast<std::int32_t>(read_u32(bitmap_field::height)); }
    std::uint16_t bits_per_pixel() const { return read_u16(bitmap_field::bits_per_pixel); }

    // The rows the header claims, whichever way they are stored: the height's size (2^31 for the
    // height -2^31).
    std::uint64_t row_count() const {
        const std::int64_t rows = height();
        return static_cast<std::uint64_t>(rows < 0 ? -rows : rows);
    }

    // Number of palette entries: from the colours-used field when it is set, else from the bit
    // depth (1: 2, 4: 16, 8: 256, others: 0). The core header has no colours-used field.
    std::uint16_t palette_colours() const;
    // Bytes of the palette: 3 per entry after a core header, 4 after any other.
    std::uint16_t palette_bytes() const;

    // Where the pixel rows of a 1-bit bitmap begin: after the info header and two palette entries.
    std::uint64_t mono_rows_offset() const { return std::uint64_t {header_size()} + two_colour_palette_bytes; }
    // How many whole rows of `stride` bytes, starting at `offset`, lie inside the block.
    std::uint64_t rows_inside(std::uint64_t offset, std::uint64_t stride) const;

    // Little-endian fields anywhere in the block: 0 read beyond it, writes beyond it dropped.
    std::uint32_t read_u32(std::uint64_t offset) const;
    std::uint16_t read_u16(std::uint64_t offset) const;
    void write_u32(std::uint64_t offset, std::uint32_t value);
    void write_u16(std::uint64_t offset, std::uint16_t value);

    // The bytes as a BMP file holds them after its file header.
    explicit operator bool() const { return static_cast<bool>(bytes_); }
    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    // Changes the size in place, as MemoryBlock::resize does (new bytes zero; nothing changes on
    // failure).
    Outcome<void> resize(std::size_t new_size) { return bytes_.resize(new_size); }

private:
    MemoryBlock bytes_;
};

// Bytes of one pixel row, a multiple of 4.
std::uint32_t row_stride(std::uint32_t width, std::uint32_t bits_per_pixel);

}  // namespace korvif
