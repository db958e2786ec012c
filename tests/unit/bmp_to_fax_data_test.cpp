#include <gtest/gtest.h>

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
        const PackedBitmap bitmap = decode_page(data.data(), static_cast<std::int32_t>(data.size()), 0, 0);
        return bitmap ? bitmap_height(bitmap) : -1;
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

TEST_F(BmpToFaxData, NothingWithoutAUsableBitmap) {
    test::write_file(g3, {5});
    const std::string commands[] = {
        "D2F:0," + dir.file("missing.bmp") + "," + g3,
        "D2F:0," + bmp,
        "D2F:0",
        "D2F:0,," + g3,
    };
    test::write_file(bmp, {'B', 'M', 1, 0, 0, 0});  // declares a 1-byte file: not loadable
    for (const std::string& command : commands) {
        test::run_command(command);
        EXPECT_EQ(test::read_file(g3), Bytes {5}) << command;
    }
    test::run_command("D2F:0," + bmp + "," + g3);
    EXPECT_EQ(test::read_file(g3), Bytes {5});

    // Too few rows: nothing to code, and the old output stays.
    test::write_file(bmp, test::bmp_file_bytes(test::make_mono_bitmap(1728, 1)));
    test::run_command("D2F:0," + bmp + "," + g3);
    EXPECT_EQ(test::read_file(g3), Bytes {5});
}

}  // namespace
}  // namespace korvif
