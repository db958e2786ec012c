// load_bmp on arbitrary bytes, then INV, ROT (1 to 3 turns), SCL (both methods, sizes from the
// input) and D2F through the commands. Input bytes 0 to 3: turns, target width, flags, target
// height; the BMP file follows.
#include "fuzz_support.h"
#include "image/bmp_file.h"
#include "image/operations.h"
#include "image/scale.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvif;
    if (size < 4) return 0;
    const unsigned turns = 1 + data[0] % 3;
    const int target_width = 1 + data[1];  // 1 .. 256
    const int target_height = 1 + data[3];
    const int flags = data[2] >> 4;
    // Files that claim large blocks or pictures are refused or handled within their limits (the
    // unit tests cover those limits); here they would only slow every run, so the fuzzer keeps to
    // claims of at most 256 KB and a million pixels, and to targets of at most 256 x 256.
    // (A file shorter than it declares is loaded with the rest of its block zero, so the claim
    // counts whatever the input's length.)
    const std::uint8_t* bmp = data + 4;
    auto u32_at = [&](std::size_t at) -> std::uint32_t {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) value |= (4 + at + i < size ? std::uint32_t {bmp[at + i]} : 0u) << (8 * i);
        return value;
    };
    const std::uint32_t declared = u32_at(2);
    const auto width = static_cast<std::int32_t>(u32_at(18));
    const auto height = static_cast<std::int32_t>(u32_at(22));
    const std::int64_t pixels = static_cast<std::int64_t>(width < 0 ? -std::int64_t {width} : width) *
                                (height < 0 ? -std::int64_t {height} : height);
    if (fuzz::beyond_fuzzing_limit(declared > (256u << 10) || pixels > (1 << 20))) return 0;
    const std::string in = fuzz::scratch_file("in.bmp");
    const std::string out = fuzz::scratch_file("out.bmp");
    fuzz::write_file(in, data + 4, size - 4);

    Outcome<PackedBitmap> bitmap = load_bmp(in.c_str());
    if (bitmap) {
        const Outcome<PackedBitmap> scaled = scale_bitmap(
            *bitmap, target_width, target_height,
            {.method = (flags & 1) ? ScaleMethod::grey : ScaleMethod::one_bit, .grey_palette = (flags & 2) != 0});
        if (scaled) {
            FUZZ_CHECK(scaled->width() == target_width && scaled->height() == target_height);
        }
        for (unsigned i = 0; i < turns; ++i) (void)rotate_quarter_turn(*bitmap);
        (void)invert_bits(*bitmap);
    }
    fuzz::run("INV:" + in + "," + out);
    fuzz::run("ROT:" + std::to_string(turns) + "," + in + "," + out);
    fuzz::run("SCL:" + std::to_string(flags) + "," + std::to_string(target_width) + "," +
              std::to_string(target_height) + "," + in + "," + out);
    fuzz::run("D2F:" + std::to_string(flags & 1) + "," + in + "," + fuzz::scratch_file("out.g3"));
    return 0;
}
