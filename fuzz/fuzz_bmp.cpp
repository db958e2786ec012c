// load_bmp on arbitrary bytes, then INV, ROT (1 to 3 turns), SCL (both methods, sizes from the
// input) and D2F through the commands.
#include "fuzz_support.h"
#include "image/bmp_file.h"
#include "image/operations.h"
#include "image/scale.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvif;
    if (size < 4) return 0;
    const unsigned turns = 1 + data[0] % 3;
    const int width = 1 + (data[1] | ((data[2] & 3) << 8));   // 1 .. 1024
    const int height = 1 + (data[3] | ((data[2] >> 2 & 3) << 8));
    const int flags = data[2] >> 4;
    const std::string in = fuzz::scratch_file("in.bmp");
    const std::string out = fuzz::scratch_file("out.bmp");
    fuzz::write_file(in, data + 4, size - 4);

    PackedBitmap bitmap = load_bmp(in.c_str());
    if (bitmap) {
        PackedBitmap scaled = scale_bitmap(bitmap, width, height, flags);
        if (scaled) {
            FUZZ_CHECK(bitmap_width(scaled) == width && bitmap_height(scaled) == height);
        }
        for (unsigned i = 0; i < turns; ++i) rotate_quarter_turn(bitmap);
        invert_bits(bitmap);
    }
    fuzz::run("INV:" + in + "," + out);
    fuzz::run("ROT:" + std::to_string(turns) + "," + in + "," + out);
    fuzz::run("SCL:" + std::to_string(flags) + "," + std::to_string(width) + "," + std::to_string(height) + "," + in + "," + out);
    fuzz::run("D2F:" + std::to_string(flags & 1) + "," + in + "," + fuzz::scratch_file("out.g3"));
    return 0;
}
