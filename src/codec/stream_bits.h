// The page decoder's view of MH data: a 64-bit reservoir of stream bits in the order they are
// stored, the first bit in bit 0. MH data keeps each byte's first bit in bit 0, so the bytes go
// into the reservoir as they are, eight at a time, with no bit reversal.
//
// Bits beyond the last byte read as 0. The data counts as used up once as many bits have been
// passed over as floor((L - 1) / 2) 16-bit words hold, L being the data's length in bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace korvif::mh {

// Stream bits that begin with an EOL (eleven 0 bits, then a 1).
constexpr bool begins_with_eol(std::uint64_t bits) { return (bits & 0xFFF) == 0x800; }

// An all-white line's codes, white make-up 1728 (9 bits) then white terminating 0: 17 bits, in
// stream order.
inline constexpr unsigned white_line_length = 17;
inline constexpr unsigned white_line_makeup_length = 9;
inline constexpr std::uint32_t white_line_bits = 0b10101100110110010;
constexpr bool begins_with_white_line(std::uint64_t bits) {
    return (bits & ((1u << white_line_length) - 1)) == white_line_bits;
}

class StreamBits {
public:
    // Reads from bit `start` of the data (0: its beginning).
    StreamBits(const std::uint8_t* data, std::int32_t length, std::uint64_t start = 0)
        : data_(data), length_(length > 0 ? static_cast<std::size_t>(length) : 0) {
        const std::int32_t words = length > 0 ? (length - 1) / 2 : 0;
        limit_ = 16u * static_cast<std::uint64_t>(words);
        seek(start);
    }

    // The reservoir: bit i is the i-th bit from the current position. Bits up to available()
    // are known; the ones above them are the stream's own or 0.
    std::uint64_t bits() const { return bits_; }
    unsigned available() const { return available_; }

    // Passes over k bits (k up to available()) and keeps at least 32 bits in the reservoir.
    void advance_bits(unsigned k) {
        consume(k);
        if (available_ < 32) refill();
    }

    // Passes over k bits without refilling: for a caller that refills itself.
    void consume(unsigned k) {
        bits_ >>= k;
        available_ -= k;
    }

    std::uint64_t position() const { return 8 * static_cast<std::uint64_t>(next_) - available_; }
    std::uint64_t limit() const { return limit_; }
    bool used_up() const { return position() >= limit_; }
    std::uint64_t bits_left() const {
        const std::uint64_t at = position();
        return at >= limit_ ? 0 : limit_ - at;
    }

    // True while at least 16 bytes are still to be loaded: then refill_fast() is safe and the
    // next 64 bits cannot reach the end of the data (which lies at most 16 bits before the
    // last byte's end).
    bool far_from_end() const { return next_ + 16 <= length_; }

    // Fills the reservoir to at least 56 bits with one unaligned load; only when far_from_end().
    // The bits above the count that the load also brings are the stream's own, so ORing the
    // next load over them later changes nothing.
    void refill_fast() {
        std::uint64_t word;
        std::memcpy(&word, data_ + next_, 8);
        bits_ |= word << available_;
        next_ += (63 - available_) >> 3;
        available_ |= 56;
    }

    // Fills the reservoir to at least 56 bits, anywhere in the data.
    void refill() {
        if (next_ + 8 <= length_) {
            refill_fast();
            return;
        }
        while (available_ <= 56) {
            const std::uint64_t byte = next_ < length_ ? data_[next_] : 0;
            bits_ |= byte << available_;
            available_ += 8;
            ++next_;
        }
    }

