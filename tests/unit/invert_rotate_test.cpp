#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <random>

#include "image/bmp_file.h"
#include "image/operations.h"
#include "support/bitmaps.h"

namespace korvif {
namespace {

using test::Bytes;

// One quarter turn done pixel by pixel, the plain way: new stored row r, pixel i is the old
// pixel of stored row i, column W - 1 - r; rows padded to 32 pixels and zero beyond.
Bytes reference_turn(const PackedBitmap& bitmap) {
    const int w = bitmap.width();
    const int h = bitmap.height();
    const std::size_t wr = (static_cast<std::size_t>(w) + 31) & ~std::size_t {31};
    const std::size_t hr = (static_cast<std::size_t>(h) + 31) & ~std::size_t {31};
    const std::size_t offset = bitmap.header_size() + 8;
    Bytes result(bitmap.data(), bitmap.data() + offset);
    Bytes pixels(wr * hr / 8, 0);
    for (int i = 0; i < h; ++i) {
        for (int x = 0; x < w; ++x) {
            if (test::pixel_at(bitmap, x, i)) pixels[(w - 1 - x) * (hr / 8) + i / 8] |= 0x80 >> (i % 8);
        }
    }
    for (int k = 0; k < 4; ++k) {
        result[4 + k] = static_cast<std::uint8_t>(h >> (8 * k));
        result[8 + k] = static_cast<std::uint8_t>(w >> (8 * k));
    }
    test::append(result, pixels);
    return result;
}

Bytes bytes_of(const PackedBitmap& bitmap) { return Bytes(bitmap.data(), bitmap.data() + bitmap.size()); }

TEST(RotateQuarterTurn, EqualsThePixelByPixelTurnOnRandomImages) {
    std::mt19937 random(7);
    const int sizes[][2] = {{1, 1}, {3, 2}, {8, 8}, {31, 33}, {32, 32}, {33, 7}, {100, 65}, {1728, 40}, {9, 300}};
    for (const auto& size : sizes) {
        PackedBitmap bitmap = test::make_mono_bitmap(size[0], size[1], [&](int, int) { return random() % 3 == 0; });
        // Padding bits set: they are no pixels and must not appear in the turned image.
        ASSERT_TRUE(invert_bits(bitmap));
        const Bytes expected = reference_turn(bitmap);
        ASSERT_TRUE(rotate_quarter_turn(bitmap));
        EXPECT_EQ(bytes_of(bitmap), expected) << size[0] << " x " << size[1];
    }
}

TEST(RotateQuarterTurn, KnownSmallAndPageSizedExamples) {
    // 1 x 1 with its pixel set: 40 + 8 + 128 bytes, pixel still set.
    PackedBitmap dot = test::make_mono_bitmap(1, 1, [](int, int) { return true; });
    ASSERT_TRUE(rotate_quarter_turn(dot));
    EXPECT_EQ(dot.size(), 176u);
    EXPECT_TRUE(test::pixel_at(dot, 0, 0));

    // 3 x 2: column 0 of stored row 0 and column 2 of stored row 1 become column 0 of stored
    // row 2 and column 1 of stored row 0 of a 2 x 3 image.
    PackedBitmap small =
        test::make_mono_bitmap(3, 2, [](int x, int y) { return (x == 0 && y == 0) || (x == 2 && y == 1); });
    ASSERT_TRUE(rotate_quarter_turn(small));
    EXPECT_EQ(small.width(), 2);
    EXPECT_EQ(small.height(), 3);
    for (int row = 0; row < 3; ++row) {
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(test::pixel_at(small, x, row), (x == 0 && row == 2) || (x == 1 && row == 0)) << x << "," << row;
        }
    }

