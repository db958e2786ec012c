#include "image/scale.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace korvif {

namespace {

constexpr std::uint32_t grey_palette_bytes = 256 * 4;

// A zeroed array of `count` entries of a plain type, in a memory block.
template <typename T>
class Table {
public:
    static Outcome<Table> allocate(std::size_t count) {
        Outcome<MemoryBlock> block = MemoryBlock::allocate(count * sizeof(T));
        if (!block) return block.failed();
        return Table(std::move(*block));
    }
    T& operator[](std::size_t i) { return data()[i]; }
    T* data() { return reinterpret_cast<T*>(block_.data()); }

private:
    explicit Table(MemoryBlock block) : block_(std::move(block)) {}
    MemoryBlock block_;
};

struct Source {
    const PackedBitmap& bitmap;
    std::uint32_t header_size = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool top_down = false;  // rows stored from the top (a negative height)
    std::uint64_t stride = 0;
    std::uint64_t pixel_offset = 0;
    MemoryBlock partial_row {};  // the row cut short by the end of the block, zero-padded
    MemoryBlock white_row {};    // for rows that lie beyond the block

    // Stored rows that lie in the block, wholly or in part.
    std::uint64_t rows_present() const {
        if (pixel_offset >= bitmap.size() || stride == 0) return 0;
        return std::min<std::uint64_t>(height, (bitmap.size() - pixel_offset + stride - 1) / stride);
    }

    // The rows of the picture, counted from the bottom, that lie in the block: [first, end).
    std::uint32_t first_row_present() const {
        return top_down ? static_cast<std::uint32_t>(height - rows_present()) : 0;
    }
    std::uint32_t end_row_present() const { return top_down ? height : static_cast<std::uint32_t>(rows_present()); }

    // Row i of the picture (0 = bottom): inside the block, or its part inside the block followed
    // by white.
    const std::uint8_t* row(std::uint32_t i) {
        const std::uint64_t start = pixel_offset + std::uint64_t {top_down ? height - 1 - i : i} * stride;
        if (start + stride <= bitmap.size()) return bitmap.data() + start;
        if (start >= bitmap.size()) return white_row.data();
        std::memset(partial_row.data(), 0, partial_row.size());
        std::memcpy(partial_row.data(), bitmap.data() + start, bitmap.size() - start);
        return partial_row.data();
    }
};

// Describes the source for scaling to width x height; fails when that cannot be done: a size or
// a source side of 0 or below or beyond the limit, or a header too short for the 40-byte header
// and its two palette entries (unusable_size), not a 1-bit image (not_one_bit), or no memory
// for the row buffers.
Outcome<void> prepare(Source& source, std::int32_t width, std::int32_t height) {
    const PackedBitmap& bitmap = source.bitmap;
    if (!usable_scaled_size(width, height)) return Failure::unusable_size;
    if (bitmap.bits_per_pixel() != 1) return Failure::not_one_bit;
    source.header_size = bitmap.header_size();
    if (source.header_size < info_header_bytes ||
        std::uint64_t {source.header_size} + two_colour_palette_bytes > bitmap.size()) {
        return Failure::unusable_size;
    }
    const std::int32_t w = bitmap.width();
    const std::uint64_t rows = bitmap.row_count();
    if (w <= 0 || rows == 0 || w > largest_scaled_side || rows > std::uint64_t {largest_scaled_side})
        return Failure::unusable_size;
    source.width = static_cast<std::uint32_t>(w);
    source.height = static_cast<std::uint32_t>(rows);
    source.top_down = bitmap.height() < 0;
    source.stride = row_stride(source.width, 1);
    source.pixel_offset = bitmap.mono_rows_offset();
    for (MemoryBlock* row : {&source.partial_row, &source.white_row}) {
        Outcome<MemoryBlock> block = MemoryBlock::allocate(static_cast<std::size_t>(source.stride));
        if (!block) return block.failed();
        *row = std::move(*block);
    }
    return {};
}

// A zeroed result of `pixels_at` bytes of header and palette and `height` rows of `stride`
// bytes; too_large when it would pass the size limit, or no_memory.
Outcome<PackedBitmap> allocate_result(std::uint64_t pixels_at, std::uint64_t stride, std::uint32_t height) {
    const std::uint64_t size = pixels_at + stride * height;
    if (stride == 0 || size > largest_bitmap_bytes) return Failed(Failure::too_large, beyond_largest_bitmap);
    return PackedBitmap::allocate(static_cast<std::size_t>(size));
}

// Positions of the step tables: entry i is i * to / from (i = 0 .. count), truncating.
Outcome<Table<std::uint32_t>> positions(std::uint32_t count, std::uint64_t to, std::uint64_t from) {
    Outcome<Table<std::uint32_t>> table = Table<std::uint32_t>::allocate(std::size_t {count} + 1);
    if (!table) return table;
    for (std::uint32_t i = 0; i <= count; ++i) (*table)[i] = static_cast<std::uint32_t>(i * to / from);
    return table;
}

std::uint8_t grey_weight(std::uint32_t source_width, std::uint32_t width) {
    std::uint64_t r = std::uint64_t {source_width} * 10 / width;
    if (r < 1) r = 1;  // enlargements beyond ten times weigh like ten times
    const std::uint64_t w = (8000 / r / r) & 0xFF;
    return static_cast<std::uint8_t>(w <= 1 ? 1 : w);
}

}  // namespace

