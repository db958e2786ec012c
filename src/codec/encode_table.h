// The encode table, shared by the raster encoder and the SFF re-coder: the code of every run of
// each colour, ready to be added to stream-order bits.
#pragma once

#include <array>
#include <cstdint>

#include "codec/mh_tables.h"
#include "codec/t4_codes.h"

namespace korvif::mh {

// The code of one run in stream order (its first bit in bit 0, as MH data keeps it) and its
// length, in one word: a coder takes both with one load.
class EncodeEntry {
public:
    constexpr EncodeEntry() = default;
    constexpr EncodeEntry(std::uint32_t bits, unsigned length) : word_(bits | std::uint64_t {length} << 32) {}

    constexpr std::uint32_t bits() const { return static_cast<std::uint32_t>(word_); }
    constexpr unsigned length() const { return static_cast<unsigned>(word_ >> 32); }

private:
    std::uint64_t word_ = 0;
};

// Indexed by colour (0 white, 1 black) and run length 0..1728: for runs of 64 and more the
// make-up code of the multiple of 64 followed by the terminating code of the remainder.
struct EncodeTable {
    std::array<EncodeEntry, max_run + 1> colour[2];
};

namespace t4 {

constexpr EncodeEntry encode_entry(int run, const std::array<CodeWord, 64>& terminating,
                                   const std::array<CodeWord, 27>& makeup) {
    const char* tail = terminating[static_cast<std::size_t>(run % 64)].bits;
    if (run < 64) return {stream_value_of(tail), static_cast<unsigned>(length_of(tail))};
    const char* head = makeup[static_cast<std::size_t>(run / 64 - 1)].bits;
    const int head_length = length_of(head);
    return {stream_value_of(head) | stream_value_of(tail) << head_length,
            static_cast<unsigned>(head_length + length_of(tail))};
}

constexpr EncodeTable make_encode_table() {
    EncodeTable table;
    for (int run = 0; run <= max_run; ++run) {
        table.colour[0][static_cast<std::size_t>(run)] = encode_entry(run, white_terminating, white_makeup);
        table.colour[1][static_cast<std::size_t>(run)] = encode_entry(run, black_terminating, black_makeup);
    }
    return table;
}

}  // namespace t4

// Built by the compiler: nothing to make when the program starts.
inline constexpr EncodeTable encode_table = t4::make_encode_table();

}  // namespace korvif::mh
