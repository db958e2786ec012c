#include "codec/clean_page.h"

#include <algorithm>

#include "codec/damaged_lines.h"
#include "codec/decoded_page.h"
#include "codec/mh_tables.h"
#include "codec/stream_bits.h"
#include "codec/stream_decode_tables.h"

namespace korvif {

namespace {

// Passes over fill bits and the EOL after them; false when no EOL follows the 0 bits before bit
// `end` (the end of the data's bytes: bits beyond it would read as 0).
bool take_fill_and_eol(mh::StreamBits& in, std::uint64_t end) {
    for (;;) {
        if (in.available() < 32) in.refill();
        const unsigned zeros = in.known_leading_zeros();
        if (zeros < 11 || in.position() + zeros + 1 > end) return false;
        if (zeros == 11 && mh::begins_with_eol(in.bits())) {
            in.advance_bits(12);
            return true;
        }
        in.advance_bits(std::min(zeros - 11, 32u));
    }
}

bool on_byte_boundary(const mh::StreamBits& in) { return in.position() % 8 == 0; }

// One line's codes, from the first white code to the terminating code that reaches the 1728th
// pixel; false for any other line.
bool take_line(mh::StreamBits& in) {
    const auto& codes = mh::stream_code_tables();
    int x = 0;
    unsigned colour = 0;
    for (;;) {
        if (in.available() < 32) in.refill();
        const mh::CodeEntry entry = codes[colour].entries[in.bits() & (mh::window_count - 1)];
        const unsigned length = mh::code_length(entry);
        const auto run = static_cast<int>(mh::code_run(entry));
        if (length == 0 || run > mh::line_pixels - x) return false;
        in.advance_bits(length);
        x += run;
        if (run < 64) {
            if (x == mh::line_pixels) return true;
            colour ^= 1;
        }
    }
}

}  // namespace

std::optional<CleanPage> clean_page(std::span<const std::uint8_t> data) {
    if (data.size() < 8) return std::nullopt;
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(data.size(), INT32_MAX));
    const std::uint64_t end = 8 * static_cast<std::uint64_t>(length);
    mh::StreamBits in(data.data(), length);
    if (!take_fill_and_eol(in, end) || !on_byte_boundary(in)) return std::nullopt;
    CleanPage page;
    bool eol_on_boundary = true;  // the EOL before the line about to begin
    for (;;) {
        if (in.available() < 32) in.refill();
        // No white code begins with eight 0 bits: fill bits or an empty EOL, where the page end
        // begins.
        if (in.known_leading_zeros() >= 8) break;
        // Only the last line's EOL may end elsewhere (in a page as S2F writes it, it is the RTC's
        // first): it is written again, as the encoder writes it.
        if (!eol_on_boundary || !take_line(in)) return std::nullopt;
        const std::uint64_t codes_end = in.position();
        if (!take_fill_and_eol(in, end)) return std::nullopt;
        if (++page.lines > max_page_lines) return std::nullopt;
        eol_on_boundary = on_byte_boundary(in);
        page.bytes = static_cast<std::uint32_t>((codes_end + 7) / 8);
    }
    // Damaged lines, "page end": the EOL that closed the last line set the count to 0; the fifth
    // empty EOL ends the page. Only EOLs may come until then, within the data. Damaged lines,
    // "data end": the data is used up at most 16 bits before its end, and these EOLs take 60, so
    // every line before them is closed before that.
    for (int empty = 0; empty < mh::empty_eols_at_page_end; ++empty) {
        if (!take_fill_and_eol(in, end)) return std::nullopt;
    }
    return page;
}

}  // namespace korvif
