#include "codec/stream_decode_tables.h"

#include "codec/t4_codes.h"

namespace korvif::mh {

namespace {

// The window in reading order (first bit in bit window_bits - 1) of 13 stream-order bits.
constexpr std::uint32_t reading_order_window(std::uint32_t stream_bits) {
    std::uint32_t window = 0;
    for (int i = 0; i < window_bits; ++i) window = (window << 1) | ((stream_bits >> i) & 1);
    return window;
}

constexpr CodeEntry window_entry(const t4::DecodeTable& table, std::uint32_t reading) {
    // Damaged lines, "extended make-up codes": they begin with seven 0 bits, where no code of
    // either colour begins, and are read as make-up codes of either colour.
    const t4::DecodeTable& source = table.lengths[reading] != 0 ? table : t4::extended_decode;
    return code_entry(source.runs[reading], source.lengths[reading]);
}

constexpr std::array<CodeTable, 2> make_code_tables() {
    std::array<CodeTable, 2> tables {};
    for (std::uint32_t w = 0; w < window_count; ++w) {
        const std::uint32_t reading = reading_order_window(w);
        tables[0].entries[w] = window_entry(t4::white_decode, reading);
        tables[1].entries[w] = window_entry(t4::black_decode, reading);
    }
    return tables;
}

constexpr std::array<CodeTable, 2> code_tables = make_code_tables();

// The terminating codes that begin `window` one after the other, colours alternating from
// `colour`. The bits of the window not yet taken are looked up with the unknown bits after them
// as 0: a code that fits in the known bits is found the same whatever follows it.
constexpr std::uint64_t make_group(int colour, std::uint32_t window) {
    unsigned taken = 0;
    unsigned span = 0;
    unsigned codes = 0;
    std::uint64_t pixels = 0;
    for (;;) {
        const unsigned known = group_window_bits - taken;
        const CodeEntry code =
            code_tables[static_cast<std::size_t>(colour)].entries[(window >> taken) & ((1u << known) - 1)];
        const unsigned run = code_run(code);
        const unsigned length = code_length(code);
        if (length == 0 || length > known || run >= 64) break;
        if (span + run > group_max_span) break;
        if (colour == 1 && run != 0) {
            if (span + run > group_max_pixel_span) break;
            for (unsigned i = span; i < span + run; ++i) pixels |= std::uint64_t {1} << (63 - i);
        }
        taken += length;
        span += run;
        ++codes;
        colour ^= 1;
    }
    if (codes == 0) return 0;
    return taken | std::uint64_t {span} << group_span_shift | (codes % 2 ? group_colour_flips : 0) | pixels;
}

constexpr GroupTable make_group_table() {
    GroupTable table {};
    for (int colour = 0; colour < 2; ++colour) {
        for (std::uint32_t w = 0; w <= group_window_mask; ++w) {
            table.entries[static_cast<std::uint32_t>(colour) << group_window_bits | w] = make_group(colour, w);
        }
    }
    return table;
}

// Built by the compiler: nothing to make when the program starts.
constexpr GroupTable group_table = make_group_table();

}  // namespace

const std::array<CodeTable, 2>& stream_code_tables() { return code_tables; }

const GroupTable& stream_group_table() { return group_table; }

}  // namespace korvif::mh
