#include "support/bitmaps.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "codec/page_decoder.h"
#include "image/bmp_file.h"
#include "image/page_bitmap.h"

namespace korvif::test {

PackedBitmap make_mono_bitmap(std::int32_t width, std::int32_t height, const std::function<bool(int, int)>& pixel) {
    const std::uint32_t stride = row_stride(static_cast<std::uint32_t>(width), 1);
    PackedBitmap bitmap = *PackedBitmap::allocate(48 + std::size_t {stride} * static_cast<std::size_t>(height));
    bitmap.write_u32(0, 40);
    bitmap.write_u32(4, static_cast<std::uint32_t>(width));
    bitmap.write_u32(8, static_cast<std::uint32_t>(height));
    bitmap.write_u16(12, 1);
    bitmap.write_u16(14, 1);
    const std::uint8_t palette[8] = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0};
    std::memcpy(bitmap.data() + 40, palette, 8);
    if (pixel) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (pixel(x, y)) set_pixel(bitmap, x, y, true);
            }
        }
    }
    return bitmap;
}

PackedBitmap decoded_bitmap(const Bytes& data, DecodeOptions options) {
    const Outcome<DecodedPage> page = decode_page(data, options);
    return page ? *page_bitmap(*page) : PackedBitmap {};
}

static std::uint8_t* pixel_byte(const PackedBitmap& bitmap, int x, int stored_row) {
    const std::uint32_t stride = row_stride(static_cast<std::uint32_t>(bitmap.width()), 1);
    return const_cast<std::uint8_t*>(bitmap.data()) + bitmap.mono_rows_offset() +
           std::size_t {stride} * static_cast<std::size_t>(stored_row) + static_cast<std::size_t>(x / 8);
}

bool pixel_at(const PackedBitmap& bitmap, int x, int stored_row) {
    return (*pixel_byte(bitmap, x, stored_row) & (0x80 >> (x % 8))) != 0;
}

void set_pixel(PackedBitmap& bitmap, int x, int stored_row, bool black) {
    std::uint8_t* byte = pixel_byte(bitmap, x, stored_row);
    const auto mask = static_cast<std::uint8_t>(0x80 >> (x % 8));
    *byte = black ? (*byte | mask) : (*byte & ~mask);
}

Bytes bmp_file_bytes(const PackedBitmap& bitmap) {
    const std::uint32_t size = static_cast<std::uint32_t>(bitmap.size()) + 14;
    const std::uint32_t offset = 14 + bitmap.header_size() + bitmap.palette_bytes();
    Bytes bytes = {'B', 'M'};
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    bytes.insert(bytes.end(), 4, 0);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(offset >> (8 * i)));
    bytes.insert(bytes.end(), bitmap.data(), bitmap.data() + bitmap.size());
    return bytes;
}

PackedBitmap block_of(const Bytes& bytes) {
    PackedBitmap block = *PackedBitmap::allocate(bytes.size());
    if (!bytes.empty()) std::memcpy(block.data(), bytes.data(), bytes.size());
    return block;
}

int shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Pbm read_pbm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    in >> magic;
    auto next_number = [&in] {
        int value = 0;
        for (;;) {
            in >> std::ws;
            if (in.peek() == '#') {
                std::string comment;
                std::getline(in, comment);
                continue;
            }
            in >> value;
            return value;
        }
    };
    Pbm pbm;
    pbm.width = next_number();
    pbm.height = next_number();
    pbm.rows.assign(static_cast<std::size_t>(pbm.height),
                    std::vector<std::uint8_t>(static_cast<std::size_t>(pbm.width)));
    if (magic == "P4") {
        in.get();
        const int stride = (pbm.width + 7) / 8;
        std::vector<char> row(static_cast<std::size_t>(stride));
        for (auto& out : pbm.rows) {
            in.read(row.data(), stride);
            for (int x = 0; x < pbm.width; ++x) out[x] = (static_cast<unsigned char>(row[x / 8]) >> (7 - x % 8)) & 1;
        }
    } else {
        for (auto& out : pbm.rows) {
            for (auto& value : out) {
                char c;
                in >> c;
                value = c == '1';
            }
        }
    }
    return pbm;
}

}  // namespace korvif::test
