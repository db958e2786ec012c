#include <gtest/gtest.h>

#include <random>

#include "image/bmp_file.h"
#include "image/scale.h"
#include "support/bitmaps.h"

namespace korvif {
namespace {

using test::Bytes;

constexpr ScaleOptions one_bit {};
constexpr ScaleOptions grey_method {.method = ScaleMethod::grey};
constexpr ScaleOptions grey_levels {.method = ScaleMethod::grey, .grey_palette = true};

std::uint8_t grey_value(const PackedBitmap& bitmap, int x, int stored_row) {
    const std::uint32_t stride = row_stride(static_cast<std::uint32_t>(bitmap.width()), 8);
    return bitmap.data()[bitmap.header_size() + 1024 + stride * static_cast<std::uint32_t>(stored_row) +
                         static_cast<std::uint32_t>(x)];
}

TEST(ScaleGrey, WeightFollowsTheWidthRatio) {
    struct Case {
        int width;  // target width for a source 1000 pixels wide: r = 10000 / width
        int weight;
    };
    const Case cases[] = {{1000, 80},  {909, 66},  {833, 55},   {666, 35},   {500, 20},   {333, 8},    {250, 5},
                          {200, 3},    {166, 2},   {156, 1},    {100, 1},    {10000, 64}, {5000, 208}, {3333, 120},
                          {2500, 244}, {2000, 64}, {1666, 222}, {1428, 163}, {1250, 125}, {1111, 98}};
    const PackedBitmap source = test::make_mono_bitmap(1000, 1, [](int x, int) { return x == 0; });
    for (const Case& c : cases) {
        const PackedBitmap result = *scale_bitmap(source, c.width, 1, grey_method);
        ASSERT_TRUE(result) << c.width;
        EXPECT_EQ(grey_value(result, 0, 0), c.weight) << c.width;
    }
}

TEST(ScaleGrey, FaxPageThumbnailSumsAndPalette) {
    // 1728 x 2200 to 172 x 220: r = 100, w = 1. Source columns 0..10 land in column 0 and rows
    // 0..9 in row 0.
    const PackedBitmap page = test::make_mono_bitmap(
        1728, 2200, [](int x, int y) { return (x < 10 && y < 10) || (x >= 1000 && x < 1003 && y >= 100 && y < 110); });
    const PackedBitmap thumbnail = *scale_bitmap(page, 172, 220, grey_levels);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail.bits_per_pixel(), 8);
    EXPECT_EQ(grey_value(thumbnail, 0, 0), 100);
    EXPECT_EQ(grey_value(thumbnail, 1000 * 172 / 1728, 10), 30);
    const std::uint8_t* palette = thumbnail.data() + 40;
    EXPECT_EQ(palette[4 * 30], 136);  // the grey that 30 shows
    EXPECT_EQ(palette[4 * 100], 0);   // 64 and more: black
    EXPECT_EQ(thumbnail.read_u32(40), 0x00FFFFFFu);

    const PackedBitmap black_and_white = *scale_bitmap(page, 172, 220, grey_method);
    EXPECT_EQ(black_and_white.data()[40 + 4 * 1], 0);  // everything above 0 is black
    EXPECT_EQ(black_and_white.data()[40 + 4 * 63], 0);
}

TEST(ScaleGrey, SameSizeAndSaturation) {
    const PackedBitmap source = test::make_mono_bitmap(13, 5, [](int x, int y) { return (x + y) % 3 == 0; });
    const PackedBitmap same = *scale_bitmap(source, 13, 5, grey_method);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 13; ++x) EXPECT_EQ(grey_value(same, x, y), (x + y) % 3 == 0 ? 80 : 0) << x << "," << y;
    }
    // 172 x 32 black source pixels per destination pixel at weight 1: held at 255.
    const PackedBitmap solid = test::make_mono_bitmap(1728, 32, [](int, int) { return true; });
    const PackedBitmap dark = *scale_bitmap(solid, 10, 1, grey_method);
    EXPECT_EQ(grey_value(dark, 0, 0), 255);
    // An enlargement beyond ten times weighs as ten times.
    const PackedBitmap dot = test::make_mono_bitmap(2, 1, [](int x, int) { return x == 1; });
    const PackedBitmap large = *scale_bitmap(dot, 50, 1, grey_method);
    ASSERT_TRUE(large);
    EXPECT_EQ(grey_value(large, 25, 0), 64);
}

