#include "support/random_pages.h"

#include <algorithm>

#include "support/mh_writer.h"

namespace korvif::test {

int Random::below(int bound) {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(bound));
}

Bytes Random::bytes(std::size_t count, int thinning) {
    Bytes bytes(count);
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(below(256));
        for (int i = 0; i < thinning; ++i) byte &= static_cast<std::uint8_t>(below(256));
    }
    return bytes;
}

std::vector<int> line_runs(const std::function<int()>& draw) {
    std::vector<int> runs;
    for (int x = 0; x < 1728; x += runs.back()) runs.push_back(std::min(draw(), 1728 - x));
    return runs;
}

std::vector<Bytes> line_bank() {
    Random random(7);
    std::vector<Bytes> lines;
    for (int n = 0; n < 61; ++n) {
        const bool sparse = n % 5 == 0;
        const std::vector<int> runs = line_runs([&] { return sparse ? 20 + random.below(400) : 1 + random.below(7); });
        lines.push_back(MhWriter().runs(runs).fill_to_byte().bytes());
    }
    return lines;
}

Bytes ragged_page(Random& random) {
    MhWriter page;
    const int lines = random.below(40);
    for (int line = 0; line < lines; ++line) {
        const int layout = random.below(4);
        if (layout == 0) page.aligned_eol();
        if (layout == 1) page.eol();
        if (layout == 2) page.eol().eol();
        std::vector<int> runs;
        if (random.one_in(4)) {
            runs = {1728};
        } else {
            for (int total = 0; total < 1800 && !random.one_in(30); total += runs.back()) {
                runs.push_back(random.below(random.one_in(4) ? 900 : 12));
            }
        }
        page.runs(runs);
        if (random.one_in(10)) page.bits("0110100101110");
        if (random.one_in(10)) page.extended_makeup(1792 + 64 * random.below(13));
    }
    if (random.one_in(2)) page.aligned_eol().eol().eol().eol().eol().eol();
    Bytes data = page.bytes();
    if (random.one_in(5)) data.resize(data.size() / 2);
    return data;
}

}  // namespace korvif::test
