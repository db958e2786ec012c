#include "image/bitmap.h"

namespace korvif {

std::uint32_t read_u32(const MemoryBlock& block, std::uint64_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        const std::uint64_t at = offset + static_cast<std::uint64_t>(i);
        value = (value << 8) | (at < block.size() ? block.data()[at] : 0u);
    }
    return value;
}

std::uint16_t read_u16(const MemoryBlock& block, std::uint64_t offset) {
    const std::uint32_t low = offset < block.size() ? block.data()[offset] : 0u;
    const std::uint32_t high = offset + 1 < block.size() ? block.data()[offset + 1] : 0u;
    return static_cast<std::uint16_t>(low | (high << 8));
}

void write_u32(MemoryBlock& block, std::uint64_t offset, std::uint32_t value) {
    for (std::uint64_t i = 0; i < 4; ++i) {
        if (offset + i < block.size()) block.data()[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void write_u16(MemoryBlock& block, std::uint64_t offset, std::uint16_t value) {
    for (std::uint64_t i = 0; i < 2; ++i) {
        if (offset + i < block.size()) block.data()[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint16_t palette_colours(const PackedBitmap& bitmap) {
    std::uint16_t depth;
    if (info_header_size(bitmap) == core_header_bytes) {
        depth = read_u16(bitmap, bitmap_field::core_bits_per_pixel);
    } else {
        const std::uint32_t used = read_u32(bitmap, bitmap_field::colours_used);
        if (used != 0) return static_cast<std::uint16_t>(used);
        depth = bits_per_pixel(bitmap);
    }
    switch (depth) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

std::uint16_t palette_bytes(const PackedBitmap& bitmap) {
    const unsigned entry = info_header_size(bitmap) == core_header_bytes ? 3 : 4;
    return static_cast<std::uint16_t>(palette_colours(bitmap) * entry);
}

std::uint32_t row_stride(std::uint32_t width, std::uint32_t bits_per_pixel) {
    return ((width * bits_per_pixel + 31) & ~31u) / 8;
}

std::uint64_t rows_inside(const MemoryBlock& block, std::uint64_t offset, std::uint64_t stride) {
    if (offset >= block.size()) return 0;
    if (stride == 0) return UINT64_MAX;
    return (block.size() - offset) / stride;
}

}  // namespace korvif