Outcome<PackedBitmap> scale_bitmap(const PackedBitmap& source, std::int32_t width, std::int32_t height,
                                   ScaleOptions options) {
    if (options.method == ScaleMethod::grey) return scale_grey(source, width, height, options.grey_palette);
    return scale_mono(source, width, height);
}

Outcome<PackedBitmap> scale_grey(const PackedBitmap& source_bitmap, std::int32_t width, std::int32_t height,
                                 bool grey_palette) {
    Source source {source_bitmap};
    if (const Outcome<void> prepared = prepare(source, width, height); !prepared) return prepared.failed();
    const std::uint32_t w = static_cast<std::uint32_t>(width);
    const std::uint32_t h = static_cast<std::uint32_t>(height);
    const std::uint64_t stride = row_stride(w, 8);
    const std::uint64_t pixels_at = std::uint64_t {source.header_size} + grey_palette_bytes;
    Outcome<PackedBitmap> allocated = allocate_result(pixels_at, stride, h);
    if (!allocated) return allocated;
    PackedBitmap& result = *allocated;

    std::memcpy(result.data(), source_bitmap.data(), source.header_size);
    result.write_u16(bitmap_field::bits_per_pixel, 8);
    result.write_u32(bitmap_field::colours_used, 0);
    result.write_u32(bitmap_field::width, w);
    result.write_u32(bitmap_field::height, h);
    std::uint8_t* palette = result.data() + source.header_size;
    std::memset(palette, 0xFF, 3);
    if (grey_palette) {
        for (int i = 1; i < 64; ++i) std::memset(palette + 4 * i, (64 - i) * 4, 3);
    }

    // The eight pixels of source byte k land in one or a few destination columns: one group of
    // neighbouring pixels (a bit mask) for each column, at most one per pixel. The black pixels
    // of a group are counted with one table lookup.
    struct Group {
        std::uint8_t mask;
        std::uint32_t column;
    };
    const std::uint32_t bytes_per_row = (source.width + 7) / 8;
    Outcome<Table<std::uint32_t>> columns = positions(source.width, w, source.width);
    Outcome<Table<std::uint32_t>> rows = positions(source.height, h, source.height);
    Outcome<Table<Group>> groups = Table<Group>::allocate(source.width);
    Outcome<Table<std::uint32_t>> first_group = Table<std::uint32_t>::allocate(std::size_t {bytes_per_row} + 1);
    Outcome<Table<std::uint32_t>> counts = Table<std::uint32_t>::allocate(w);
    if (!columns || !rows || !groups || !first_group || !counts) return Failure::no_memory;
    std::uint32_t group_count = 0;
    for (std::uint32_t byte = 0; byte < bytes_per_row; ++byte) {
        (*first_group)[byte] = group_count;
        for (std::uint32_t bit = 0; bit < 8 && 8 * byte + bit < source.width; ++bit) {
            const std::uint32_t column = (*columns)[8 * byte + bit];
            if (group_count == (*first_group)[byte] || (*groups)[group_count - 1].column != column) {
                (*groups)[group_count++] = {0, column};
            }
            Group& group = (*groups)[group_count - 1];
            group.mask = static_cast<std::uint8_t>(group.mask | (0x80 >> bit));
        }
    }
    (*first_group)[bytes_per_row] = group_count;
    static const auto bits_set = [] {
        std::array<std::uint8_t, 256> table {};
        for (int i = 0; i < 256; ++i)
            table[i] = static_cast<std::uint8_t>(__builtin_popcount(static_cast<unsigned>(i)));
        return table;
    }();

    // Black pixels are counted per destination row; a row's sums are stored when the source rows
    // that land in it are done. The sum is count x weight, held at 255. Rows beyond the block are
    // white and add nothing.
    const std::uint8_t weight = grey_weight(source.width, w);
    std::uint8_t* pixels = result.data() + pixels_at;
    const std::uint32_t end_row = source.end_row_present();
    for (std::uint32_t i = source.first_row_present(); i < end_row; ++i) {
        const std::uint8_t* from = source.row(i);
        for (std::uint32_t byte = 0; byte < bytes_per_row; ++byte) {
            const std::uint8_t bits = from[byte];
            if (bits == 0) continue;
            for (std::uint32_t g = (*first_group)[byte]; g < (*first_group)[byte + 1]; ++g) {
                (*counts)[(*groups)[g].column] += bits_set[bits & (*groups)[g].mask];
            }
        }
        if (i + 1 == end_row || (*rows)[i + 1] != (*rows)[i]) {
            std::uint8_t* to = pixels + (*rows)[i] * stride;
            for (std::uint32_t x = 0; x < w; ++x) {
                const std::uint32_t count = (*counts)[x];
                if (count != 0)
                    to[x] = static_cast<std::uint8_t>(std::min<std::uint64_t>(255, std::uint64_t {count} * weight));
                (*counts)[x] = 0;
            }
        }
    }
    return allocated;
}

