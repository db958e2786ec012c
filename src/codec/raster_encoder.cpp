#include "codec/raster_encoder.h"

#include <array>
#include <cstring>
#include <memory>

#include "codec/bit_writer.h"
#include "codec/encode_table.h"
#include "codec/mh_tables.h"

namespace korvif {

namespace {

std::uint64_t reverse_bits_in_each_byte(std::uint64_t v) {
    v = ((v >> 1) & 0x5555555555555555ull) | ((v & 0x5555555555555555ull) << 1);
    v = ((v >> 2) & 0x3333333333333333ull) | ((v & 0x3333333333333333ull) << 2);
    v = ((v >> 4) & 0x0F0F0F0F0F0F0F0Full) | ((v & 0x0F0F0F0F0F0F0F0Full) << 4);
    return v;
}

using Lane = std::uint64_t __attribute__((vector_size(16)));
static_assert(mh::line_bytes == 3 * 64 + 16 + 8);

// True when a row of 1728 pixels holds a black one: 16 bytes per OR, four independent ORs, so
// that the loads do not wait on one another. Inlined into the loop that codes the rows.
__attribute__((always_inline)) inline bool row_has_black(const std::uint8_t* row) {
    Lane lanes[4] = {};
    const auto or_into = [row](Lane& lane, unsigned at) {
        Lane bytes;
        std::memcpy(&bytes, row + at, 16);
        lane |= bytes;
    };
    for (unsigned at = 0; at + 64 <= mh::line_bytes; at += 64) {
        or_into(lanes[0], at);
        or_into(lanes[1], at + 16);
        or_into(lanes[2], at + 32);
        or_into(lanes[3], at + 48);
    }
    or_into(lanes[0], 192);
    std::uint64_t tail;
    std::memcpy(&tail, row + 208, 8);
    const Lane all = lanes[0] | lanes[1] | lanes[2] | lanes[3];
    return (all[0] | all[1] | tail) != 0;
}

// Writes the OR of two rows into `out`; true when it holds a black pixel.
bool merge_rows(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out) {
    Lane any[2] = {};
    for (unsigned at = 0; at + 16 <= mh::line_bytes; at += 16) {
        Lane x;
        Lane y;
        std::memcpy(&x, a + at, 16);
        std::memcpy(&y, b + at, 16);
        x |= y;
        std::memcpy(out + at, &x, 16);
        any[at / 16 % 2] |= x;
    }
    std::uint64_t x;
    std::uint64_t y;
    std::memcpy(&x, a + 208, 8);
    std::memcpy(&y, b + 208, 8);
    x |= y;
    std::memcpy(out + 208, &x, 8);
    const Lane all = any[0] | any[1];
    return (all[0] | all[1] | x) != 0;
}

// Codes a row and its closing EOL. The runs are found from the row's colour changes, 64 pixels
// at a time: a set bit in `changes` marks a pixel whose colour differs from the pixel before it
// (the pixel before the first counts as white). Runs alternate white, black, white, ..., the
// first one white and possibly empty; the last one ends at the line's end. For a row with at
// least one black pixel (white rows: code_white_row). The line begins at `out`, on a byte
// boundary; returns the end of it. Not inlined, so that the loop has the registers to itself.
__attribute__((noinline)) const std::uint8_t* code_row(std::uint8_t* out, const std::uint8_t* row,
                                                       const mh::EncodeTable& codes) {
    mh::BitWriter line(out);
    unsigned run_start = 0;
    // The table of the current colour; the colours' tables swap with one XOR.
    const auto white = reinterpret_cast<std::uintptr_t>(codes.colour[0].data());
    const std::uintptr_t swap = white ^ reinterpret_cast<std::uintptr_t>(codes.colour[1].data());
    std::uintptr_t table = white;
    std::uint64_t previous_last_pixel = 0;
    // 64 pixels at a time, the first of them pixel `base`.
    for (unsigned base = 0; base < mh::line_pixels; base += 64) {
        // 64 pixels with pixel 0 in bit 0, so that the changes are taken lowest bit first:
        // clearing the lowest set bit does not wait for the bit scan.
        std::uint64_t pixels;
        std::memcpy(&pixels, row + base / 8, 8);
        // 64 pixels of the colour of the pixel before them hold no change.
        if (pixels == (previous_last_pixel ? ~std::uint64_t {0} : 0)) continue;
        pixels = reverse_bits_in_each_byte(pixels);
        std::uint64_t changes = pixels ^ ((pixels << 1) | previous_last_pixel);
        previous_last_pixel = pixels >> 63;
        // Two changes per round and one store for both codes. A word with an odd number of
        // changes ends with a round whose second code is empty (no bits; its run an index
        // inside the table that is not used).
        while (changes != 0) {
            const unsigned first = base + static_cast<unsigned>(__builtin_ctzll(changes));
            changes &= changes - 1;
            const mh::EncodeEntry first_code = reinterpret_cast<const mh::EncodeEntry*>(table)[first - run_start];
            run_start = first;
            table ^= swap;
            const bool has_second = changes != 0;
            const unsigned second = base + (has_second ? static_cast<unsigned>(__builtin_ctzll(changes)) : 63);
            const mh::EncodeEntry second_code = reinterpret_cast<const mh::EncodeEntry*>(table)[second - run_start];
            line.put_two(first_code, has_second ? second_code : mh::EncodeEntry {});
            run_start = has_second ? second : run_start;
            table ^= has_second ? swap : 0;
            changes &= changes - 1;
        }
    }
    line.put(reinterpret_cast<const mh::EncodeEntry*>(table)[mh::line_pixels - run_start]);
    line.put_aligned_eol();
    return line.end();
}

void code_white_row(mh::BitWriter& line) {
    line.put(mh::encode_table.colour[0][mh::line_pixels]);
    line.put_aligned_eol();
}

// Coded lines go to the sink through a buffer; each line is coded straight into it. Once the
// sink refuses bytes, nothing more is put.
class LineWriter {
public:
    // The longest coded line takes under 7,900 bits; eight more bytes for the last store.
    static constexpr std::size_t line_room = 1024;

