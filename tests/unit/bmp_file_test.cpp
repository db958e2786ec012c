#include <gtest/gtest.h>

#include "image/bmp_file.h"
#include "support/bitmaps.h"

namespace korvif {
namespace {

using test::Bytes;

class BmpFile : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.file("image.bmp");

    Outcome<PackedBitmap> load(const Bytes& bytes) {
        test::write_file(path, bytes);
        return load_bmp(path.c_str());
    }

    // A file header declaring `declared` bytes, followed by `body`.
    static Bytes file_with(std::uint32_t declared, const Bytes& body) {
        Bytes bytes = {'B', 'M'};
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(declared >> (8 * i)));
        bytes.insert(bytes.end(), {0, 0, 0, 0, 0x3E, 0, 0, 0});
        test::append(bytes, body);
        return bytes;
    }

    static Bytes header_of_size(std::uint32_t size) {
        Bytes body(std::max<std::uint32_t>(size, 4) + 8 + 4, 0);
        for (int i = 0; i < 4; ++i) body[i] = static_cast<std::uint8_t>(size >> (8 * i));
        return body;
    }
};

TEST_F(BmpFile, AcceptsHeaderSizesTwelveAndSixteenOrMore) {
    for (std::uint32_t size : {12u, 16u, 40u, 108u, 124u}) {
        const Bytes body = header_of_size(size);
        EXPECT_TRUE(load(file_with(static_cast<std::uint32_t>(body.size()) + 14, body))) << size;
    }
    for (std::uint32_t size : {0u, 11u, 13u, 15u}) {
        const Bytes body = header_of_size(size);
        EXPECT_FALSE(load(file_with(static_cast<std::uint32_t>(body.size()) + 14, body))) << size;
    }
}

TEST_F(BmpFile, RefusesWhatIsNoBitmap) {
    EXPECT_FALSE(load({'B', 'M', 60, 0, 0}));  // shorter than the file header
    Bytes wrong_magic = file_with(74, header_of_size(40));
    wrong_magic[1] = 'A';
    EXPECT_FALSE(load(wrong_magic));
    for (std::uint32_t declared : {0u, 14u, 13u, 0x80000000u, 0xFFFFFFFFu, 17u}) {
        EXPECT_FALSE(load(file_with(declared, header_of_size(40)))) << declared;  // 17: 3-byte block
    }
    EXPECT_FALSE(load(file_with(largest_bitmap_bytes + 15, header_of_size(40))));
    EXPECT_FALSE(load_bmp(dir.file("missing.bmp").c_str()));
    EXPECT_FALSE(load_bmp(dir.path().c_str()));
}

TEST_F(BmpFile, ShortFileLeavesTheRestOfTheBlockZero) {
    Bytes body = header_of_size(40);
    body.resize(48);
    body[47] = 0xEE;
    const PackedBitmap bitmap = *load(file_with(14 + 48 + 1000, body));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap.size(), 1048u);
    EXPECT_EQ(bitmap.data()[47], 0xEE);
    for (std::size_t i = 48; i < bitmap.size(); ++i) ASSERT_EQ(bitmap.data()[i], 0) << i;
}

TEST_F(BmpFile, SaveWritesTheBlockBehindARecomputedFileHeader) {
    PackedBitmap bitmap = test::make_mono_bitmap(3, 2, [](int x, int y) { return x == y; });
    ASSERT_TRUE(save_bmp(bitmap, path.c_str()));
    const Bytes saved = test::read_file(path);
    EXPECT_EQ(saved, test::bmp_file_bytes(bitmap));
    EXPECT_EQ(test::u32_at(saved, 2), bitmap.size() + 14);
    EXPECT_EQ(test::u32_at(saved, 10), 62u);

    // Colours used 5: the pixel offset counts five palette entries.
    bitmap.write_u32(32, 5);
    ASSERT_TRUE(save_bmp(bitmap, path.c_str()));
    EXPECT_EQ(test::u32_at(test::read_file(path), 10), 74u);

    // A gap after the palette in a file is not honoured: the bytes after the palette are rows.
    Bytes with_gap = test::read_file(path);
    with_gap[10] = 200;
    const PackedBitmap reloaded = *load(with_gap);
    ASSERT_TRUE(reloaded);
    ASSERT_TRUE(save_bmp(reloaded, path.c_str()));
    const Bytes resaved = test::read_file(path);
    EXPECT_EQ(test::u32_at(resaved, 10), 74u);
    EXPECT_EQ(test::u32_at(resaved, 6), 0u);

    EXPECT_FALSE(save_bmp(bitmap, dir.file("no/such/dir.bmp").c_str()));
}

TEST_F(BmpFile, ReadsNetpbmFilesAndNetpbmReadsOurs) {
    // A picture made by netpbm's text renderer, written as a 1-bit BMP by ppmtobmp.
    const std::string pbm = dir.file("text.pbm");
    ASSERT_EQ(
        test::shell("pbmtext 'Korvif 32' > " + pbm + " && ppmtobmp -bpp 1 " + pbm + " > " + path + " 2>/dev/null"), 0);
    const test::Pbm source = test::read_pbm(pbm);
    const PackedBitmap bitmap = *load_bmp(path.c_str());
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(bitmap.width(), source.width);
    ASSERT_EQ(bitmap.height(), source.height);
    // netpbm may put black at either palette index; compare through the palette.
    const bool index1_is_black = bitmap.data()[40 + 4] == 0;
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            ASSERT_EQ(test::pixel_at(bitmap, x, source.height - 1 - y) == index1_is_black, source.rows[y][x] == 1)
                << x << "," << y;
        }
    }

    // What we write, bmptopnm reads back with the same pixels.
    const PackedBitmap ours = test::make_mono_bitmap(37, 11, [](int x, int y) { return (x * 7 + y * 3) % 5 == 0; });
    const std::string ours_path = dir.file("ours.bmp");
    ASSERT_TRUE(save_bmp(ours, ours_path.c_str()));
    const std::string back = dir.file("back.pbm");
    ASSERT_EQ(test::shell("bmptopnm " + ours_path + " > " + back + " 2>/dev/null"), 0);
    const test::Pbm read_back = test::read_pbm(back);
    ASSERT_EQ(read_back.width, 37);
    ASSERT_EQ(read_back.height, 11);
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 37; ++x)
            ASSERT_EQ(read_back.rows[10 - y][x] == 1, test::pixel_at(ours, x, y)) << x << "," << y;
    }
}

}  // namespace
}  // namespace korvif