TEST(ScaleMono, EveryPixelFollowsThePlainFormula) {
    std::mt19937 random(17);
    for (int round = 0; round < 40; ++round) {
        const int sw = 1 + static_cast<int>(random() % 200);
        const int sh = 1 + static_cast<int>(random() % 60);
        const int w = 1 + static_cast<int>(random() % 300);
        const int h = 1 + static_cast<int>(random() % 90);
        PackedBitmap source = test::make_mono_bitmap(sw, sh, [&](int, int) { return random() % 2 == 0; });
        const PackedBitmap result = *scale_bitmap(source, w, h);
        ASSERT_TRUE(result);
        ASSERT_EQ(result.width(), w);
        ASSERT_EQ(result.height(), h);
        EXPECT_EQ(result.size(), 48u + row_stride(static_cast<std::uint32_t>(w), 1) * static_cast<std::uint32_t>(h));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(test::pixel_at(result, x, y), test::pixel_at(source, x * sw / w, y * sh / h))
                    << x << "," << y;
            }
            // Padding bits are 0.
            for (int x = w; x < static_cast<int>(row_stride(static_cast<std::uint32_t>(w), 1)) * 8; ++x) {
                ASSERT_FALSE(test::pixel_at(result, x, y));
            }
        }
    }
}

TEST(ScaleMono, KeepsThePaletteAndReproducesSameSize) {
    PackedBitmap source = test::make_mono_bitmap(45, 7, [](int x, int y) { return x % 5 == y % 5; });
    source.write_u32(40, 0x00123456);
    const PackedBitmap same = *scale_bitmap(source, 45, 7, {.grey_palette = true});  // no palette of greys for 1 bit
    ASSERT_TRUE(same);
    EXPECT_EQ(same.bits_per_pixel(), 1);
    EXPECT_EQ(same.read_u32(40), 0x00123456u);
    EXPECT_EQ(Bytes(same.data(), same.data() + same.size()), Bytes(source.data(), source.data() + source.size()));
}

TEST(ScaleBitmap, RefusesWhatItCannotScaleAndSaysWhy) {
    PackedBitmap grey = test::make_mono_bitmap(20, 20);
    grey.write_u16(14, 8);
    PackedBitmap core_header = test::make_mono_bitmap(20, 20);
    core_header.write_u32(0, 12);
    core_header.write_u16(14, 1);
    struct Case {
        const char* what;
        const PackedBitmap& source;
        std::int32_t width;
        std::int32_t height;
        Failure failure;
    };
    const PackedBitmap source = test::make_mono_bitmap(20, 20);
    const PackedBitmap empty = test::make_mono_bitmap(0, 0);
    const PackedBitmap none {};
    const Case cases[] = {
        {"width 0", source, 0, 10, Failure::unusable_size},
        {"height 0", source, 10, 0, Failure::unusable_size},
        {"negative width", source, -5, 10, Failure::unusable_size},
        {"negative height", source, 10, -5, Failure::unusable_size},
        {"a side beyond the limit", source, largest_scaled_side + 1, 1, Failure::unusable_size},
        {"beyond the size limit", source, 100000, 100000, Failure::too_large},
        {"8 bits per pixel", grey, 10, 10, Failure::not_one_bit},
        {"a 12-byte header", core_header, 10, 10, Failure::unusable_size},
        {"no pixel", empty, 10, 10, Failure::unusable_size},
        {"no block", none, 10, 10, Failure::not_one_bit},
    };
    for (const ScaleOptions options : {one_bit, grey_method}) {
        for (const Case& c : cases) {
            const Outcome<PackedBitmap> scaled = scale_bitmap(c.source, c.width, c.height, options);
            ASSERT_FALSE(scaled) << c.what;
            EXPECT_EQ(scaled.failure(), c.failure) << c.what;
        }
    }
}

