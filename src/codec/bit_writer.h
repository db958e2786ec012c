// Code bits in stream order (the first bit in bit 0 of the first byte, as MH data and SFF line
// records keep them): how the raster encoder builds its lines and the SFF re-coder its records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codec/encode_table.h"

namespace korvif::mh {

// The bits gather in a 64-bit accumulator that is stored eight bytes at a time; whole bytes move
// on, the bits of a byte not yet full stay: no branch on the bit count. The buffer, which needs
// room for the bits and eight bytes more, lives outside the writer, so that the stores into it
// cannot be taken for changes of the counts, which then stay in registers.
class BitWriter {
public:
    explicit BitWriter(std::uint8_t* bytes) : bytes_(bytes) {}

    // A code of up to 57 bits, no bit set above `length`.
    void put(std::uint64_t code, unsigned length) {
        bits_ |= code << count_;
        count_ += length;
        store();
    }
    void put(EncodeEntry code) { put(code.bits(), code.length()); }

    // Two codes of the encode table and one store: 7 + 25 + 25 bits fit in the accumulator.
    void put_two(EncodeEntry first, EncodeEntry second) {
        bits_ |= std::uint64_t {first.bits()} << count_;
        count_ += first.length();
        bits_ |= std::uint64_t {second.bits()} << count_;
        count_ += second.length();
        store();
    }

    // Zero bits up to the place where an EOL ends on a byte boundary, then the EOL.
    void put_aligned_eol() {
        const unsigned fill = (8 - (count_ + 12) % 8) % 8;
        put(std::uint64_t {1} << (fill + 11), fill + 12);
    }

    std::size_t bit_count() const { return 8 * stored_ + count_; }
    // Just after the last whole byte.
    const std::uint8_t* end() const { return bytes_ + stored_; }
    // Empties the writer for new bits at the start of the buffer.
    void restart() {
        stored_ = 0;
        bits_ = 0;
        count_ = 0;
    }

private:
    void store() {
        std::memcpy(bytes_ + stored_, &bits_, 8);
        stored_ += count_ / 8;
        bits_ >>= count_ & ~7u;
        count_ &= 7;
    }

    std::uint8_t* bytes_;
    std::size_t stored_ = 0;  // whole bytes
    std::uint64_t bits_ = 0;  // bits not yet in a whole byte, stored all the same
    unsigned count_ = 0;
};

}  // namespace korvif::mh
