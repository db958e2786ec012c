#include "codec/stream_decode_tables.h"

namespace korvif::mh {

namespace {

// The window in reading order (first bit in bit window_bits - 1) of `known` stream-order bits,
// the unknown bits after them taken as 0. A code that fits in the known bits is found the same
// whatever follows it.
std::uint32_t reading_order_window(std::uint32_t stream_bits, int known) {
    std::uint32_t window = 0;
    for (int i = 0; i < window_bits; ++i) {
        const std::uint32_t bit = i < known ? (stream_bits >> i) & 1 : 0;
        window = (window << 1) | bit;
    }
    return window;
}

struct FoundCode {
    unsigned run = 0;
    unsigned length = 0;  // 0: no code
};

FoundCode code_at(int colour, std::uint32_t reading_window) {
    if (colour == 0) return {white_decode_runs[reading_window], white_decode_lengths[reading_window]};
    return {black_decode_runs[reading_window], black_decode_lengths[reading_window]};
}

void fill_code_table(CodeTable& table, int colour) {
    for (std::uint32_t w = 0; w < window_count; ++w) {
        const FoundCode code = code_at(colour, reading_order_window(w, window_bits));
        table.entries[w] = static_cast<std::uint16_t>(code.run | code.length << 11);
    }
}

std::uint64_t make_group(int colour, std::uint32_t window) {
    unsigned taken = 0;
    unsigned span = 0;
    unsigned codes = 0;
    std::uint64_t pixels = 0;
    for (;;) {
        const int known = group_window_bits - static_cast<int>(taken);
        const FoundCode code = code_at(colour, reading_order_window(window >> taken, known));
        if (code.length == 0 || static_cast<int>(code.length) > known || code.run >= 64) break;
        if (span + code.run > group_max_span) break;
        if (colour == 1 && code.run != 0) {
            if (span + code.run > group_max_pixel_span) break;
            for (unsigned i = span; i < span + code.run; ++i) pixels |= std::uint64_t {1} << (63 - i);
        }
        taken += code.length;
        span += code.run;
        ++codes;
        colour ^= 1;
    }
    if (codes == 0) return 0;
    return taken | std::uint64_t {span} << group_span_shift | (codes % 2 ? group_colour_flips : 0) | pixels;
}

}  // namespace

// Made on first use, so that decoding works also while other static objects are initialised;
// filled in place, not built on the stack.
const std::array<CodeTable, 2>& stream_code_tables() {
    static std::array<CodeTable, 2> tables;
    static const bool made = [] {
        for (int colour = 0; colour < 2; ++colour) fill_code_table(tables[static_cast<std::size_t>(colour)], colour);
        return true;
    }();
    (void)made;
    return tables;
}

const GroupTable& stream_group_table() {
    static GroupTable table;
    static const bool made = [] {
        for (int colour = 0; colour < 2; ++colour) {
            for (std::uint32_t w = 0; w <= group_window_mask; ++w) {
                table.entries[static_cast<std::uint32_t>(colour) << group_window_bits | w] = make_group(colour, w);
            }
        }
        return true;
    }();
    (void)made;
    return table;
}

}  // namespace korvif::mh
