#include "codec/page_decoder.h"

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

struct LineBlocks {
    std::vector<MemoryBlock> blocks;
    std::int32_t lines = 0;
    std::int32_t last_black_line = 0;
};

struct Decoder {
    mh::MhReader reader;
    bool black = false;
    unsigned x = 0;
    bool line_has_black = false;
    int empty_eols = -1;

    // Decodes into `line`, the first free line of a block, until `room` lines are complete or the
    // page ends. Returns the number of lines completed; sets `ended` when the page is over.
    int fill(std::uint8_t* line, int room, bool track_black, std::int32_t& lines, std::int32_t& last_black_line,
             bool& ended);
};

int Decoder::fill(std::uint8_t* line, int room, bool track_black, std::int32_t& lines,
                  std::int32_t& last_black_line, bool& ended) {
    int done = 0;
    while (done < room) {
        const std::uint32_t window = reader.read_window();
        if (mh::is_eol_window(window)) {
            reader.advance_bits(12);
            if (x > 0) {
                ++lines;
                ++done;
                if (track_black && line_has_black) last_black_line = lines;
                line += mh::line_bytes;
                x = 0;
                line_has_black = false;
                empty_eols = 0;
            } else if (++empty_eols == empty_eols_at_page_end) {
                ended = true;
                return done;
            }
            black = false;
        } else {
            const unsigned length = (black ? mh::black_decode_lengths[window] : mh::white_decode_lengths[window]) & 0x7F;
            if (length == 0) {
                // No code begins here (the window starts with seven 0 bits). Pass over the zero
                // bits up to the next place where an EOL or a code can begin: exactly eleven
                // zeros (an EOL) or six.
                const unsigned zeros = reader.known_leading_zeros();
                unsigned skip = zeros >= 11 ? zeros - 11 : zeros - 6;
                if (skip == 0) skip = 1;
                if (skip > reader.bits_left()) skip = static_cast<unsigned>(reader.bits_left());
                reader.advance_bits(skip);
            } else {
                unsigned run = black ? mh::black_decode_runs[window] : mh::white_decode_runs[window];
                const bool was_black = black;
                if (run < 64) black = !black;
                if (x + run > mh::line_pixels) run = mh::line_pixels - x;
                if (was_black && run > 0) {
                    set_black_run(line, static_cast<std::uint16_t>(run), static_cast<std::uint16_t>(x));
                    line_has_black = true;
                }
                x += run;
                reader.advance_bits(length);
            }
        }
        if (reader.used_up()) {
            ended = true;
            return done;
        }
    }
    return done;
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
    LineBlocks decoded;
    bool ended = decoder.reader.used_up();
    while (!ended && decoded.blocks.size() < max_line_blocks) {
        MemoryBlock block = MemoryBlock::allocate(line_block_bytes);
        if (!block) break;
        decoded.blocks.push_back(std::move(block));
        decoder.fill(decoded.blocks.back().data(), lines_per_block, track_black, decoded.lines,
                     decoded.last_black_line, ended);
    }

    std::int32_t lines = decoded.lines;
    if (track_black && lines > decoded.last_black_line + 2) lines = decoded.last_black_line + 2;
    const std::size_t rows = static_cast<std::size_t>(lines) * (double_lines ? 2 : 1);
    PackedBitmap bitmap = MemoryBlock::allocate(rows * mh::line_bytes + bitmap_header_bytes);
    if (!bitmap) return {};

    // The first decoded line is the top row of the image, the last row of the block.
    std::uint8_t* row = bitmap.data() + bitmap_header_bytes + rows * mh::line_bytes;
    for (std::int32_t line = 0; line < lines; ++line) {
        const std::uint8_t* source = decoded.blocks[static_cast<std::size_t>(line / lines_per_block)].data() +
                                     static_cast<std::size_t>(line % lines_per_block) * mh::line_bytes;
        for (int copy = double_lines ? 2 : 1; copy > 0; --copy) {
            row -= mh::line_bytes;
            std::memcpy(row, source, mh::line_bytes);
        }
    }
    decoded.blocks.clear();

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
