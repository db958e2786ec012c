#include "codec/page_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "codec/line_painter.h"
#include "codec/mh_tables.h"
#include "codec/stream_bits.h"
#include "codec/stream_decode_tables.h"

namespace korvif {

namespace {

constexpr std::size_t line_block_bytes = std::size_t {lines_per_block} * mh::line_bytes;
constexpr std::uint32_t bitmap_header_bytes = info_header_bytes + two_colour_palette_bytes;

// Decoding stops after the sixth empty EOL: the count starts at -1 and the page ends when it
// reaches 5. An EOL that closes a line sets the count back to 0, so empty EOLs scattered
// between lines (doubled EOLs in a received fax) do not end the page; only a run of them does,
// as at the RTC.
constexpr int empty_eols_at_page_end = 5;

// An all-white line, white make-up 1728 then white terminating 0: 17 bits, in stream order.
constexpr std::uint32_t white_line_bits = 0b10101100110110010;
constexpr std::uint32_t white_line_mask = (1u << 17) - 1;

// A window that begins with an EOL (eleven 0 bits, then a 1), in stream order.
constexpr bool begins_with_eol(std::uint64_t bits) { return (bits & 0xFFF) == 0x800; }

// A block of 512 raster lines, followed by room for one more 64-bit store (the line painter
// may store up to eight bytes past a line's end; they land in the next line, not yet decoded,
// or in the slack after the last).
constexpr std::size_t line_slack_bytes = 8;

struct LineBlock {
    MemoryBlock lines;
    // Lines without a black pixel are not stored: their bytes are left as they are.
    std::array<bool, lines_per_block> has_black {};
};

struct Decoder {
    mh::StreamBits reader;
    int empty_eols = -1;
    std::int32_t lines = 0;
    std::int32_t last_black_line = 0;
    bool ended = false;