Outcome<PackedBitmap> scale_mono(const PackedBitmap& source_bitmap, std::int32_t width, std::int32_t height) {
    Source source {source_bitmap};
    if (const Outcome<void> prepared = prepare(source, width, height); !prepared) return prepared.failed();
    const std::uint32_t w = static_cast<std::uint32_t>(width);
    const std::uint32_t h = static_cast<std::uint32_t>(height);
    const std::uint64_t stride = row_stride(w, 1);
    const std::uint64_t pixels_at = std::uint64_t {source.header_size} + two_colour_palette_bytes;
    Outcome<PackedBitmap> allocated = allocate_result(pixels_at, stride, h);
    if (!allocated) return allocated;
    PackedBitmap& result = *allocated;
    std::memcpy(result.data(), source_bitmap.data(), static_cast<std::size_t>(pixels_at));
    result.write_u32(bitmap_field::width, w);
    result.write_u32(bitmap_field::height, h);

    Outcome<Table<std::uint32_t>> columns = positions(w, source.width, w);
    Outcome<Table<std::uint32_t>> rows = positions(h, source.height, h);
    if (!columns || !rows) return Failure::no_memory;
    std::uint8_t* to = result.data() + pixels_at;
    for (std::uint32_t j = 0; j < h; ++j, to += stride) {
        const std::uint8_t* from = source.row((*rows)[j]);
        std::uint32_t x = 0;
        for (std::uint32_t byte = 0; byte < (w + 7) / 8; ++byte) {
            std::uint32_t bits = 0;
            for (std::uint32_t bit = 0; bit < 8; ++bit, ++x) {
                bits <<= 1;
                if (x < w) {
                    const std::uint32_t column = (*columns)[x];
                    bits |= (from[column / 8] >> (7 - column % 8)) & 1u;
                }
            }
            to[byte] = static_cast<std::uint8_t>(bits);
        }
    }
    return allocated;
}

}  // namespace korvif