    // A fax page: 1728 x 2200 becomes 2200 x 1728 with rows of 276 bytes.
    PackedBitmap page = test::make_mono_bitmap(1728, 2200);
    ASSERT_TRUE(rotate_quarter_turn(page));
    EXPECT_EQ(page.size(), 48u + 1728 * 276);
}

TEST(RotateQuarterTurn, FourTurnsGiveBackThePicture) {
    std::mt19937 random(11);
    PackedBitmap bitmap = test::make_mono_bitmap(64, 96, [&](int, int) { return random() % 2 == 0; });
    const Bytes before = bytes_of(bitmap);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(rotate_quarter_turn(bitmap));
    EXPECT_EQ(bytes_of(bitmap), before);
}

TEST(RotateQuarterTurn, UntrustedHeadersStayInsideTheBlock) {
    // A header that claims more rows than the block holds: missing rows turn as white.
    PackedBitmap claims_more = test::make_mono_bitmap(16, 4, [](int, int) { return true; });
    claims_more.write_u32(8, 100);
    ASSERT_TRUE(rotate_quarter_turn(claims_more));
    EXPECT_EQ(claims_more.width(), 100);
    EXPECT_EQ(claims_more.size(), 48u + 32 * 128 / 8);
    EXPECT_TRUE(test::pixel_at(claims_more, 3, 0));
    EXPECT_FALSE(test::pixel_at(claims_more, 4, 0));

    struct Case {
        std::int32_t width, height;
        std::uint32_t header_size;
        Failure failure;
    };
    for (const Case c : {Case {-5, 4, 40, Failure::unusable_size}, Case {4, INT32_MIN, 40, Failure::unusable_size},
                         Case {0x7FFFFFFF, 0x7FFFFFFF, 40, Failure::too_large},
                         Case {100000, 100000, 40, Failure::too_large}, Case {4, 4, 0x7FFFFFF0, Failure::too_large}}) {
        PackedBitmap bitmap = test::make_mono_bitmap(4, 4);
        bitmap.write_u32(0, c.header_size);
        bitmap.write_u32(4, static_cast<std::uint32_t>(c.width));
        bitmap.write_u32(8, static_cast<std::uint32_t>(c.height));
        const Bytes before = bytes_of(bitmap);
        const Outcome<void> turned = rotate_quarter_turn(bitmap);
        ASSERT_FALSE(turned) << c.width << " x " << c.height;
        EXPECT_EQ(turned.failure(), c.failure) << c.width << " x " << c.height;
        EXPECT_EQ(bytes_of(bitmap), before);
    }

    PackedBitmap empty = test::make_mono_bitmap(0, 0);
    EXPECT_TRUE(rotate_quarter_turn(empty));
    EXPECT_EQ(empty.size(), 48u);
}

TEST(InvertBits, ComplementsWholeRowsPaddingIncluded) {
    PackedBitmap bitmap = test::make_mono_bitmap(3, 2, [](int x, int) { return x == 1; });
    const Bytes before = bytes_of(bitmap);
    ASSERT_TRUE(invert_bits(bitmap));
    EXPECT_EQ(bitmap.data()[48], 0xBF);
    EXPECT_EQ(bitmap.data()[51], 0xFF);  // padding
    ASSERT_TRUE(invert_bits(bitmap));
    EXPECT_EQ(bytes_of(bitmap), before);
}

TEST(InvertBits, LeavesOtherDepthsAndBytesOutsideTheRowsAlone) {
    PackedBitmap grey = test::make_mono_bitmap(4, 4);
    grey.write_u16(14, 8);
    const Bytes before = bytes_of(grey);
    EXPECT_FALSE(invert_bits(grey));
    EXPECT_EQ(bytes_of(grey), before);

    // A height beyond the block inverts the rows that are there; a negative height counts
    // its rows top-down.
    for (std::int32_t height : {1000, -3}) {
        PackedBitmap bitmap = test::make_mono_bitmap(8, 3);
        ASSERT_TRUE(bitmap.resize(bitmap.size() + 2));  // a partial row at the end stays as it is
        bitmap.write_u32(8, static_cast<std::uint32_t>(height));
        ASSERT_TRUE(invert_bits(bitmap));
        for (std::size_t i = 48; i < 60; ++i) EXPECT_EQ(bitmap.data()[i], 0xFF) << i;
        EXPECT_EQ(bitmap.data()[60], 0);
        EXPECT_EQ(bitmap.data()[61], 0);
    }
}

class InvertRotateCommands : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string in = dir.file("in.bmp");
    std::string out = dir.file("out.bmp");
    PackedBitmap picture = test::make_mono_bitmap(45, 17, [](int x, int y) { return (x + 2 * y) % 7 == 0; });

    void SetUp() override { test::write_file(in, test::bmp_file_bytes(picture)); }
    Bytes expected(const std::function<void(PackedBitmap&)>& change) {
        PackedBitmap copy = test::block_of(bytes_of(picture));
        change(copy);
        return test::bmp_file_bytes(copy);
    }
};

TEST_F(InvertRotateCommands, InvertToAnotherFileOrInPlace) {
    test::run_command("INV:" + in + "," + out);
    EXPECT_EQ(test::read_file(out), expected([](PackedBitmap& b) { ASSERT_TRUE(invert_bits(b)); }));
    EXPECT_EQ(test::read_file(in), test::bmp_file_bytes(picture));
    test::run_command("inv:" + in);
    EXPECT_EQ(test::read_file(in), expected([](PackedBitmap& b) { ASSERT_TRUE(invert_bits(b)); }));
}