    // Passes over up to max_count copies, one after the other, of the `length`-bit pattern
    // (stream order, 1 to 56 bits) that begins at the current position, as long as the data is
    // not used up by them and they end at `stop` at the latest. Returns how many it passed over. Reads the data
    // directly, a copy per load, for long runs of identical lines.
    std::int32_t skip_repeats(std::uint64_t pattern, unsigned length, std::int32_t max_count, std::uint64_t stop) {
        const std::uint64_t mask = (std::uint64_t {1} << length) - 1;
        const std::uint64_t from = position();
        // The copies that end before the data is used up and by `stop`, and whose eight bytes
        // can be loaded.
        const std::uint64_t end = std::min(limit_ - 1, stop);
        if (limit_ == 0 || length_ < 8 || end < from + length) return 0;
        std::uint64_t count = std::min<std::uint64_t>((end - from) / length, static_cast<std::uint64_t>(max_count));
        const std::uint64_t last_load = 8 * static_cast<std::uint64_t>(length_ - 8) + 7;
        if (from > last_load) return 0;
        count = std::min(count, (last_load - from) / length + 1);
        std::uint64_t at = from;
        const std::uint64_t until = from + count * length;
        if (count >= 16) {
            // Long runs: the first copy as it is, the rest against a reference of one period.
            std::uint64_t word;
            std::memcpy(&word, data_ + from / 8, 8);
            if (((word >> (from % 8)) & mask) != pattern) return 0;
            at += length * (matching_bits(pattern, length, from, until) / length);
        }
        // Two copies per round, their loads independent of each other.
        while (at + 2 * length <= until) {
            std::uint64_t first;
            std::uint64_t second;
            std::memcpy(&first, data_ + at / 8, 8);
            std::memcpy(&second, data_ + (at + length) / 8, 8);
            const std::uint64_t differs =
                (((first >> (at % 8)) & mask) ^ pattern) | (((second >> ((at + length) % 8)) & mask) ^ pattern);
            if (differs != 0) break;
            at += 2 * length;
        }
        while (at < until) {
            std::uint64_t word;
            std::memcpy(&word, data_ + at / 8, 8);
            if (((word >> (at % 8)) & mask) != pattern) break;
            at += length;
        }
        if (at != from) seek(at);
        return static_cast<std::int32_t>((at - from) / length);
    }

    // Zero bits that certainly follow the current position (at least 32 are known).
    unsigned known_leading_zeros() const {
        const unsigned zeros = bits_ == 0 ? 64u : static_cast<unsigned>(__builtin_ctzll(bits_));
        return zeros < available_ ? zeros : available_;
    }

private:
    // How many bits from `from` on (up to `until`, counted in whole bytes after the first byte
    // boundary) agree with copies of the pattern one after the other. Such copies repeat every
    // `length` bytes (eight copies fill `length` bytes), so the data is compared eight bytes at
    // a time with a reference of one period.
    std::uint64_t matching_bits(std::uint64_t pattern, unsigned length, std::uint64_t from, std::uint64_t until) const {
        const std::uint64_t first_byte = (from + 7) / 8;
        const unsigned offset = static_cast<unsigned>(first_byte * 8 - from);  // pattern bit at the boundary
        // One period and 32 more bytes, so that four loads of eight bytes can start at any
        // place in the period.
        std::uint8_t reference[56 + 32];
        std::uint64_t pending = pattern >> offset;  // bits not yet in the reference, the next first
        unsigned held = length - offset;
        for (unsigned i = 0; i < length + 32; ++i) {
            while (held < 8) {
                pending |= pattern << held;
                held += length;
            }
            reference[i] = static_cast<std::uint8_t>(pending);
            pending >>= 8;
            held -= 8;
        }
        // Bits before the boundary: the caller checks the first copy as a whole.
        std::uint64_t byte = first_byte;
        const std::uint64_t last_byte = std::min<std::uint64_t>(until / 8, length_);
        unsigned phase = 0;
        // 32 bytes per round, the four comparisons independent of one another.
        while (byte + 32 <= last_byte) {
            std::uint64_t differs = 0;
            for (unsigned k = 0; k < 4; ++k) {
                std::uint64_t data;
                std::uint64_t expected;
                std::memcpy(&data, data_ + byte + 8 * k, 8);
                std::memcpy(&expected, reference + phase + 8 * k, 8);
                differs |= data ^ expected;
            }
            if (differs != 0) break;
            byte += 32;
            phase += 32;
            phase -= phase >= length ? length : 0;  // periods of 29 to 56 bytes: no branch
            phase -= phase >= length ? length : 0;
        }
        while (byte + 8 <= last_byte) {
            std::uint64_t data;
            std::uint64_t expected;
            std::memcpy(&data, data_ + byte, 8);
            std::memcpy(&expected, reference + phase, 8);
            const std::uint64_t differs = data ^ expected;
            if (differs != 0) return (byte - first_byte) * 8 + offset + static_cast<unsigned>(__builtin_ctzll(differs));
            byte += 8;
            phase += 8;
            phase -= phase >= length ? length : 0;
        }
        return (byte - first_byte) * 8 + offset;
    }

    void seek(std::uint64_t at) {
        next_ = static_cast<std::size_t>(at / 8);
        bits_ = 0;
        available_ = 0;
        refill();
        consume(static_cast<unsigned>(at % 8));
    }

    const std::uint8_t* data_;
    std::size_t length_;
    std::size_t next_ = 0;  // the next byte to load
    std::uint64_t bits_ = 0;
    unsigned available_ = 0;
    std::uint64_t limit_ = 0;
};

}  // namespace korvif::mh
