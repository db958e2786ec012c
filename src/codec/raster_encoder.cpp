#include "codec/raster_encoder.h"

#include <array>
#include <cstring>
#include <vector>

#include "codec/mh_tables.h"
#include "platform/file.h"

namespace korvif {

namespace {

constexpr std::size_t bitmap_header_bytes = info_header_bytes + two_colour_palette_bytes;

// The encode tables of both colours packed into one word per run: code << 5 | length.
struct PackedEncodeTable {
    std::array<std::uint32_t, mh::max_run + 1> colour[2];
};

const PackedEncodeTable& packed_codes() {
    static const PackedEncodeTable table = [] {
        PackedEncodeTable packed {};
        for (int run = 0; run <= mh::max_run; ++run) {
            packed.colour[0][run] = static_cast<std::uint32_t>(mh::white_codes[run]) << 5 | mh::white_code_lengths[run];
            packed.colour[1][run] = static_cast<std::uint32_t>(mh::black_codes[run]) << 5 | mh::black_code_lengths[run];
        }
        return packed;
    }();
    return table;
}

std::uint64_t reverse_bits_in_each_byte(std::uint64_t v) {
    v = ((v >> 1) & 0x5555555555555555ull) | ((v & 0x5555555555555555ull) << 1);
    v = ((v >> 2) & 0x3333333333333333ull) | ((v & 0x3333333333333333ull) << 2);
    v = ((v >> 4) & 0x0F0F0F0F0F0F0F0Full) | ((v & 0x0F0F0F0F0F0F0F0Full) << 4);
    return v;
}

// Collects code bits most significant first and stores them, 32 at a time, as fax data bytes
// (least significant bit first).
class CodeBuffer {
public:
    void put(std::uint32_t code, unsigned length) {
        bits_ = (bits_ << length) | code;
        count_ += length;
        if (count_ >= 32) {
            count_ -= 32;
            store(static_cast<std::uint32_t>(bits_ >> count_), out_.data() + bytes_);
            bytes_ += 4;
        }
    }

    // Zero bits up to the place where an EOL ends on a byte boundary, then the EOL.
    void put_aligned_eol() {
        const unsigned used = static_cast<unsigned>(bytes_ * 8 + count_);
        put(0, (8 - (used + 12) % 8) % 8);
        put(1, 12);
        while (count_ >= 8) {
            count_ -= 8;
            out_[bytes_++] = mh::byte_reverse[static_cast<std::uint8_t>(bits_ >> count_)];
        }
    }

    // Codes one row and its closing EOL. The runs are found from the row's colour changes, 64
    // pixels at a time: a set bit in `changes` marks a pixel whose colour differs from the pixel
    // before it (the pixel before the first counts as white). Runs alternate white, black,
    // white, ..., the first one white and possibly empty; the last one ends at the line's end.
    // The bit accumulator lives in locals here, so that the stores into the line do not force it
    // back into memory after every code.
    void put_row(const std::uint8_t* row, const PackedEncodeTable& codes) {
        std::uint64_t bits = bits_;
        unsigned count = count_;
        std::size_t bytes = bytes_;
        auto put_code = [&](std::uint32_t code) {
            const unsigned length = code & 31;
            bits = (bits << length) | (code >> 5);
            count += length;
            if (count >= 32) {
                count -= 32;
                store(static_cast<std::uint32_t>(bits >> count), out_.data() + bytes);
                bytes += 4;
            }
        };
        unsigned run_start = 0;
        unsigned colour = 0;
        std::uint64_t previous_last_pixel = 0;
        std::uint64_t any_black = 0;
        for (unsigned i = 0; i < mh::line_bytes; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, row + i, 8);
            any_black |= word;
        }
        for (unsigned word_index = 0; any_black != 0 && word_index < mh::line_bytes / 8; ++word_index) {
            // 64 pixels with pixel 0 in bit 0, so that the changes are taken lowest bit first:
            // clearing the lowest set bit does not wait for the bit scan.
            std::uint64_t pixels;
            std::memcpy(&pixels, row + 8 * word_index, 8);
            // 64 pixels of the colour of the pixel before them hold no change.
            if (pixels == (previous_last_pixel ? ~std::uint64_t {0} : 0)) continue;
            pixels = reverse_bits_in_each_byte(pixels);
            std::uint64_t changes = pixels ^ ((pixels << 1) | previous_last_pixel);
            previous_last_pixel = pixels >> 63;
            for (; changes != 0; changes &= changes - 1) {
                const unsigned x = 64 * word_index + static_cast<unsigned>(__builtin_ctzll(changes));
                put_code(codes.colour[colour][x - run_start]);
                run_start = x;
                colour ^= 1;
            }
        }
        put_code(codes.colour[colour][mh::line_pixels - run_start]);
        bits_ = bits;
        count_ = count;
        bytes_ = bytes;
        put_aligned_eol();
    }