    explicit LineWriter(ByteSink& sink)
        : sink_(sink), pending_(std::make_unique_for_overwrite<std::uint8_t[]>(buffer_size)) {}

    // Room for one coded line (at line boundaries no bits are pending).
    std::uint8_t* room_for_line() {
        if (used_ + line_room > buffer_size) flush();
        return pending_.get() + used_;
    }
    // The line coded into room_for_line() ends at `end`.
    void added_line_up_to(const std::uint8_t* end) {
        line_start_ = used_;
        line_size_ = static_cast<std::size_t>(end - pending_.get()) - used_;
        used_ += line_size_;
    }

    // The last coded line once more: a row equal to the one before it codes to the same bytes,
    // as every coded line begins on a byte boundary. Writing the buffer out leaves its bytes as
    // they are, so the line is still there after a flush.
    void repeat_line() {
        if (used_ + line_size_ > buffer_size) flush();
        std::memmove(pending_.get() + used_, pending_.get() + line_start_, line_size_);
        line_start_ = used_;
        used_ += line_size_;
    }

    void add(const std::uint8_t* bytes, std::size_t count) {
        if (used_ + count > buffer_size) flush();
        std::memcpy(pending_.get() + used_, bytes, count);
        used_ += count;
    }

    bool refused() const { return refused_; }

