// The page decoder: a page's data decoded by one line decoder, or a long page by two at once,
// one from the beginning and one from an EOL in the middle of the data (the landmark), joined
// where the first meets the landmark as the end of a line.
#include "codec/page_decoder.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "codec/damaged_lines.h"
#include "codec/line_decoder.h"
#include "codec/stream_bits.h"

namespace korvif {

namespace {

// Where the page can be split for decoding in two parts: the first EOL after the middle of the
// data (the place after eleven or more 0 bits where the last eleven of them begin), far enough
// from both ends. Pages of little data are decoded in one part: for them the second part's
// setting up would cost more than it saves.
constexpr std::int32_t split_minimum_bytes = 16 * 1024;
constexpr std::uint64_t landmark_search_bits = 1 << 16;

std::uint64_t find_landmark(const std::uint8_t* data, std::int32_t length) {
    if (length < split_minimum_bytes) return no_landmark;
    const std::uint64_t limit = mh::StreamBits(data, length).limit();
    const std::uint64_t from = limit / 2;
    const std::uint64_t to = std::min(from + landmark_search_bits, limit - 1024);
    unsigned zeros = 0;
    for (std::uint64_t at = from; at < to; ++at) {
        if ((data[at / 8] >> (at % 8)) & 1) {
            if (zeros >= 11) return at - 11;
            zeros = 0;
        } else {
            ++zeros;
        }
    }
    return no_landmark;
}

// Both parts side by side, until one of them finishes or the first misses the landmark: their
// rounds interleaved, two chains of lookups that do not wait on each other, so that the one's
// table loads run while the other's are on their way. A part that cannot take a round takes one
// code (or EOL) with every check while the other waits.
void run_both_parts(LineDecoder& first, LineDecoder& second) {
    const std::uint64_t* groups = mh::stream_group_table().entries.data();
    HotState a = first.hot_;
    HotState b = second.hot_;
    for (;;) {
        bool a_went_on = true;
        bool b_went_on = true;
        while (a.in.far_from_end() && b.in.far_from_end()) {
            a.in.refill_fast();
            b.in.refill_fast();
            std::uint64_t colour_a = std::uint64_t {a.colour} << mh::group_window_bits;
            std::uint64_t colour_b = std::uint64_t {b.colour} << mh::group_window_bits;
            std::uint64_t entry_a = 0;
            std::uint64_t entry_b = 0;
#pragma GCC unroll 4
            for (int step = 0; step < 4; ++step) {
                entry_a = take_group(a, colour_a, groups);
                entry_b = take_group(b, colour_b, groups);
            }
            a.colour = static_cast<std::uint32_t>(colour_a >> mh::group_window_bits);
            b.colour = static_cast<std::uint32_t>(colour_b >> mh::group_window_bits);
            a_went_on = mh::group_code_bits(entry_a) != 0;
            b_went_on = mh::group_code_bits(entry_b) != 0;
            if (!a_went_on || !b_went_on) break;
        }
        if (!a_went_on || !a.in.far_from_end()) {
            first.take_one(a);
            first.check_landmark(a);
            if (first.finished_ || !first.landmark_pending()) break;
        }
        if (!b_went_on || !b.in.far_from_end()) {
            // The two parts together never hold more than the page's line limit.
            second.limit_lines(max_page_lines - first.lines_);
            second.take_one(b);
            if (second.finished_) break;
        }
    }
    first.hot_ = a;
    second.hot_ = b;
}

}  // namespace

Outcome<DecodedPage> decode_page(std::span<const std::uint8_t> bytes, DecodeOptions options) {
    if (bytes.size() < 8) return Failed(Failure::too_short, "8 bytes");
    // A page lies in a file of less than 2 GiB.
    const std::uint8_t* data = bytes.data();
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(bytes.size(), INT32_MAX));
    const std::uint64_t landmark = find_landmark(data, length);
    LineDecoder first(data, length, 0, mh::decoder_empty_eols_at_start, landmark);
    DecodedPage page(options);
    // A part whose lines make up the page must not have stopped for want of a line block: the
    // page would end early without a sign of it.
    bool cut_short = false;
    if (landmark == no_landmark) {
        first.run();
        cut_short = first.out_of_memory();
        page.add(first.blocks(), first.lines());
    } else {
        std::optional<LineDecoder> second;
        // The second part begins after an EOL that closed a line. Damaged lines, "page end".
        second.emplace(data, length, landmark + 12, mh::empty_eols_after_a_line, no_landmark);
        run_both_parts(first, *second);
        if (first.landmark_pending() && !first.finished()) {
            // The second part finished first (the end of the data or the line limit); the first
            // still has to show that it meets the landmark.
            first.run();
        }
        if (first.landmark_reached()) {
            second->limit_lines(max_page_lines - first.lines());
            second->run();
            cut_short = first.out_of_memory() || second->out_of_memory();
            page.add(first.blocks(), first.lines());
            page.add(second->blocks(), std::min(second->lines(), max_page_lines - first.lines()));
        } else {
            // The first part did not end a line at the landmark (or the page ended before it): it
            // is the whole page, decoded on alone.
            second.reset();
            first.drop_landmark();
            first.run();
            cut_short = first.out_of_memory();
            page.add(first.blocks(), first.lines());
        }
    }
    if (cut_short) return Failure::no_memory;
    page.complete();
    return page;
}

}  // namespace korvif
