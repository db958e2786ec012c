// The line decoder: MH codes to a page's lines, from one place in the data on, into blocks of 512
// lines. take_one reads one code at a time and applies every rule of codec/damaged_lines.h; the
// fast paths (a round of four groups from the group table, runs of white lines taken at once, a
// white line in one step) do what it would do on clean data and hand every other case to it.
// Everything here is inline: the decoding loops keep the decoder's state in registers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "codec/damaged_lines.h"
#include "codec/decoded_page.h"
#include "codec/line_painter.h"
#include "codec/mh_tables.h"
#include "codec/stream_bits.h"
#include "codec/stream_decode_tables.h"

// For the page decoder alone (page_decoder.cpp includes it, nothing else does): its names stay
// inside that file, as they were when it held them, so the compiler inlines them as it did there.
namespace korvif {
namespace {

// The part of a decoder's state that changes with every code. Decoding loops copy it into a
// local, so that the stores into the lines do not make the compiler keep it in memory.
struct HotState {
    mh::StreamBits in;
    LinePainter painter;
    std::uint32_t colour = 0;  // 1 for black
};

// One group from the group table, without a branch. A window that begins no group has the
// entry 0, which changes nothing, and so does a group that would pass the line's end (it is
// taken as 0): the steps after it find the same entry, and it is seen at the end of the round.
// Damaged lines, "run past the end": such a group is left to take_one, which cuts it.
inline std::uint64_t take_group(HotState& state, std::uint64_t& colour_index, const std::uint64_t* groups) {
    std::uint64_t entry = groups[colour_index | (state.in.bits() & mh::group_window_mask)];
    const unsigned span = mh::group_span(entry);
    const bool fits = state.painter.x() + span <= mh::line_pixels;
    entry = fits ? entry : 0;
    state.painter.paint_group(entry, fits ? span : 0);
    state.in.consume(mh::group_code_bits(entry));
    colour_index ^= entry & mh::group_colour_flips;
    return entry;
}

// A round: four groups, the reservoir refilled once (four take at most 52 bits). Only far from
// the end of the data, where it cannot be used up by them. False when the round met a window
// that it could not take.
inline bool take_round(HotState& state, const std::uint64_t* groups) {
    state.in.refill_fast();
    std::uint64_t colour_index = std::uint64_t {state.colour} << mh::group_window_bits;
    std::uint64_t entry = 0;
#pragma GCC unroll 4
    for (int step = 0; step < 4; ++step) entry = take_group(state, colour_index, groups);
    state.colour = static_cast<std::uint32_t>(colour_index >> mh::group_window_bits);
    return mh::group_code_bits(entry) != 0;
}

constexpr std::uint64_t no_landmark = ~std::uint64_t {0};

// Decodes lines from one place in the data on, into blocks of 512 lines.
//
// A page can be decoded in two parts at once: the first part from the beginning, the second
// from just after an EOL in the middle of the data (the landmark). The second part starts as
// the first would go on if it met that EOL as the end of a line, so when the first part does
// exactly that, the two together are the page. When it does not (it passes the landmark inside
// a code, or meets it as an empty EOL), the second part is thrown away and the first goes on.
class LineDecoder {
public:
    LineDecoder(const std::uint8_t* data, std::int32_t length, std::uint64_t start, int empty_eols,
                std::uint64_t landmark)
        : hot_ {mh::StreamBits(data, length, start), LinePainter {}, 0},
          empty_eols_(empty_eols),
          landmark_(landmark),
          landmark_state_(landmark == no_landmark ? Landmark::none : Landmark::pending) {
        blocks_.reserve(max_line_blocks);
        if (hot_.in.used_up() || !open_block()) finished_ = true;
        hot_.painter.start(line_);
    }

