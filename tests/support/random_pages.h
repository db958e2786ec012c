// Random fax data for the tests, all drawn from one fixed sequence of numbers: runs that fill a
// line, a bank of coded lines, pages as a damaged reception might hold them, and noise.
#pragma once

#include <functional>
#include <vector>

#include "support/files.h"

namespace korvif::test {

// A linear congruential sequence: the same numbers on every platform and library. below()
// reads the state from bit 8 up; as in every such sequence the low bits repeat soon (below(2)
// after 512 numbers), so pixels that must not repeat are drawn elsewhere.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    // 0 to bound - 1.
    int below(int bound);
    bool one_in(int n) { return below(n) == 0; }
    // Each byte the AND of 1 + thinning drawn bytes: about one bit in 2^(1 + thinning) set.
    Bytes bytes(std::size_t count, int thinning = 0);

private:
    std::uint32_t state_;
};

// Runs of alternating colour, white first, that fill a line of 1728 pixels: each as `draw`
// gives it, the last cut at the line's end.
std::vector<int> line_runs(const std::function<int()>& draw);

// 61 coded lines (without their EOL, filled to whole bytes) to draw pages from: most of them
// dithered, with runs of 1 to 7 pixels (about 200 bytes each), every fifth sparse (about 20).
std::vector<Bytes> line_bank();

// MH data as a damaged reception might hold it: lines after EOLs of any layout (or none),
// their runs stopping short of the line's end or passing it, white lines, stray bits and
// extended make-up codes between them; an RTC or none; now and then cut in half.
Bytes ragged_page(Random& random);

}  // namespace korvif::test
