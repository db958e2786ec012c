#include "codec/sff_recoder.h"

#include <array>
#include <cstring>
#include <vector>

#include "codec/mh_tables.h"
#include "codec/sff_records.h"
#include "codec/stream_bits.h"
#include "codec/stream_decode_tables.h"

namespace korvif {

namespace {

constexpr std::uint32_t guard_bits = 8000;      // a damaged line longer than this is ended

// SFF records go to the sink through one buffer per call; after a refusal nothing more is put.
class RecordWriter {
public:
    explicit RecordWriter(ByteSink& sink) : sink_(sink), pending_(32 * 1024) {}
    ~RecordWriter() { flush(); }
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    void byte(std::uint8_t value) { bytes(&value, 1); }
    void bytes(const std::uint8_t* data, std::size_t count) {
        if (used_ + count > pending_.size()) flush();
        std::memcpy(pending_.data() + used_, data, count);
        used_ += count;
    }
    void flush() {
        if (used_ != 0 && !refused_) refused_ = !sink_.put(pending_.data(), used_);
        used_ = 0;
    }

private:
    ByteSink& sink_;
    bool refused_ = false;
    std::vector<std::uint8_t> pending_;
    std::size_t used_ = 0;
};

}  // namespace

void emit_code(std::uint8_t* buffer, std::uint32_t& position, std::uint32_t value, unsigned length, unsigned skip) {
    const unsigned count = length - skip;
    if (count == 0) return;
    const std::uint32_t bits = (value >> skip) & (count == 32 ? ~0u : (1u << count) - 1);
    const unsigned offset = position % 8;
    // At most 25 code bits after at most 7 bits of the first byte: one 32-bit window.
    const std::uint32_t window = bits << (32 - count - offset);
    std::uint8_t* at = buffer + position / 8;
    at[0] |= static_cast<std::uint8_t>(window >> 24);
    at[1] |= static_cast<std::uint8_t>(window >> 16);
    at[2] |= static_cast<std::uint8_t>(window >> 8);
    at[3] |= static_cast<std::uint8_t>(window);
    position += count;
}

void recode_page_to_sff(const std::uint8_t* data, ByteSink& sff, std::int32_t length) {
    mh::StreamBits reader(data, length);
    if (reader.used_up()) return;
    const auto& code_tables = mh::stream_code_tables();
    RecordWriter out(sff);
    std::array<std::uint8_t, 1024> line {};
    std::uint32_t bits = 0;
    bool black = false;
    unsigned x = 0;
    bool line_has_black = false;
    bool line_full = false;  // a run was cut at the line's end: the line's further codes are dropped
    unsigned blanks = 0;
    int empty_eols = 0;

    for (;;) {
        const std::uint64_t window = reader.bits();
        if (mh::begins_with_eol(window) || bits > guard_bits) {
            reader.advance_bits(12);
            if (x > 0) {
                empty_eols = 0;
                x = 0;
            } else if (++empty_eols == mh::empty_eols_at_page_end) {
                break;
            }
            black = false;
            std::uint32_t bytes = (bits + 7) / 8;
            // A line of 17 to 24 bits is a blank line when it holds no black pixel: the coded
            // all-white line is one. A short line with ink keeps its record.
            if (bytes == 3 && !line_has_black) {
                ++blanks;
                bytes = 0;
            }
            if (blanks > 0 && (bytes > 0 || blanks >= sff::most_blank_lines || empty_eols > 0)) {
                out.byte(static_cast<std::uint8_t>(sff::blank_lines_base + blanks));
                blanks = 0;
            }
            if (bytes > 0) {
                for (std::uint32_t i = 0; i < bytes; ++i) line[i] = mh::byte_reverse[line[i]];
                if (bytes > sff::longest_short_line) {
                    const std::uint8_t long_form[3] = {sff::long_line_record, static_cast<std::uint8_t>(bytes), static_cast<std::uint8_t>(bytes >> 8)};
                    out.bytes(long_form, 3);
                } else {
                    out.byte(static_cast<std::uint8_t>(bytes));
                }
                out.bytes(line.data(), bytes);
            }
            std::memset(line.data(), 0, (bits + 7) / 8);
            bits = 0;
            line_has_black = false;
            line_full = false;
        } else {
            const std::uint16_t entry = code_tables[black ? 1 : 0].entries[window & (mh::window_count - 1)];
            const unsigned code_length = entry >> 11;
            if (code_length == 0) {
                reader.advance_bits(1);
            } else {
                unsigned run = entry & 0x7FF;
                const bool was_black = black;
                if (run < 64) black = !black;
                reader.advance_bits(code_length);
                if (!line_full) {
                    // A run that would pass the line's end is written whole up to the end (make-up
                    // and terminating code), so that readers see a well-formed line of 1728
                    // pixels; a make-up code that fits is written alone, its terminating code
                    // follows in the data.
                    const bool cut = x + run > mh::line_pixels;
                    if (cut) run = mh::line_pixels - x;
                    x += run;
                    line_full = cut;
                    if (was_black && run > 0) line_has_black = true;
                    const auto& codes = was_black ? mh::black_codes : mh::white_codes;
                    const auto& lengths = was_black ? mh::black_code_lengths : mh::white_code_lengths;
                    const unsigned skip = run <= 63 || cut ? 0 : lengths[run % 64];
                    emit_code(line.data(), bits, static_cast<std::uint32_t>(codes[run]), lengths[run], skip);
                }
            }
        }
        if (reader.used_up()) break;
    }
    if (blanks > 0) out.byte(static_cast<std::uint8_t>(sff::blank_lines_base + blanks));
}

}  // namespace korvif
