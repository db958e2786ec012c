#include "codec/raster_encoder.h"

#include <array>
#include <cstring>

#include "codec/mh_tables.h"
#include "platform/file.h"

namespace korvif {

namespace {

constexpr std::size_t bitmap_header_bytes = info_header_bytes + two_colour_palette_bytes;

// Collects code bits most significant first and stores them, 32 at a time, as fax data bytes
// (least significant bit first).
class CodeBuffer {
public:
    void put(std::uint32_t code, unsigned length) {
        bits_ = (bits_ << length) | code;
        count_ += length;
        if (count_ >= 32) {
            count_ -= 32;
            store(static_cast<std::uint32_t>(bits_ >> count_));
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

    const std::uint8_t* data() const { return out_.data(); }
    std::size_t size() const { return bytes_; }
    void clear() {
        bytes_ = 0;
        count_ = 0;
    }

private:
    void store(std::uint32_t v) {
        v = ((v >> 1) & 0x55555555u) | ((v & 0x55555555u) << 1);
        v = ((v >> 2) & 0x33333333u) | ((v & 0x33333333u) << 2);
        v = ((v >> 4) & 0x0F0F0F0Fu) | ((v & 0x0F0F0F0Fu) << 4);
        v = __builtin_bswap32(v);
        std::memcpy(out_.data() + bytes_, &v, 4);
        bytes_ += 4;
    }

    // The longest coded line takes under 7,900 bits.
    std::array<std::uint8_t, 1024> out_ {};
    std::size_t bytes_ = 0;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
};

// A row copied with eight bytes of padding, so that runs are counted 64 pixels at a time.
struct PaddedRow {
    std::array<std::uint8_t, mh::line_bytes + 8> bytes {};

    // Pixels from x on (at most 57 of them are meaningful) as a word, pixel x in the top bit.
    std::uint64_t pixels_from(unsigned x) const {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + x / 8, 8);
        return __builtin_bswap64(word) << (x % 8);
    }

    // Length of the run of `black` pixels from x, cut at the end of the line.
    unsigned run_from(unsigned x, bool black) const {
        unsigned start = x;
        for (;;) {
            std::uint64_t word = pixels_from(x);
            if (black) word = ~word;
            const unsigned same = word == 0 ? 64u : static_cast<unsigned>(__builtin_clzll(word));
            if (same < 57) {
                x += same;
                break;
            }
            x += 56;
            if (x >= mh::line_pixels) break;
        }
        if (x > mh::line_pixels) x = mh::line_pixels;
        return x - start;
    }
};

void code_row(const std::uint8_t* row, CodeBuffer& buffer) {
    PaddedRow padded;
    std::memcpy(padded.bytes.data(), row, mh::line_bytes);
    unsigned x = 0;
    while (x < mh::line_pixels) {
        const unsigned white = padded.run_from(x, false);
        buffer.put(static_cast<std::uint32_t>(mh::white_codes[white]), mh::white_code_lengths[white]);
        x += white;
        if (x == mh::line_pixels) break;
        const unsigned black = padded.run_from(x, true);
        buffer.put(static_cast<std::uint32_t>(mh::black_codes[black]), mh::black_code_lengths[black]);
        x += black;
    }
    buffer.put_aligned_eol();
}

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

    std::uint32_t total = 0;
    CodeBuffer buffer;
    buffer.put(1, 16);  // the data begins with four fill bits and an EOL
    for (std::size_t row = row_count; row >= step; row -= step) {
        code_row(rows + (row - 1) * mh::line_bytes, buffer);
        std::uint32_t written = 0;
        file.write(buffer.data(), static_cast<std::uint32_t>(buffer.size()), written);
        total += written;
        buffer.clear();
    }
    if (flags & ENCODE_RTC) {
        std::uint32_t written = 0;
        file.write(mh::rtc_bytes.data(), static_cast<std::uint32_t>(mh::rtc_bytes.size()), written);
        total += written;
    }
    return total;
}

}  // namespace korvif
