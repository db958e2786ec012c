// Packed bitmaps and BMP files for the tests.
#pragma once

#include <functional>
#include <string>

#include "codec/decoded_page.h"
#include "image/bitmap.h"
#include "support/files.h"

namespace korvif::test {

// A 1-bit packed bitmap with the 40-byte header and a white/black palette; pixel(x, y) with y
// counted from the bottom row as stored.
PackedBitmap make_mono_bitmap(std::int32_t width, std::int32_t height,
                              const std::function<bool(int x, int y)>& pixel = {});

// The bitmap F2D makes of MH data (decode_page, then page_bitmap); an empty one when the data is too
// short to decode.
PackedBitmap decoded_bitmap(const Bytes& data, DecodeOptions options = {});

bool pixel_at(const PackedBitmap& bitmap, int x, int stored_row);
void set_pixel(PackedBitmap& bitmap, int x, int stored_row, bool black);

// The bytes of a BMP file holding the block (what save_bmp writes).
Bytes bmp_file_bytes(const PackedBitmap& bitmap);
PackedBitmap block_of(const Bytes& bytes);

// Runs a shell command; returns its exit status.
int shell(const std::string& command);

// Reads a plain or raw PBM file: width, height and rows of 0/1 (1 = black), top row first.
struct Pbm {
    int width = 0;
    int height = 0;
    std::vector<std::vector<std::uint8_t>> rows;
};
Pbm read_pbm(const std::string& path);

}  // namespace korvif::test
