#include "image/bitmap.h"

namespace korvif {

Outcome<PackedBitmap> PackedBitmap::allocate(std::size_t size) {
    Outcome<MemoryBlock> block = MemoryBlock::allocate(size);
    if (!block) return block.failed();
    return PackedBitmap(std::move(*block));
}

Outcome<PackedBitmap> PackedBitmap::allocate_for_overwrite(std::size_t size) {
    Outcome<MemoryBlock> block = MemoryBlock::allocate_for_overwrite(size);
    if (!block) return block.failed();
    return PackedBitmap(std::move(*block));
}

std::uint32_t PackedBitmap::read_u32(std::uint64_t offset) const {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        const std::uint64_t at = offset + static_cast<std::uint64_t>(i);
        value = (value << 8) | (at < size() ? data()[at] : 0u);
    }
    return value;
}

std::uint16_t PackedBitmap::read_u16(std::uint64_t offset) const {
    const std::uint32_t low = offset < size() ? data()[offset] : 0u;
    const std::uint32_t high = offset + 1 < size() ? data()[offset + 1] : 0u;
    return static_cast<std::uint16_t>(low | (high << 8));
}

void PackedBitmap::write_u32(std::uint64_t offset, std::uint32_t value) {
    for (std::uint64_t i = 0; i < 4; ++i) {
        if (offset + i < size()) data()[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void PackedBitmap::write_u16(std::uint64_t offset, std::uint16_t value) {
    for (std::uint64_t i = 0; i < 2; ++i) {
        if (offset + i < size()) data()[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint16_t PackedBitmap::palette_colours() const {
    std::uint16_t depth;
    if (header_size() == core_header_bytes) {
        depth = read_u16(bitmap_field::core_bits_per_pixel);
    } else {
        const std::uint32_t used = read_u32(bitmap_field::colours_used);
        if (used != 0) return static_cast<std::uint16_t>(used);
        depth = bits_per_pixel();
    }
    switch (depth) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

std::uint16_t PackedBitmap::palette_bytes() const {
    const unsigned entry = header_size() == core_header_bytes ? 3 : 4;
    return static_cast<std::uint16_t>(palette_colours() * entry);
}

std::uint64_t PackedBitmap::rows_inside(std::uint64_t offset, std::uint64_t stride) const {
    if (offset >= size()) return 0;
    if (stride == 0) return UINT64_MAX;
    return (size() - offset) / stride;
}

std::uint32_t row_stride(std::uint32_t width, std::uint32_t bits_per_pixel) {
    return ((width * bits_per_pixel + 31) & ~31u) / 8;
}

}  // namespace korvif