TEST(ScaleBitmap, RowsMissingFromTheBlockReadAsWhite) {
    PackedBitmap source = test::make_mono_bitmap(40, 4, [](int, int) { return true; });
    source.write_u32(8, 1000);  // claims 1000 rows, holds 4
    const PackedBitmap mono = *scale_bitmap(source, 40, 1000);
    ASSERT_TRUE(mono);
    EXPECT_TRUE(test::pixel_at(mono, 0, 3));
    EXPECT_FALSE(test::pixel_at(mono, 0, 4));
    EXPECT_FALSE(test::pixel_at(mono, 39, 999));
    EXPECT_TRUE(scale_bitmap(source, 4, 100, grey_method));
}

TEST(ScaleBitmap, HeadersClaimingHugeSidesAreRefusedOrScanOnlyTheBlock) {
    // Found by fuzzing: a header claiming 600 million pixels made the step tables that large.
    for (const ScaleOptions options : {one_bit, grey_method}) {
        PackedBitmap wide = test::make_mono_bitmap(8, 2, [](int, int) { return true; });
        wide.write_u32(4, 600000000);
        EXPECT_FALSE(scale_bitmap(wide, 100, 100, options));
        PackedBitmap tall = test::make_mono_bitmap(8, 2, [](int, int) { return true; });
        tall.write_u32(8, 600000000);
        EXPECT_FALSE(scale_bitmap(tall, 100, 100, options));
        // Within the limit, rows beyond the block are white and cost nothing.
        tall.write_u32(8, largest_scaled_side);
        const PackedBitmap scaled = *scale_bitmap(tall, 8, 4, options);
        ASSERT_TRUE(scaled);
        EXPECT_EQ(scaled.height(), 4);
    }
}

TEST(ScaleBitmap, PartialLastBytePixelsCountAndPaddingDoesNot) {
    PackedBitmap source = test::make_mono_bitmap(9, 1, [](int x, int) { return x == 8; });
    source.data()[48 + 1] |= 0x7F;  // the padding bits after pixel 8 set
    const PackedBitmap grey = *scale_bitmap(source, 9, 1, grey_method);
    EXPECT_EQ(grey_value(grey, 8, 0), 80);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(grey_value(grey, x, 0), 0);
}

class ScaleCommand : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string in = dir.file("page.bmp");
    std::string out = dir.file("small.bmp");
    PackedBitmap page = test::make_mono_bitmap(172, 100, [](int x, int y) { return x == y; });
    void SetUp() override { test::write_file(in, test::bmp_file_bytes(page)); }
};

TEST_F(ScaleCommand, WritesBothMethodsAndCompletesTheStar) {
    test::run_command("SCL:3,86,50," + in + "," + out);
    Bytes grey = test::read_file(out);
    EXPECT_EQ(test::u32_at(grey, 10), 1078u);
    EXPECT_EQ(test::u16_at(grey, 14 + 14), 8);
    EXPECT_EQ(grey, test::bmp_file_bytes(*scale_bitmap(page, 86, 50, grey_levels)));

    test::run_command("SCL:0,86,50," + in + ",*star,with comma.bmp");
    EXPECT_EQ(test::read_file(dir.file("star,with comma.bmp")), test::bmp_file_bytes(*scale_bitmap(page, 86, 50)));
    test::run_command("SCL:2,86,50," + in + "," + out);  // bit 1 alone: still the 1-bit method
    EXPECT_EQ(test::read_file(out), test::bmp_file_bytes(*scale_bitmap(page, 86, 50)));

    // ImageMagick opens the grey image.
    EXPECT_EQ(test::shell("convert " + out + " " + dir.file("grey.png") + " 2>/dev/null"), 0);
    EXPECT_EQ(test::shell("identify " + out + " | grep -q '86x50'"), 0);
}

}  // namespace
}  // namespace korvif