TEST_F(InvertRotateCommands, RotateByTurns) {
    struct Case {
        const char* turns;
        int quarter_turns;
    };
    for (const Case c : {Case {"1", 1}, Case {"2", 2}, Case {"3", 3}, Case {"0", 0}, Case {"4", 0}, Case {"-1", 0},
                         Case {"x", 0}, Case {"", 0}}) {
        test::run_command(std::string("ROT:") + c.turns + "," + in + "," + out);
        EXPECT_EQ(test::read_file(out), expected([&](PackedBitmap& b) {
                      for (int i = 0; i < c.quarter_turns; ++i) ASSERT_TRUE(rotate_quarter_turn(b));
                  }))
            << c.turns;
    }
    test::run_command("ROT:1," + in);
    EXPECT_EQ(test::read_file(in), expected([](PackedBitmap& b) { ASSERT_TRUE(rotate_quarter_turn(b)); }));
}

TEST_F(InvertRotateCommands, NonMonoImagesAreWrittenUnchanged) {
    Bytes body(40 + 3 * 4 * 2, 0x5A);
    for (int i = 0; i < 4; ++i) body[i] = static_cast<std::uint8_t>(40 >> (8 * i));
    body[4] = 4;  // width 4, height 2, 24 bits per pixel
    body[5] = body[6] = body[7] = 0;
    body[8] = 2;
    body[9] = body[10] = body[11] = 0;
    body[14] = 24;
    body[15] = 0;
    body[32] = body[33] = body[34] = body[35] = 0;
    const PackedBitmap colour = test::block_of(body);
    test::write_file(in, test::bmp_file_bytes(colour));
    for (const char* command : {"INV:", "ROT:1,"}) {
        test::run_command(command + in + "," + out);
        EXPECT_EQ(test::read_file(out), test::bmp_file_bytes(colour)) << command;
    }
}

// ROT and SCL turn and scale a bitmap stored top-down as the picture it shows: the result is the
// one of the same picture stored bottom-up, also when the block holds only the top rows.
TEST_F(InvertRotateCommands, TopDownBitmapsTurnAndScaleAsThePictureTheyShow) {
    const std::string bottom_up = dir.file("bottom-up.bmp");
    const std::string top_down = dir.file("top-down.bmp");
    const std::string from_bottom_up = dir.file("from-bottom-up.bmp");
    const std::string from_top_down = dir.file("from-top-down.bmp");
    const std::uint32_t stride = row_stride(45, 1);
    for (const int rows_held : {17, 12}) {
        // The picture's rows below those held read as white: in the bottom-up file they are white.
        PackedBitmap shown =
            test::make_mono_bitmap(45, 17, [&](int x, int y) { return y >= 17 - rows_held && (x * y) % 5 == 1; });
        PackedBitmap flipped = test::block_of(bytes_of(shown));
        flipped.write_u32(8, static_cast<std::uint32_t>(-17));
        for (int row = 0; row < 17; ++row) {
            std::memcpy(flipped.data() + 48 + row * stride, shown.data() + 48 + (16 - row) * stride, stride);
        }
        ASSERT_TRUE(flipped.resize(48 + rows_held * stride));
        test::write_file(bottom_up, test::bmp_file_bytes(shown));
        test::write_file(top_down, test::bmp_file_bytes(flipped));
        for (const std::string command :
             {"ROT:1,", "ROT:2,", "ROT:3,", "SCL:0,30,40,", "SCL:1,20,9,", "SCL:3,90,34,"}) {
            std::filesystem::remove(from_bottom_up);
            std::filesystem::remove(from_top_down);
            test::run_command(command + bottom_up + "," + from_bottom_up);
            test::run_command(command + top_down + "," + from_top_down);
            ASSERT_TRUE(test::file_present(from_bottom_up)) << command;
            EXPECT_EQ(test::read_file(from_top_down), test::read_file(from_bottom_up)) << command << " " << rows_held;
        }
    }
}

TEST_F(InvertRotateCommands, QuarterTurnMatchesNetpbmClockwiseRotation) {
    const std::string pbm = dir.file("text.pbm");
    ASSERT_EQ(test::shell("pbmtext 'Fax 7' > " + pbm + " && ppmtobmp -bpp 1 " + pbm + " > " + in + " 2>/dev/null"), 0);
    test::run_command("ROT:1," + in + "," + out);
    const std::string ours = dir.file("ours.pbm");
    const std::string theirs = dir.file("theirs.pbm");
    ASSERT_EQ(test::shell("bmptopnm " + out + " > " + ours + " 2>/dev/null"), 0);
    ASSERT_EQ(test::shell("pamflip -cw " + pbm + " > " + theirs), 0);
    const test::Pbm a = test::read_pbm(ours);
    const test::Pbm b = test::read_pbm(theirs);
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    EXPECT_EQ(a.rows, b.rows);
}

}  // namespace
}  // namespace korvif
