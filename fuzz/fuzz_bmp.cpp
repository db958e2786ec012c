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
    const int target_width = 1 + (data[1] | ((data[2] & 3) << 8));   // 1 .. 1024
    const int target_height = 1 + (data[3] | ((data[2] >> 2 & 3) << 8));
    const int flags = data[2] >> 4;
    // Files that claim blocks or pictures of hundreds of megabytes are refused or handled within
    // their limits (the unit tests cover those limits); here they would only make every run
    // take a second, so the fuzzer keeps to claims of a few megabytes.
    if (size >= 4 + 26) {
        const std::uint8_t* bmp = data + 4;
        const std::uint32_t declared = bmp[2] | (bmp[3] << 8) | (bmp[4] << 16) | (static_cast<std::uint32_t>(bmp[5]) << 24);
        const auto width = static_cast<std::int32_t>(bmp[18] | (bmp[19] << 8) | (bmp[20] << 16) | (static_cast<std::uint32_t>(bmp[21]) << 24));
        const auto height = static_cast<std::int32_t>(bmp[22] | (bmp[23] << 8) | (bmp[24] << 16) | (static_cast<std::uint32_t>(bmp[25]) << 24));
        const std::int64_t pixels = static_cast<std::int64_t>(width < 0 ? -std::int64_t {width} : width) *
                                    (height < 0 ? -std::int64_t {height} : height);
        if (declared > (4u << 20) || pixels > (32 << 20)) return 0;
    }
    const std::string in = fuzz::scratch_file("in.bmp");
    const std::string out = fuzz::scratch_file("out.bmp");
    fuzz::write_file(in, data + 4, size - 4);

    PackedBitmap bitmap = load_bmp(in.c_str());
    if (bitmap) {
        PackedBitmap scaled = scale_bitmap(bitmap, target_width, target_height, flags);
        if (scaled) {
            FUZZ_CHECK(bitmap_width(scaled) == target_width && bitmap_height(scaled) == target_height);
        }
        for (unsigned i = 0; i < turns; ++i) rotate_quarter_turn(bitmap);
        invert_bits(bitmap);
    }
    fuzz::run("INV:" + in + "," + out);
    fuzz::run("ROT:" + std::to_string(turns) + "," + in + "," + out);
    fuzz::run("SCL:" + std::to_string(flags) + "," + std::to_string(target_width) + "," + std::to_string(target_height) + "," +
              in + "," + out);
    fuzz::run("D2F:" + std::to_string(flags & 1) + "," + in + "," + fuzz::scratch_file("out.g3"));
    return 0;
}