    bool finished() const { return finished_; }
    bool landmark_pending() const { return landmark_state_ == Landmark::pending; }
    bool landmark_reached() const { return landmark_state_ == Landmark::reached; }
    void drop_landmark() { landmark_state_ = Landmark::none; }
    std::int32_t lines() const { return lines_; }
    // Whether a line block could not be had: the lines decoded are then not the whole page.
    bool out_of_memory() const { return out_of_memory_; }
    std::vector<LineBlock>& blocks() { return blocks_; }
    void limit_lines(std::int32_t cap) { line_cap_ = cap; }

    // Decodes alone until the page ends (or the landmark is reached).
    void run();

    // The two-part decoding of long pages drives two decoders round by round (page_decoder.cpp).
    friend void run_both_parts(LineDecoder& first, LineDecoder& second);

private:
    enum class Landmark { none, pending, reached, missed };

    bool open_block();
    void end_line(HotState& state);
    // Inlined into the decoding loops, so that their state can stay in registers.
    __attribute__((always_inline)) inline void take_one(HotState& state);

    // Notes the landmark as missed when decoding has passed it.
    void check_landmark(const HotState& state) {
        if (landmark_state_ == Landmark::pending && state.in.position() > landmark_) landmark_state_ = Landmark::missed;
    }

    HotState hot_;
    bool finished_ = false;
    bool out_of_memory_ = false;
    int empty_eols_;
    std::uint64_t landmark_;
    Landmark landmark_state_;
    std::int32_t line_cap_ = max_page_lines;
    std::vector<LineBlock> blocks_;
    int done_ = 0;  // lines in the last block
    std::uint8_t* line_ = nullptr;
    std::int32_t lines_ = 0;
};

inline bool LineDecoder::open_block() {
    // Damaged lines, "line limit".
    if (lines_ >= line_cap_ || blocks_.size() >= max_line_blocks) return false;
    Outcome<MemoryBlock> lines = MemoryBlock::allocate_for_overwrite(line_block_bytes + line_slack_bytes);
    if (!lines) {
        out_of_memory_ = true;
        return false;
    }
    blocks_.push_back(LineBlock {std::move(*lines)});
    done_ = 0;
    line_ = blocks_.back().lines.data();
    return true;
}

inline void LineDecoder::end_line(HotState& state) {
    const bool has_black = state.painter.has_black();
    if (has_black) state.painter.finish();
    blocks_.back().has_black[static_cast<std::size_t>(done_)] = has_black;
    ++lines_;
    ++done_;
    empty_eols_ = 0;  // Damaged lines, "page end": the line closed, the count starts again
    if (done_ < lines_per_block) {
        line_ += mh::line_bytes;
    } else if (!open_block()) {
        finished_ = true;
    }
    state.painter.start(line_);
}

// One code, EOL or stretch of bits that begins no code, with every check: make-up codes, codes
// that reach the line's end, EOLs, bits that begin no code, and the end of the data.
inline void LineDecoder::take_one(HotState& state) {
    const auto& codes = mh::stream_code_tables();
    mh::StreamBits& in = state.in;
    if (in.available() < 32) in.refill();
    if (state.painter.x() == 0 && state.colour == 0) {
        // Runs of all-white lines, as on a mostly empty page: a white line's codes, the fill
        // bits after them and the EOL that closes the line, taken in one step while the data
        // cannot be used up in between; what the codes one at a time would do. The lines after
        // the first that are coded the same way are passed over in one go. None of them closes
        // with the landmark: that line is left to the steps one code at a time.
        const std::uint64_t bits = in.bits();
        const std::uint64_t after = bits >> mh::white_line_length;
        if (mh::begins_with_white_line(bits) && after != 0) {
            const unsigned fill_zeros = static_cast<unsigned>(__builtin_ctzll(after)) - 11;
            const unsigned taken = mh::white_line_length + fill_zeros + 12;
            const std::uint64_t stop = landmark_state_ == Landmark::pending ? landmark_ : no_landmark;
            if (fill_zeros <= 27 && taken <= in.available() && in.bits_left() > taken &&
                in.position() + taken <= stop) {
                const std::uint64_t coded_line = bits & ((std::uint64_t {1} << taken) - 1);
                const std::int32_t white = in.skip_repeats(coded_line, taken, lines_per_block - done_, stop);
                if (white != 0) {
                    std::fill_n(blocks_.back().has_black.begin() + done_, white, false);
                    done_ += white - 1;
                    lines_ += white - 1;
                    line_ += static_cast<std::size_t>(white - 1) * mh::line_bytes;
                    state.painter.skip_white_line();
                    end_line(state);
                    if (!finished_ && in.used_up()) finished_ = true;
                    return;
                }
            }
        }
    }
    const std::uint64_t bits = in.bits();
    const mh::CodeEntry entry = codes[state.colour].entries[bits & (mh::window_count - 1)];
    const unsigned length = mh::code_length(entry);
    if (length != 0) {
        if (state.painter.x() == 0 && state.colour == 0 && mh::begins_with_white_line(bits) &&
            in.bits_left() > mh::white_line_makeup_length) {
            // A whole white line in one step: make-up 1728 (colour stays white), then terminating
            // 0 (colour turns black). Nothing to draw.
            state.painter.skip_white_line();
            state.colour = 1;
            in.advance_bits(mh::white_line_length);
        } else {
            // Damaged lines, "run past the end" and "codes after a cut run" (the extended make-up
            // codes among them): the colour follows the run as read, the run is cut at the end.
            unsigned run = mh::code_run(entry);
            const bool black = state.colour != 0;
            if (run < 64) state.colour ^= 1;
            if (state.painter.x() + run > mh::line_pixels) run = mh::line_pixels - state.painter.x();
            state.painter.paint_run(run, black);
            in.advance_bits(length);
        }
    } else if (mh::begins_with_eol(bits)) {
        // EOL windows begin no code in either colour, so they are told apart here.
        const bool at_landmark = landmark_state_ == Landmark::pending && in.position() == landmark_;
        in.advance_bits(12);
        state.colour = 0;
        if (state.painter.x() > 0) {
            end_line(state);
            if (at_landmark) {
                landmark_state_ = Landmark::reached;
                finished_ = true;
                return;
            }
        } else {
            if (at_landmark) landmark_state_ = Landmark::missed;
            // Damaged lines, "page end".
            if (++empty_eols_ == mh::empty_eols_at_page_end) finished_ = true;
        }
    } else {
        // Damaged lines, "bits that begin no code": the window starts with eight 0 bits. Pass
        // over the zero bits up to the next place where an EOL or a code can begin: exactly
        // eleven zeros (an EOL) or seven (an extended make-up code, in either colour).
        const unsigned zeros = in.known_leading_zeros();
        std::uint64_t skip = zeros >= 11 ? zeros - 11 : zeros - 7;
        if (skip == 0) skip = 1;
        if (skip > in.bits_left()) skip = in.bits_left();
        in.advance_bits(static_cast<unsigned>(skip));
    }
    // Damaged lines, "data end": a line not closed by now is left out.
    if (in.used_up()) finished_ = true;
}

inline void LineDecoder::run() {
    const std::uint64_t* groups = mh::stream_group_table().entries.data();
    HotState state = hot_;
    while (!finished_) {
        // A line that begins as a white line goes straight to the one-code path, which takes
        // runs of white lines at once, without a round of lookups that would stop at once.
        const bool white_line =
            state.painter.x() == 0 && state.colour == 0 && mh::begins_with_white_line(state.in.bits());
        while (!white_line && state.in.far_from_end() && take_round(state, groups)) {
        }
        take_one(state);
        check_landmark(state);
    }
    hot_ = state;
}

// Both parts of a long page side by side (page_decoder.cpp).
void run_both_parts(LineDecoder& first, LineDecoder& second);

}  // namespace
}  // namespace korvif