    std::uint32_t flush() {
        if (used_ != 0 && !refused_) {
            refused_ = !sink_.put(pending_.get(), used_);
            if (!refused_) total_ += static_cast<std::uint32_t>(used_);
        }
        used_ = 0;
        return total_;
    }

private:
    ByteSink& sink_;
    bool refused_ = false;
    static constexpr std::size_t buffer_size = 64 * 1024;
    std::unique_ptr<std::uint8_t[]> pending_;  // bytes beyond `used_` are not set
    std::size_t used_ = 0;
    std::size_t line_start_ = 0;
    std::size_t line_size_ = 0;
    std::uint32_t total_ = 0;
};

// A row as the encoder gets it, with what is known of its pixels before they are read.
enum class Ink { unknown, none, some };
struct Row {
    const std::uint8_t* pixels;  // not read when ink is none
    Ink ink;
};

// The sources of rows, one for each form of RasterRows. Each hands out the rows top down, one per
// line; a row handed out stays as it is until the next one after it has been handed out.

// Rows one after another in memory, each a line.
class StridedRows {
public:
    explicit StridedRows(const RasterRows& rows) : first_(rows.first()), stride_(rows.stride()) {}
    // Each row from the first by its index: no pointer is ever made past the last row (with a
    // negative stride that would lie before the start of the caller's block).
    Row next() { return {first_ + static_cast<std::ptrdiff_t>(index_++) * stride_, Ink::unknown}; }

private:
    const std::uint8_t* first_;
    std::ptrdiff_t stride_;
    std::size_t index_ = 0;
};

// The lines of stretches, each as many times in a row as the view says.
class StretchRows {
public:
    explicit StretchRows(const RasterRows& rows) : stretch_(rows.stretches().data()), copies_(rows.copies()) {}
    Row next() {
        const Row row {stretch_->first + index_ * mh::line_bytes, stretch_->has_black[index_] ? Ink::some : Ink::none};
        if (++copy_ == copies_) {
            copy_ = 0;
            if (++index_ == stretch_->count) {
                ++stretch_;
                index_ = 0;
            }
        }
        return row;
    }

private:
    const LineStretch* stretch_;
    std::size_t index_ = 0;
    int copy_ = 0;
    int copies_;
};

// Each pair of rows of another source as one line, merged in a line buffer when both rows may
// hold black pixels. The pairs are counted from the top; an odd last row is never asked for.
template <typename Rows>
class MergedRows {
public:
    explicit MergedRows(const RasterRows& rows) : rows_(rows) {}
    Row next() {
        const Row upper = rows_.next();
        const Row lower = rows_.next();
        if (upper.ink == Ink::none) return lower;
        if (lower.ink == Ink::none) return upper;
        // Not the buffer of the row handed out last: the encoder may still compare with it.
        std::uint8_t* out = buffers_[merged_++ % 2];
        return {out, merge_rows(upper.pixels, lower.pixels, out) ? Ink::some : Ink::none};
    }

private:
    Rows rows_;
    std::uint8_t buffers_[2][mh::line_bytes];
    unsigned merged_ = 0;
};

// Codes `lines` lines from the source into the sink.
template <typename Rows>
Outcome<std::uint32_t> encode_lines(Rows rows, std::size_t lines, ByteSink& sink) {
    LineWriter writer(sink);
    const mh::EncodeTable& codes = mh::encode_table;
    {
        // The data begins with four fill bits and an EOL.
        mh::BitWriter start(writer.room_for_line());
        start.put(1u << 15, 16);
        writer.added_line_up_to(start.end());
    }
    const std::uint8_t* previous_black_row = nullptr;  // the row just coded, when it has black
    for (std::size_t line = 0; line < lines; ++line) {
        const Row row = rows.next();
        if (row.ink == Ink::none || (row.ink == Ink::unknown && !row_has_black(row.pixels))) {
            mh::BitWriter coded(writer.room_for_line());
            code_white_row(coded);
            writer.added_line_up_to(coded.end());
            previous_black_row = nullptr;
        } else if (previous_black_row != nullptr &&
                   (row.pixels == previous_black_row ||
                    std::memcmp(row.pixels, previous_black_row, mh::line_bytes) == 0)) {
            writer.repeat_line();
            previous_black_row = row.pixels;
        } else {
            writer.added_line_up_to(code_row(writer.room_for_line(), row.pixels, codes));
            previous_black_row = row.pixels;
        }
    }
    writer.add(mh::rtc_bytes.data(), mh::rtc_bytes.size());
    const std::uint32_t written = writer.flush();
    if (writer.refused()) return Failure::cannot_be_written;
    return written;
}

}  // namespace

Outcome<std::uint32_t> encode_raster(const RasterRows& rows, ByteSink& sink) {
    const std::size_t lines = rows.coded_lines();
    if (lines == 0) return Failed(Failure::too_short, "a line");
    const bool merged = rows.pairs() == RowPairs::merged;
    if (rows.stretches().empty()) {
        if (merged) return encode_lines(MergedRows<StridedRows>(rows), lines, sink);
        return encode_lines(StridedRows(rows), lines, sink);
    }
    if (merged) return encode_lines(MergedRows<StretchRows>(rows), lines, sink);
    return encode_lines(StretchRows(rows), lines, sink);
}

}  // namespace korvif
