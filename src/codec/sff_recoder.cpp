#include "codec/sff_recoder.h"

#include <array>
#include <cstring>
#include <vector>

#include "codec/bit_writer.h"
#include "codec/damaged_lines.h"
#include "codec/encode_table.h"
#include "codec/mh_tables.h"
#include "codec/sff_records.h"
#include "codec/stream_bits.h"
#include "codec/stream_decode_tables.h"

namespace korvif {

namespace {

static_assert(mh::encode_table.colour[0][mh::line_pixels].bits() == mh::white_line_bits &&
              mh::encode_table.colour[0][mh::line_pixels].length() == mh::white_line_length);

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

void recode_page_to_sff(std::span<const std::uint8_t> data, ByteSink& sff) {
    // A page lies in a file of less than 2 GiB.
    mh::StreamBits reader(data.data(), static_cast<std::int32_t>(std::min<std::size_t>(data.size(), INT32_MAX)));
    if (reader.used_up()) return;
    const auto& code_tables = mh::stream_code_tables();
    RecordWriter out(sff);
    // A line's codes, as SFF line records and MH data keep them: the codes read go in as they
    // were read, without reversing a bit. Room for the longest line the re-coder lets through
    // (Damaged lines, "overlong lines": 8,000 bits and one more code) and the eight bytes of the
    // last store.
    std::array<std::uint8_t, 1024> line_bytes;
    mh::BitWriter line(line_bytes.data());
    unsigned black = 0;
    // Pixels of the line so far; past_the_end once a run was cut at the line's end, after which
    // the line's further codes are dropped (Damaged lines, "codes after a cut run").
    constexpr unsigned past_the_end = mh::line_pixels + 1;
    unsigned x = 0;
    bool line_has_black = false;
    unsigned blanks = 0;
    int empty_eols = mh::recoder_empty_eols_at_start;

    // The black table follows the white one: a colour's table is its number times the size on.
    const mh::CodeEntry* const tables = code_tables[0].entries.data();
    static_assert(sizeof code_tables[0] == mh::window_count * sizeof(mh::CodeEntry));

    for (;;) {
        const std::uint64_t window = reader.bits();
        // Windows that begin with an EOL begin no code, in either colour.
        const mh::CodeEntry entry = tables[black << mh::window_bits | (window & (mh::window_count - 1))];
        const unsigned code_length = mh::code_length(entry);
        if (code_length != 0 && line.bit_count() <= mh::longest_recoded_line_bits) {
            unsigned run = mh::code_run(entry);
            const unsigned was_black = black;
            black ^= run < 64 ? 1 : 0;
            reader.advance_bits(code_length);
            if (x + run <= mh::line_pixels) {
                // The code as read (a make-up code alone: its terminating code follows).
                x += run;
                line_has_black |= was_black != 0 && run > 0;
                line.put(window & ((std::uint64_t {1} << code_length) - 1), code_length);
            } else if (x <= mh::line_pixels) {
                // Damaged lines, "run past the end" (the extended make-up codes among them): the
                // run is written whole up to the end (make-up and terminating code), so that
                // readers see a well-formed line of 1728 pixels; the line's further codes are
                // dropped.
                run = mh::line_pixels - x;
                x = past_the_end;
                line_has_black |= was_black != 0 && run > 0;
                line.put(mh::encode_table.colour[was_black][run]);
            }
        } else if (mh::begins_with_eol(window) || line.bit_count() > mh::longest_recoded_line_bits) {
            // The EOL ends the line (Damaged lines, "overlong lines": so does a line of more
            // than 8,000 bits of codes).
            reader.advance_bits(12);
            if (x > 0) {
                empty_eols = 0;
                x = 0;
            } else if (++empty_eols == mh::empty_eols_at_page_end) {
                break;  // Damaged lines, "page end"
            }
            black = 0;
            auto bytes = static_cast<std::uint32_t>((line.bit_count() + 7) / 8);
            // Damaged lines, "blank-line records": a line of 17 to 24 bits is a blank line when it
            // holds no black pixel (the coded all-white line is one); a short line with ink keeps
            // its record.
            if (bytes == mh::blank_line_bytes && !line_has_black) {
                ++blanks;
                bytes = 0;
            }
            if (blanks > 0 && (bytes > 0 || blanks >= sff::most_blank_lines || empty_eols > 0)) {
                out.byte(static_cast<std::uint8_t>(sff::blank_lines_base + blanks));
                blanks = 0;
            }
            if (bytes > 0) {
                if (bytes > sff::longest_short_line) {
                    const std::uint8_t long_form[3] = {sff::long_line_record, static_cast<std::uint8_t>(bytes),
                                                       static_cast<std::uint8_t>(bytes >> 8)};
                    out.bytes(long_form, 3);
                } else {
                    out.byte(static_cast<std::uint8_t>(bytes));
                }
                out.bytes(line_bytes.data(), bytes);
            }
            line.restart();
            line_has_black = false;
            // A white line that follows, both its codes in one step, as the steps one code at a
            // time would take them.
            if (mh::begins_with_white_line(reader.bits()) && reader.bits_left() > mh::white_line_makeup_length) {
                line.put(mh::white_line_bits, mh::white_line_length);
                x = mh::line_pixels;
                black = 1;
                reader.advance_bits(mh::white_line_length);
            }
        } else {
            reader.advance_bits(1);  // Damaged lines, "bits that begin no code"
        }
        if (reader.used_up()) break;  // Damaged lines, "data end": a line not closed is not written
    }
    if (blanks > 0) out.byte(static_cast<std::uint8_t>(sff::blank_lines_base + blanks));
}

}  // namespace korvif
