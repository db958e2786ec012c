#include "codec/page_decoder.h"

#include <array>
#include <cstring>
#include <vector>

#include "codec/mh_reader.h"
#include "codec/mh_tables.h"

namespace korvif {

namespace {

constexpr std::size_t line_block_bytes = std::size_t {lines_per_block} * mh::line_bytes;
constexpr std::uint32_t bitmap_header_bytes = info_header_bytes + two_colour_palette_bytes;

// Decoding stops after the sixth empty EOL: the count starts at -1 and the page ends when it
// reaches 5. An EOL that closes a line sets the count back to 0, so empty EOLs scattered
// between lines (doubled EOLs in a received fax) do not end the page; only a run of them does,
// as at the RTC.
constexpr int empty_eols_at_page_end = 5;

// The decode tables of one colour packed into one 16 KiB table: run | length << 11. Both colours
// together stay in the first-level cache.
struct PackedDecodeTable {
    std::array<std::uint16_t, mh::window_count> entries;
};

PackedDecodeTable pack(const std::array<std::uint16_t, mh::window_count>& runs,
                       const std::array<std::uint8_t, mh::window_count>& lengths) {
    PackedDecodeTable table {};
    for (int w = 0; w < mh::window_count; ++w) {
        table.entries[w] = static_cast<std::uint16_t>(runs[w] | ((lengths[w] & 0x7F) << 11));
    }
    return table;
}

// Made on first use, so that decoding works also while other static objects are initialised.
const PackedDecodeTable* packed_tables() {
    static const PackedDecodeTable tables[2] = {
        pack(mh::white_decode_runs, mh::white_decode_lengths),
        pack(mh::black_decode_runs, mh::black_decode_lengths),
    };
    return tables;
}

// Two terminating codes in one lookup: a code of the window's colour and, when it fits in the
// rest of the 13 bits, the code of the other colour after it. The colour is then the same as
// before the pair. Bits 0-5 and 6-9: the first run and length; 10-15 and 16-19: the second;
// bit 20: the entry holds a pair.
constexpr std::uint32_t pair_valid = 1u << 20;

struct PairTable {
    std::array<std::uint32_t, mh::window_count> entries;
};

PairTable make_pairs(const PackedDecodeTable& first, const PackedDecodeTable& second) {
    PairTable table {};
    for (std::uint32_t w = 0; w < mh::window_count; ++w) {
        const unsigned length1 = first.entries[w] >> 11;
        const unsigned run1 = first.entries[w] & 0x7FF;
        if (length1 == 0 || run1 >= 64) continue;
        // The bits after the first code, the unknown ones after them zero: a code that fits in
        // the known bits is the same whatever follows.
        const std::uint32_t rest = (w << length1) & (mh::window_count - 1);
        const unsigned length2 = second.entries[rest] >> 11;
        const unsigned run2 = second.entries[rest] & 0x7FF;
        if (length2 == 0 || length2 > mh::window_bits - length1 || run2 >= 64) continue;
        table.entries[w] = run1 | (length1 << 6) | (run2 << 10) | (length2 << 16) | pair_valid;
    }
    return table;
}

const PairTable* pair_tables() {
    static const PairTable tables[2] = {
        make_pairs(packed_tables()[0], packed_tables()[1]),
        make_pairs(packed_tables()[1], packed_tables()[0]),
    };
    return tables;
}

// The codes of an all-white line, white make-up 1728 then white terminating 0: 17 bits.
constexpr std::uint32_t white_line_bits = 0b01001101100110101;

// A block of 512 raster lines. A line is zeroed when its first black run arrives; lines that
// never get one are not touched and count as white.
struct LineBlock {
    MemoryBlock lines;
    std::array<bool, lines_per_block> has_black {};
};

// Sets bits [x, x + count) of a raster line, most significant bit first.
inline void fill_black(std::uint8_t* line, unsigned x, unsigned count) {
    const unsigned first_byte = x / 8;
    const unsigned shift = x % 8;
    if (shift + count <= 57 && first_byte + 8 <= mh::line_bytes) {
        std::uint64_t word;
        std::memcpy(&word, line + first_byte, 8);
        const std::uint64_t mask = (~std::uint64_t {0} >> shift) & ~(~std::uint64_t {0} >> (shift + count));
        word |= __builtin_bswap64(mask);
        std::memcpy(line + first_byte, &word, 8);
        return;
    }
    set_black_run(line, static_cast<std::uint16_t>(count), static_cast<std::uint16_t>(x));
}

struct Decoder {
    mh::MhReader reader;
    bool black = false;
    unsigned x = 0;
    bool line_has_black = false;
    int empty_eols = -1;
    std::int32_t lines = 0;
    std::int32_t last_black_line = 0;
    bool ended = false;