    const std::uint8_t* data() const { return out_.data(); }
    std::size_t size() const { return bytes_; }
    void clear() {
        bytes_ = 0;
        count_ = 0;
    }

private:
    // Stores 32 code bits as four fax data bytes, each byte's first bit in its bit 0.
    static void store(std::uint32_t v, std::uint8_t* to) {
        v = ((v >> 1) & 0x55555555u) | ((v & 0x55555555u) << 1);
        v = ((v >> 2) & 0x33333333u) | ((v & 0x33333333u) << 2);
        v = ((v >> 4) & 0x0F0F0F0Fu) | ((v & 0x0F0F0F0Fu) << 4);
        v = __builtin_bswap32(v);
        std::memcpy(to, &v, 4);
    }

    // The longest coded line takes under 7,900 bits.
    std::array<std::uint8_t, 1024> out_ {};
    std::size_t bytes_ = 0;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
};

// Coded lines go to the file through a buffer of whole lines.
class LineWriter {
public:
    explicit LineWriter(platform::File& file) : file_(file), pending_(64 * 1024) {}

    void add(const std::uint8_t* bytes, std::size_t count) {
        if (used_ + count > pending_.size()) flush();
        std::memcpy(pending_.data() + used_, bytes, count);
        used_ += count;
    }

    std::uint32_t flush() {
        std::uint32_t written = 0;
        if (used_ != 0) file_.write(pending_.data(), static_cast<std::uint32_t>(used_), written);
        used_ = 0;
        total_ += written;
        return total_;
    }

private:
    platform::File& file_;
    std::vector<std::uint8_t> pending_;
    std::size_t used_ = 0;
    std::uint32_t total_ = 0;
};

}  // namespace

std::uint32_t encode_raster(PackedBitmap& bitmap, const char* path, int flags) {
    std::size_t size = bitmap.size();
    std::size_t first_row = 0;
    if (flags & ENCODE_SKIP_HEADER) {
        if (!bitmap || size < bitmap_header_bytes) return 0;
        size -= bitmap_header_bytes;
        first_row = bitmap_header_bytes;
    }
    platform::File file = platform::File::open(
        path, (flags & ENCODE_APPEND) ? platform::FileMode::open_always_append : platform::FileMode::create_always_scratch);
    if (!file.is_open() || !bitmap) return 0;

    std::uint8_t* rows = bitmap.data() + first_row;
    std::size_t row_count = size / mh::line_bytes;
    std::size_t step = 1;
    if (!(flags & ENCODE_EVERY_ROW)) {
        // Each pair of stored rows becomes one line, black wherever either row is.
        row_count &= ~std::size_t {1};
        for (std::size_t pair = 0; pair < row_count; pair += 2) {
            const std::uint8_t* lower = rows + pair * mh::line_bytes;
            std::uint8_t* upper = rows + (pair + 1) * mh::line_bytes;
            for (int i = 0; i < mh::line_bytes; ++i) upper[i] |= lower[i];
        }
        step = 2;
    }
    if (row_count < step) return 0;

    LineWriter writer(file);
    const PackedEncodeTable& codes = packed_codes();
    CodeBuffer buffer;
    buffer.put(1, 16);  // the data begins with four fill bits and an EOL
    for (std::size_t row = row_count; row >= step; row -= step) {
        buffer.put_row(rows + (row - 1) * mh::line_bytes, codes);
        writer.add(buffer.data(), buffer.size());
        buffer.clear();
    }
    if (flags & ENCODE_RTC) {
        writer.add(mh::rtc_bytes.data(), mh::rtc_bytes.size());
    }
    return writer.flush();
}

}  // namespace korvif
