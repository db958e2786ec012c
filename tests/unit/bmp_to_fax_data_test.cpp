#include <gtest/gtest.h>

#include <algorithm>

#include "codec/page_decoder.h"
#include "support/bitmaps.h"

namespace korvif {
namespace {

using test::Bytes;

class BmpToFaxData : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string bmp = dir.file("page.bmp");
    std::string g3 = dir.file("page.g3");

    int decoded_lines(const Bytes& data) {
        const PackedBitmap bitmap = test::decoded_bitmap(data);
        return bitmap ? bitmap.height() : -1;
    }
};

TEST_F(BmpToFaxData, NormalHalvesTheRowsAndFineKeepsThem) {
    const PackedBitmap page = test::make_mono_bitmap(1728, 2000, [](int x, int y) { return x == y % 1728; });
    test::write_file(bmp, test::bmp_file_bytes(page));
    for (const char* resolution : {"0", "1", "7", "x"}) {
        test::run_command(std::string("D2F:") + resolution + "," + bmp + "," + g3);
        const Bytes data = test::read_file(g3);
        ASSERT_GE(data.size(), 2u);
        EXPECT_EQ(data[0], 0x00);  // raw data, no document header: the leading EOL
        EXPECT_EQ(data[1], 0x80);
        const bool fine = resolution[0] == '1' || resolution[0] == '7';
        EXPECT_EQ(decoded_lines(data), fine ? 2000 : 1000) << resolution;
    }
}

// The same picture, 1700 pixels of text on white, written by netpbm and ImageMagick in their
// forms (black as palette entry 0, 108- and 124-byte headers), stored top-down, cut to 1700 or
// widened to 1800 (the part beyond 1728 black, which the fax cannot hold), in dark blue on red:
// D2F codes each exactly as the host's own page of those pixels.
TEST_F(BmpToFaxData, BitmapsAreReadByTheirOwnHeader) {
    const std::string pbm = dir.file("text.pbm");
    ASSERT_EQ(
        test::shell(
            "pbmtext -nomargins 'Korvane Faxdesk 2026' | pnmscale -xsize 1700 -ysize 160 | pgmtopbm -threshold > " +
            pbm + " 2>/dev/null"),
        0);
    const test::Pbm text = test::read_pbm(pbm);
    auto black = [&](int x, int y) {
        return x < text.width && text.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] != 0;
    };
    ASSERT_EQ(text.width, 1700);
    const int rows = text.height;
    // The host's own form: 40-byte header, white then black, 1728 pixels, bottom-up.
    test::write_file(bmp, test::bmp_file_bytes(test::make_mono_bitmap(
                              1728, rows, [&](int x, int y) { return black(x, rows - 1 - y); })));
    test::run_command("D2F:1," + bmp + "," + g3);
    const Bytes expected = test::read_file(g3);
    ASSERT_EQ(decoded_lines(expected), rows);

    // Top-down: the rows of the host's form in the other order, with a negative height.
    PackedBitmap top_down = test::make_mono_bitmap(1728, rows, [&](int x, int y) { return black(x, y); });
    top_down.write_u32(bitmap_field::height, static_cast<std::uint32_t>(-rows));
    test::write_file(dir.file("top-down.bmp"), test::bmp_file_bytes(top_down));
    // Palette entry 0 dark blue, entry 1 red: the ink is entry 0, darker by its brightness, in
    // which blue (the first byte of an entry) weighs least.
    PackedBitmap blue_on_red =
        test::make_mono_bitmap(1728, rows, [&](int x, int y) { return !black(x, rows - 1 - y); });
    const std::uint8_t blue_then_red[8] = {255, 0, 0, 0, 0, 0, 255, 0};
    std::copy(std::begin(blue_then_red), std::end(blue_then_red), blue_on_red.data() + info_header_bytes);
    test::write_file(dir.file("blue-on-red.bmp"), test::bmp_file_bytes(blue_on_red));

    const std::string wide = dir.file("wide.pbm");
    ASSERT_EQ(test::shell("pnmpad -white -right 28 " + pbm + " | pnmpad -black -right 72 > " + wide), 0);
    const std::pair<std::string, std::string> writers[] = {
        {"ppmtobmp-1700.bmp", "ppmtobmp -bpp 1 " + pbm},
        {"ppmtobmp-1800.bmp", "ppmtobmp -bpp 1 " + wide},
        {"magick-bmp3.bmp", "convert " + pbm + " -type bilevel BMP3:-"},
        {"magick-bmp4.bmp", "convert " + pbm + " -type bilevel BMP:-"},
        {"magick-bmp4-1800.bmp", "convert " + wide + " -type bilevel BMP:-"},
    };
    for (const auto& [name, writer] : writers)
        ASSERT_EQ(test::shell(writer + " > " + dir.file(name) + " 2>/dev/null"), 0) << writer;
    EXPECT_NE(test::read_file(dir.file("magick-bmp4.bmp"))[14], 40);  // the longer header indeed
    for (const char* name : {"top-down.bmp", "blue-on-red.bmp", "ppmtobmp-1700.bmp", "ppmtobmp-1800.bmp",
                             "magick-bmp3.bmp", "magick-bmp4.bmp", "magick-bmp4-1800.bmp"}) {
        std::filesystem::remove(g3);
        test::run_command("D2F:1," + dir.file(name) + "," + g3);
        EXPECT_EQ(test::read_file(g3), expected) << name;
    }
}

}  // namespace
}  // namespace korvif