    // Decodes into the lines of `block` until it is full or the page ends.
    void fill(LineBlock& block, bool track_black);
};

void Decoder::fill(LineBlock& block, bool track_black) {
    int done = 0;
    std::uint8_t* line = block.lines.data();
    const PackedDecodeTable* tables = packed_tables();
    const PairTable* pairs = pair_tables();
    while (done < lines_per_block) {
        const std::uint32_t window = reader.read_window();
        const std::uint32_t pair = pairs[black].entries[window];
        if (pair & pair_valid) {
            const unsigned run1 = pair & 63;
            const unsigned length1 = (pair >> 6) & 15;
            const unsigned run2 = (pair >> 10) & 63;
            const unsigned length2 = (pair >> 16) & 15;
            // Both runs inside the line, and the data not used up after the first code: the
            // pair does what the two codes one after the other would do.
            if (x + run1 + run2 <= mh::line_pixels && reader.bits_left() > length1) {
                const unsigned black_start = black ? x : x + run1;
                const unsigned black_run = black ? run1 : run2;
                if (black_run != 0) {
                    if (!line_has_black) {
                        std::memset(line, 0, mh::line_bytes);
                        line_has_black = true;
                    }
                    fill_black(line, black_start, black_run);
                }
                x += run1 + run2;
                reader.advance_bits(length1 + length2);
                if (reader.used_up()) {
                    ended = true;
                    return;
                }
                continue;
            }
        }
        const std::uint32_t entry = tables[black].entries[window];
        const unsigned length = entry >> 11;
        if (length != 0) {
            if (x == 0 && !black && reader.bits_left() > 9 && reader.peek_bits(17) == white_line_bits) {
                // A whole white line in one step: make-up 1728 (colour stays white), then
                // terminating 0 (colour turns black). Nothing to draw.
                x = mh::line_pixels;
                black = true;
                reader.advance_bits(17);
            } else {
                unsigned run = entry & 0x7FF;
                const bool was_black = black;
                if (run < 64) black = !black;
                if (x + run > mh::line_pixels) run = mh::line_pixels - x;
                if (was_black && run != 0) {
                    if (!line_has_black) {
                        std::memset(line, 0, mh::line_bytes);
                        line_has_black = true;
                    }
                    fill_black(line, x, run);
                }
                x += run;
                reader.advance_bits(length);
            }
        } else if (mh::is_eol_window(window)) {
            // EOL windows begin no code in either colour, so they are told apart here.
            reader.advance_bits(12);
            if (x > 0) {
                ++lines;
                block.has_black[done] = line_has_black;
                if (track_black && line_has_black) last_black_line = lines;
                ++done;
                line += mh::line_bytes;
                x = 0;
                line_has_black = false;
                empty_eols = 0;
            } else if (++empty_eols == empty_eols_at_page_end) {
                ended = true;
                return;
            }
            black = false;
        } else {
            // No code begins here (the window starts with seven 0 bits). Pass over the zero bits
            // up to the next place where an EOL or a code can begin: exactly eleven zeros (an
            // EOL) or six.
            const unsigned zeros = reader.known_leading_zeros();
            std::uint64_t skip = zeros >= 11 ? zeros - 11 : zeros - 6;
            if (skip == 0) skip = 1;
            if (skip > reader.bits_left()) skip = reader.bits_left();
            reader.advance_bits(static_cast<unsigned>(skip));
        }
        if (reader.used_up()) {
            ended = true;
            return;
        }
    }
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
    Decoder decoder {mh::MhReader(data, length)};
    decoder.ended = decoder.reader.used_up();
    std::vector<LineBlock> blocks;
    blocks.reserve(max_line_blocks);
    while (!decoder.ended && blocks.size() < max_line_blocks) {
        LineBlock block {MemoryBlock::allocate_for_overwrite(line_block_bytes)};
        if (!block.lines) break;
        blocks.push_back(std::move(block));
        decoder.line_has_black = false;
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
    for (std::int32_t line = 0; line < lines; ++line) {
        const LineBlock& block = blocks[static_cast<std::size_t>(line / lines_per_block)];
        const int index = line % lines_per_block;
        row -= copies * mh::line_bytes;
        if (!block.has_black[index]) {
            white_rows += copies;
            continue;
        }
        if (white_rows != 0) {
            row += copies * mh::line_bytes;
            clear_white_rows();
            row -= copies * mh::line_bytes;
        }
        const std::uint8_t* source = block.lines.data() + static_cast<std::size_t>(index) * mh::line_bytes;
        for (std::size_t copy = 0; copy < copies; ++copy) std::memcpy(row + copy * mh::line_bytes, source, mh::line_bytes);
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