    // Decodes into the lines of `block` until it is full or the page ends. A block always
    // begins at the start of a line, in white.
    void fill(LineBlock& block, bool track_black);
};

void Decoder::fill(LineBlock& block, bool track_black) {
    const auto& groups = mh::stream_group_table().entries;
    const auto& codes = mh::stream_code_tables();
    // The state lives in locals while decoding, so that the stores into the lines do not make
    // the compiler keep it in memory.
    mh::StreamBits in = reader;
    int done = 0;
    std::uint8_t* line = block.lines.data();
    LinePainter painter;
    painter.start(line);
    std::uint32_t colour = 0;  // 1 for black
    int eols = empty_eols;
    bool page_ended = false;

    for (;;) {
        // Terminating codes in groups, one lookup per group, four lookups per refill (each
        // takes at most 12 bits). Far from the end of the data, so that it cannot be used up.
        while (in.far_from_end()) {
            in.refill_fast();
            // The colour as it stands in the group table's index.
            std::uint64_t colour_index = std::uint64_t {colour} << mh::group_window_bits;
            bool other = false;
            if (painter.x() <= mh::line_pixels - 4 * mh::group_max_span) {
                // Four groups cannot pass the line's end, so no group is checked on its own. A
                // window that begins no group has the entry 0, which changes nothing; the
                // lookups after it find the same entry, and it is seen after the fourth.
                std::uint64_t entry = 0;
#pragma GCC unroll 4
                for (int step = 0; step < 4; ++step) {
                    entry = groups[colour_index | (in.bits() & mh::group_window_mask)];
                    painter.paint_group(entry, static_cast<unsigned>(entry >> mh::group_span_shift) & mh::group_span_mask);
                    in.consume(static_cast<unsigned>(entry & mh::group_code_bits_mask));
                    colour_index ^= entry & mh::group_colour_flips;
                }
                other = (entry & mh::group_code_bits_mask) == 0;
            } else {
                for (int step = 0; step < 4; ++step) {
                    const std::uint64_t entry = groups[colour_index | (in.bits() & mh::group_window_mask)];
                    const unsigned span = static_cast<unsigned>(entry >> mh::group_span_shift) & mh::group_span_mask;
                    if ((entry & mh::group_code_bits_mask) == 0 || painter.x() + span > mh::line_pixels) {
                        other = true;
                        break;
                    }
                    painter.paint_group(entry, span);
                    in.consume(static_cast<unsigned>(entry & mh::group_code_bits_mask));
                    colour_index ^= entry & mh::group_colour_flips;
                }
            }
            colour = static_cast<std::uint32_t>(colour_index >> mh::group_window_bits);
            if (other) break;
        }

        // Anything else, one code at a time with every check: make-up codes, codes that reach
        // the line's end, EOLs, bits that begin no code, and the end of the data.
        if (in.available() < 32) in.refill();
        if (painter.x() == 0 && colour == 0) {
            // Runs of all-white lines, as on a mostly empty page: a white line's codes, the fill
            // bits after them and the EOL that closes the line, taken in one step while the data
            // cannot be used up in between; what the codes one at a time would do. The lines
            // after the first that are coded the same way are passed over in one go.
            const int first = done;
            const std::uint64_t bits = in.bits();
            const std::uint64_t after = bits >> 17;
            if ((bits & white_line_mask) == white_line_bits && after != 0) {
                const unsigned fill_zeros = static_cast<unsigned>(__builtin_ctzll(after)) - 11;
                const unsigned taken = 17 + fill_zeros + 12;
                if (fill_zeros <= 27 && taken <= in.available() && in.bits_left() > taken) {
                    const std::uint64_t coded_line = bits & ((std::uint64_t {1} << taken) - 1);
                    done += in.skip_repeats(coded_line, taken, lines_per_block - done);
                }
            }
            if (done != first) {
                std::fill(block.has_black.begin() + first, block.has_black.begin() + done, false);
                lines += done - first;
                line += static_cast<std::size_t>(done - first) * mh::line_bytes;
                painter.start(line);
                eols = 0;
                if (done == lines_per_block) break;
                continue;
            }
        }
        const std::uint64_t bits = in.bits();
        const std::uint16_t entry = codes[colour].entries[bits & (mh::window_count - 1)];
        const unsigned length = entry >> 11;
        if (length != 0) {
            if (painter.x() == 0 && colour == 0 && (bits & white_line_mask) == white_line_bits && in.bits_left() > 9) {
                // A whole white line in one step: make-up 1728 (colour stays white), then
                // terminating 0 (colour turns black). Nothing to draw.
                painter.skip_white_line();
                colour = 1;
                in.advance_bits(17);
            } else {
                unsigned run = entry & 0x7FF;
                const bool black = colour != 0;
                if (run < 64) colour ^= 1;
                if (painter.x() + run > mh::line_pixels) run = mh::line_pixels - painter.x();
                painter.paint_run(run, black);
                in.advance_bits(length);
            }
        } else if (begins_with_eol(bits)) {
            // EOL windows begin no code in either colour, so they are told apart here.
            in.advance_bits(12);
            if (painter.x() > 0) {
                ++lines;
                const bool has_black = painter.has_black();
                if (has_black) painter.finish();
                block.has_black[static_cast<std::size_t>(done)] = has_black;
                if (track_black && has_black) last_black_line = lines;
                ++done;
                line += mh::line_bytes;
                painter.start(line);
                eols = 0;
            } else if (++eols == empty_eols_at_page_end) {
                page_ended = true;
            }
            colour = 0;
        } else {
            // No code begins here (the window starts with seven 0 bits). Pass over the zero bits
            // up to the next place where an EOL or a code can begin: exactly eleven zeros (an
            // EOL) or six.
            const unsigned zeros = in.known_leading_zeros();
            std::uint64_t skip = zeros >= 11 ? zeros - 11 : zeros - 6;
            if (skip == 0) skip = 1;
            if (skip > in.bits_left()) skip = in.bits_left();
            in.advance_bits(static_cast<unsigned>(skip));
        }
        if (page_ended || in.used_up()) {
            ended = true;
            break;
        }
        if (done == lines_per_block) break;
    }
    reader = in;
    empty_eols = eols;
}

// How many lines without a black pixel follow from `index` (up to `end`), eight flags at a time.
int white_lines_at(const LineBlock& block, int index, int end) {
    int at = index;
    while (at + 8 <= end) {
        std::uint64_t flags;
        std::memcpy(&flags, block.has_black.data() + at, 8);
        if (flags != 0) break;
        at += 8;
    }
    while (at < end && !block.has_black[static_cast<std::size_t>(at)]) ++at;
    return at - index;
}

}  // namespace

void set_black_run(std::uint8_t* line, std::uint16_t count, std::uint16_t x) {
    if (count == 0) return;
    std::uint8_t* p = line + x / 8;
    const unsigned s = x % 8;
    unsigned left = count;
    if (s != 0) {
        if (left < 8 - s) {
            *p |= static_cast<std::uint8_t>(mh::fill_masks[left] >> s);
            return;
        }
        *p++ |= static_cast<std::uint8_t>(0xFF >> s);
        left -= 8 - s;
    }
    std::memset(p, 0xFF, left / 8);
    p += left / 8;
    if (left % 8 != 0) *p |= mh::fill_masks[left % 8];
}

PackedBitmap decode_page(const std::uint8_t* data, std::int32_t length, std::uint8_t double_lines, int trim) {
    if (length < 8) return {};
    const bool track_black = (trim & trim_trailing_white) != 0;
    Decoder decoder {mh::StreamBits(data, length)};
    decoder.ended = decoder.reader.used_up();
    std::vector<LineBlock> blocks;
    blocks.reserve(max_line_blocks);
    while (!decoder.ended && blocks.size() < max_line_blocks) {
        LineBlock block {MemoryBlock::allocate_for_overwrite(line_block_bytes + line_slack_bytes)};
        if (!block.lines) break;
        blocks.push_back(std::move(block));
        decoder.fill(blocks.back(), track_black);
    }

    std::int32_t lines = decoder.lines;
    if (track_black && lines > decoder.last_black_line + 2) lines = decoder.last_black_line + 2;
    const std::size_t copies = double_lines ? 2 : 1;
    const std::size_t rows = static_cast<std::size_t>(lines) * copies;
    PackedBitmap bitmap = MemoryBlock::allocate_for_overwrite(rows * mh::line_bytes + bitmap_header_bytes);
    if (!bitmap) return {};

    // The first decoded line is the top row of the image, the last row of the block. Runs of
    // white lines are cleared with one memset each.
    std::uint8_t* row = bitmap.data() + bitmap_header_bytes + rows * mh::line_bytes;
    std::size_t white_rows = 0;
    auto clear_white_rows = [&] {
        std::memset(row, 0, white_rows * mh::line_bytes);
        white_rows = 0;
    };
    for (std::int32_t line = 0; line < lines;) {
        const LineBlock& block = blocks[static_cast<std::size_t>(line / lines_per_block)];
        const int index = line % lines_per_block;
        const int block_end = std::min(lines_per_block, index + (lines - line));
        const int white = white_lines_at(block, index, block_end);
        if (white != 0) {
            row -= static_cast<std::size_t>(white) * copies * mh::line_bytes;
            white_rows += static_cast<std::size_t>(white) * copies;
            line += white;
            continue;
        }
        if (white_rows != 0) {
            clear_white_rows();
        }
        row -= copies * mh::line_bytes;
        const std::uint8_t* source = block.lines.data() + static_cast<std::size_t>(index) * mh::line_bytes;
        for (std::size_t copy = 0; copy < copies; ++copy) std::memcpy(row + copy * mh::line_bytes, source, mh::line_bytes);
        ++line;
    }
    clear_white_rows();
    blocks.clear();

    std::memset(bitmap.data(), 0, bitmap_header_bytes);
    write_u32(bitmap, bitmap_field::header_size, info_header_bytes);
    write_u32(bitmap, bitmap_field::width, mh::line_pixels);
    write_u32(bitmap, bitmap_field::height, static_cast<std::uint32_t>(rows));
    write_u16(bitmap, bitmap_field::planes, 1);
    write_u16(bitmap, bitmap_field::bits_per_pixel, 1);
    const std::uint8_t palette[8] = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0};
    std::memcpy(bitmap.data() + info_header_bytes, palette, sizeof palette);
    return bitmap;
}

}  // namespace korvif
