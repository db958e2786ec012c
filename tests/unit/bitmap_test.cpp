#include <gtest/gtest.h>

#include "image/bitmap.h"
#include "support/bitmaps.h"

namespace korvif {
namespace {

TEST(RowStride, RoundsRowsToWholeWords) {
    struct Case {
        std::uint32_t width, bits, stride;
    };
    for (const Case c : {Case {1728, 1, 216}, Case {1, 1, 4}, Case {32, 1, 4}, Case {33, 1, 8}, Case {5, 8, 8},
                         Case {4, 8, 4}, Case {0, 1, 0}, Case {3, 24, 12}}) {
        EXPECT_EQ(row_stride(c.width, c.bits), c.stride) << c.width << " x " << c.bits;
    }
}

TEST(PaletteRule, ColoursUsedThenBitDepth) {
    struct Case {
        std::uint32_t header_size;
        std::uint16_t bits;
        std::uint32_t colours_used;
        std::uint16_t colours;
        std::uint16_t bytes;
    };
    const Case cases[] = {
        {40, 1, 0, 2, 8},   {40, 4, 0, 16, 64},     {40, 8, 0, 256, 1024}, {40, 24, 0, 0, 0},    {40, 1, 5, 5, 20},
        {40, 24, 3, 3, 12}, {40, 1, 0x10002, 2, 8}, {12, 1, 0, 2, 6},      {12, 8, 0, 256, 768}, {124, 1, 0, 2, 8},
    };
    for (const Case& c : cases) {
        PackedBitmap bitmap = *PackedBitmap::allocate(c.header_size + 8);
        bitmap.write_u32(0, c.header_size);
        if (c.header_size == 12) {
            bitmap.write_u16(10, c.bits);
            bitmap.write_u32(32, 99);  // beyond a core header: not a colours-used field
        } else {
            bitmap.write_u16(14, c.bits);
            bitmap.write_u32(32, c.colours_used);
        }
        EXPECT_EQ(bitmap.palette_colours(), c.colours) << c.header_size << "/" << c.bits << "/" << c.colours_used;
        EXPECT_EQ(bitmap.palette_bytes(), c.bytes) << c.header_size << "/" << c.bits << "/" << c.colours_used;
    }
}

TEST(HeaderFields, BytesBeyondTheBlockReadAsZeroAndAreNeverWritten) {
    PackedBitmap tiny = *PackedBitmap::allocate(6);
    tiny.write_u32(4, 0xAABBCCDD);  // only the first two bytes land
    EXPECT_EQ(tiny.read_u32(4), 0xCCDDu);
    EXPECT_EQ(tiny.read_u16(14), 0);
    EXPECT_EQ(tiny.read_u32(0xFFFFFFFFull), 0u);
}

}  // namespace
}  // namespace korvif
