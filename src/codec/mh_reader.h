// The MH reader: takes 13-bit windows out of MH data (stored least significant bit first) and
// moves through it bit by bit or code by code.
//
// With L bytes of data the reader may consume floor((L - 1) / 2) 16-bit words; when that many
// bits have been passed over the data counts as used up. Bits beyond the last byte read as 0.
// The bits come from a 64-bit reservoir refilled eight bytes at a time, most significant first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace korvif::mh {

class MhReader {
public:
    MhReader(const std::uint8_t* data, std::int32_t length)
        : data_(data), length_(length > 0 ? static_cast<std::size_t>(length) : 0) {
        const std::int32_t words = length > 0 ? (length - 1) / 2 : 0;
        limit_ = 16u * static_cast<std::uint64_t>(words);
        refill();
    }

    // The next 13 stream bits, the first of them in bit 12.
    std::uint32_t read_window() const { return static_cast<std::uint32_t>(bits_ >> 51); }

    // The next n stream bits (n from 1 to 32), the first of them the most significant.
    std::uint32_t peek_bits(unsigned n) const { return static_cast<std::uint32_t>(bits_ >> (64 - n)); }

    // Passes over k bits (k up to the bits held, never fewer than 32).
    void advance_bits(unsigned k) {
        bits_ <<= k;
        available_ -= k;
        position_ += k;
        if (available_ < 32) refill();
    }

    bool used_up() const { return position_ >= limit_; }

    // Bits still to be passed over before the data counts as used up.
    std::uint64_t bits_left() const { return position_ >= limit_ ? 0 : limit_ - position_; }

    // Zero bits that certainly follow the current position (at least 32 are known).
    unsigned known_leading_zeros() const {
        const unsigned zeros = bits_ == 0 ? 64u : static_cast<unsigned>(__builtin_clzll(bits_));
        return zeros < available_ ? zeros : available_;
    }

private:
    static std::uint64_t reverse_bits_in_each_byte(std::uint64_t v) {
        v = ((v >> 1) & 0x5555555555555555ull) | ((v & 0x5555555555555555ull) << 1);
        v = ((v >> 2) & 0x3333333333333333ull) | ((v & 0x3333333333333333ull) << 2);
        v = ((v >> 4) & 0x0F0F0F0F0F0F0F0Full) | ((v & 0x0F0F0F0F0F0F0F0Full) << 4);
        return v;
    }

    void refill() {
        if (next_ + 8 <= length_) {
            std::uint64_t word;
            std::memcpy(&word, data_ + next_, 8);
            // The first byte becomes the most significant, each byte's bit 0 first.
            const std::uint64_t stream = __builtin_bswap64(reverse_bits_in_each_byte(word));
            bits_ |= stream >> available_;
            const unsigned bytes = (63 - available_) >> 3;
            next_ += bytes;
            available_ += 8 * bytes;
            return;
        }
        while (available_ <= 56) {
            std::uint64_t byte = 0;
            if (next_ < length_) byte = reverse_bits_in_each_byte(data_[next_]) & 0xFF;
            bits_ |= byte << (56 - available_);
            available_ += 8;
            ++next_;
        }
    }

    const std::uint8_t* data_;
    std::size_t length_;
    std::size_t next_ = 0;
    std::uint64_t bits_ = 0;
    unsigned available_ = 0;
    std::uint64_t position_ = 0;
    std::uint64_t limit_ = 0;
};

// What a window begins with, in the current colour.
struct Code {
    std::uint16_t run;
    std::uint8_t length;  // 0: no code begins here
};

}  // namespace korvif::mh
