#include "support/reference_codec.h"

#include "codec/mh_tables.h"
#include "support/mh_test_tables.h"

namespace korvif::test {

namespace {

// The MH reader word by word: a current word, a bit offset in it, and a count of words that
// may still be consumed.
struct WordReader {
    const std::uint8_t* data;
    std::int32_t length;
    std::int64_t word = 0;
    unsigned bit = 0;
    std::int64_t words_left;

    WordReader(const std::uint8_t* d, std::int32_t l)
        : data(d), length(l), words_left((static_cast<std::int64_t>(l) - 1) / 2) {}

    std::uint32_t reversed_word(std::int64_t index) const {
        auto byte = [&](std::int64_t i) -> std::uint32_t { return i < length ? data[i] : 0u; };
        return mh::word_reverse[byte(2 * index) | (byte(2 * index + 1) << 8)];
    }

    std::uint32_t read_window() const {
        const std::uint32_t v0 = reversed_word(word);
        if (bit <= 3) return (v0 >> (3 - bit)) & 0x1FFF;
        const std::uint32_t v1 = reversed_word(word + 1);
        return ((v0 << (bit - 3)) | (v1 >> (19 - bit))) & 0x1FFF;
    }

    // Returns true when the last word that may be consumed has been consumed.
    bool advance_bits(unsigned k) {
        bit += k;
        if (bit >= 16) {
            bit -= 16;
            ++word;
            if (--words_left <= 0) return true;
        }
        return false;
    }
};

// The extended make-up code (either colour) that begins the window, compared bit by bit: its
// length and run, or 0. Damaged lines, "extended make-up codes".
unsigned extended_code(std::uint32_t w, unsigned& run) {
    for (const mh::CodeWord& code : mh::extended_makeup_codes) {
        unsigned n = 0;
        while (code.bits[n] != '\0' && ((w >> (12 - n)) & 1) == (code.bits[n] == '1' ? 1u : 0u)) ++n;
        if (code.bits[n] == '\0') {
            run = code.run;
            return n;
        }
    }
    return 0;
}

// One step on a window that is no EOL, the same in both decoders: where no code of the current
// colour begins, one bit is passed over and false returned
// (Damaged lines, "bits that begin no code"); otherwise the code's run is taken, the colour
// switched after a terminating code, and the code passed over.
// Damaged lines, "run past the end": the colour follows the run as read, and a run that would
// pass the line's end is cut there (`cut` tells).
bool take_code(WordReader& reader, std::uint32_t w, bool& black, unsigned x, unsigned& run, bool& was_black,
               bool& consumed_last, bool& cut) {
    unsigned n = (black ? mh::black_decode_lengths[w] : mh::white_decode_lengths[w]) & 0x7F;
    run = black ? mh::black_decode_runs[w] : mh::white_decode_runs[w];
    if (n == 0) n = extended_code(w, run);
    if (n == 0) {
        consumed_last = reader.advance_bits(1);
        return false;
    }
    was_black = black;
    if (run < 64) black = !black;
    cut = x + run > 1728;
    if (cut) run = 1728 - x;
    consumed_last = reader.advance_bits(n);
    return true;
}

// Appends a code word's bits, first bit first, to a buffer filled from the most significant bit
// of each byte.
void put_code_word(std::uint8_t* buffer, unsigned& at, const char* bits) {
    for (; *bits != '\0'; ++bits, ++at) {
        if (*bits == '1') buffer[at / 8] |= static_cast<std::uint8_t>(0x80 >> (at % 8));
    }
}

// The code of a run of 0 to 1728 pixels: for 64 and more the make-up code of the multiple of 64,
// then (unless makeup_only) the terminating code of the rest.
void put_run(std::uint8_t* buffer, unsigned& at, unsigned run, bool black, bool makeup_only = false) {
    if (run >= 64)
        put_code_word(buffer, at, (black ? mh::black_makeup_codes : mh::white_makeup_codes)[run / 64 - 1].bits);
    if (!makeup_only)
        put_code_word(buffer, at, (black ? mh::black_terminating_codes : mh::white_terminating_codes)[run % 64].bits);
}

}  // namespace

Bytes reference_decode_page(const std::uint8_t* data, std::int32_t length, DecodeOptions options) {
    if (length < 8) return {};
    WordReader reader(data, length);
    std::vector<std::vector<std::uint8_t>> lines;
    std::vector<std::uint8_t> line(216, 0);
    bool black = false;
    unsigned x = 0;
    int empty_eols = -1;
    std::int32_t last_black_line = 0;
    bool ended = reader.words_left <= 0;
    while (!ended && lines.size() < 65536) {  // Damaged lines, "line limit"
        const std::uint32_t w = reader.read_window();
        bool consumed_last;
        if ((w & 0x1FFE) == 2) {
            consumed_last = reader.advance_bits(12);
            if (x > 0) {
                lines.push_back(line);  // Damaged lines, "short lines": white up to the end
                bool any = false;
                for (std::uint8_t b : line) any = any || b != 0;
                if (options.trim_trailing_white && any) last_black_line = static_cast<std::int32_t>(lines.size());
                line.assign(216, 0);
                x = 0;
                empty_eols = 0;
            } else if (++empty_eols == 5) {  // Damaged lines, "page end" (the count began at -1)
                break;
            }
            black = false;
        } else {
            unsigned r = 0;
            bool was_black = false;
            bool cut = false;
            if (take_code(reader, w, black, x, r, was_black, consumed_last, cut)) {
                if (was_black) {
                    for (unsigned p = x; p < x + r; ++p) line[p / 8] |= static_cast<std::uint8_t>(0x80 >> (p % 8));
                }
                x += r;
            }
        }
        ended = consumed_last;  // Damaged lines, "data end": the line in progress is left out
    }
    std::size_t count = lines.size();
    if (options.trim_trailing_white && count > static_cast<std::size_t>(last_black_line) + 2)
        count = static_cast<std::size_t>(last_black_line) + 2;
    const std::size_t rows = count * (options.double_lines ? 2 : 1);
    Bytes bitmap(48 + rows * 216, 0);
    const std::uint32_t header[] = {40, 1728, static_cast<std::uint32_t>(rows)};
    for (int f = 0; f < 3; ++f) {
        for (int i = 0; i < 4; ++i) bitmap[4 * f + i] = static_cast<std::uint8_t>(header[f] >> (8 * i));
    }
    bitmap[12] = 1;
    bitmap[14] = 1;
    bitmap[40] = bitmap[41] = bitmap[42] = 0xFF;
    std::size_t row = rows;
    for (std::size_t i = 0; i < count; ++i) {
        for (int copy = options.double_lines ? 2 : 1; copy > 0; --copy) {
            --row;
            std::copy(lines[i].begin(), lines[i].end(), bitmap.begin() + 48 + static_cast<std::ptrdiff_t>(row * 216));
        }
    }
    return bitmap;
}

Bytes reference_recode_page_to_sff(const std::uint8_t* data, std::int32_t length) {
    Bytes out;
    WordReader reader(data, length);
    if (reader.words_left <= 0) return out;
    std::uint8_t line[1024] = {};
    unsigned bits = 0;
    bool black = false;
    unsigned x = 0;
    bool ink = false;
    bool dropping = false;
    unsigned blanks = 0;
    int empty_eols = 0;
    for (;;) {
        const std::uint32_t w = reader.read_window();
        bool consumed_last;
        if ((w & 0x1FFE) == 2 || bits > 8000) {  // Damaged lines, "overlong lines"
            consumed_last = reader.advance_bits(12);
            if (x > 0) {
                empty_eols = 0;
                x = 0;
            } else if (++empty_eols == 5) {  // Damaged lines, "page end" (the count began at 0)
                break;
            }
            black = false;
            std::uint32_t len = (bits + 7) / 8;
            if (len == 3 && !ink) {  // Damaged lines, "blank-line records"
                ++blanks;
                len = 0;
            }
            if (blanks > 0 && (len > 0 || blanks > 36 || empty_eols > 0)) {
                out.push_back(static_cast<std::uint8_t>(216 + blanks));
                blanks = 0;
            }
            if (len > 0) {
                if (len > 216) {
                    out.insert(out.end(), {0, static_cast<std::uint8_t>(len), static_cast<std::uint8_t>(len >> 8)});
                } else {
                    out.push_back(static_cast<std::uint8_t>(len));
                }
                for (std::uint32_t i = 0; i < len; ++i) out.push_back(mh::byte_reverse[line[i]]);
            }
            std::fill(std::begin(line), std::end(line), 0);
            bits = 0;
            ink = false;
            dropping = false;
        } else {
            unsigned r = 0;
            bool was_black = false;
            bool cut = false;
            // Damaged lines, "codes after a cut run": the line is full, its further codes are read
            // and dropped.
            if (take_code(reader, w, black, x, r, was_black, consumed_last, cut) && !dropping) {
                x += r;
                if (was_black && r > 0) ink = true;
                dropping = cut;
                // A make-up code is written alone (its terminating code follows in the data),
                // a cut run whole (Damaged lines, "run past the end").
                put_run(line, bits, r, was_black, r >= 64 && !cut);
            }
        }
        if (consumed_last) break;  // Damaged lines, "data end"
    }
    if (blanks > 0) out.push_back(static_cast<std::uint8_t>(216 + blanks));
    return out;
}

Bytes reference_encode_raster(const std::vector<Bytes>& rows, RowPairs pairs, bool rtc) {
    std::vector<Bytes> lines;
    if (pairs == RowPairs::merged) {
        // Pairs from the top row down: an odd last row takes part in none.
        for (std::size_t top = 0; top + 1 < rows.size(); top += 2) {
            Bytes line = rows[top];
            for (std::size_t i = 0; i < 216; ++i) line[i] |= rows[top + 1][i];
            lines.push_back(line);
        }
    } else {
        lines = rows;
    }
    Bytes out;
    if (lines.empty()) return out;
    auto pixel = [&](const Bytes& line, unsigned x) { return (line[x / 8] >> (7 - x % 8)) & 1; };
    bool first_line = true;
    for (const Bytes& line : lines) {
        std::uint8_t buffer[1024] = {};
        unsigned p = 0;
        if (first_line) {
            buffer[1] = 0x01;
            p = 16;
            first_line = false;
        }
        unsigned x = 0;
        while (x < 1728) {
            unsigned count = 0;
            while (x < 1728 && !pixel(line, x)) {
                ++count;
                ++x;
            }
            put_run(buffer, p, count, false);
            if (x == 1728) break;
            count = 0;
            while (x < 1728 && pixel(line, x)) {
                ++count;
                ++x;
            }
            put_run(buffer, p, count, true);
        }
        p = (p + 3) & ~3u;
        p += p % 8 == 0 ? 8 : 4;
        buffer[p / 8] = 0x01;
        p += 8;
        for (unsigned i = 0; i < p / 8; ++i) out.push_back(mh::byte_reverse[buffer[i]]);
    }
    if (rtc) out.insert(out.end(), mh::rtc_bytes.begin(), mh::rtc_bytes.end());
    return out;
}

}  // namespace korvif::test
