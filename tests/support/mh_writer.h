// Writes MH code sequences for the tests, from runs of alternating colour, in the byte order of
// fax data (first stream bit in bit 0).
#pragma once

#include <initializer_list>
#include <vector>

#include "support/files.h"

namespace korvif::test {

class MhWriter {
public:
    // Appends raw bits given as text, first bit sent first ("000000000001" is an EOL).
    MhWriter& bits(const char* text);
    // Appends the codes of one line: runs alternating white, black, white, ...; runs of 64 or
    // more use make-up codes (several for runs above 1728, the extended codes are not used).
    MhWriter& runs(std::initializer_list<int> lengths);
    MhWriter& runs(const std::vector<int>& lengths);
    MhWriter& eol() { return bits("000000000001"); }
    // Zero bits up to the point where the next 12 bits end on a byte boundary, then an EOL.
    MhWriter& aligned_eol();
    MhWriter& fill_to_byte();
    MhWriter& code(int run, bool black);
    // The extended make-up code of `run` (1792 to 2560, a multiple of 64), the same in both colours.
    MhWriter& extended_makeup(int run);

    std::size_t bit_count() const { return bit_count_; }
    const Bytes& bytes() const { return bytes_; }

private:
    void put(bool bit);
    Bytes bytes_;
    std::size_t bit_count_ = 0;
};

// The runs of a raster row of 1728 pixels (bit 0x80 of byte 0 is pixel 0), beginning with white.
std::vector<int> runs_of_row(const std::uint8_t* row);

}  // namespace korvif::test
