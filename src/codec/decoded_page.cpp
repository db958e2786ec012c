#include "codec/decoded_page.h"

#include <algorithm>
#include <utility>

namespace korvif {

void DecodedPage::add(std::vector<LineBlock>& part, std::int32_t lines) {
    blocks_.reserve(blocks_.size() + part.size());
    stretches_.reserve(stretches_.size() + part.size());
    for (LineBlock& block : part) {
        if (lines <= 0) break;
        const std::int32_t count = std::min(lines, std::int32_t {lines_per_block});
        blocks_.push_back(std::move(block));
        stretches_.push_back({.count = static_cast<std::size_t>(count)});
        lines_ += count;
        lines -= count;
    }
}

void DecodedPage::complete() {
    std::int32_t keep = lines_;
    if (options_.trim_trailing_white) {
        // Up to two lines after the last line with a black pixel (the first two without one).
        std::int32_t last_black_line = 0;  // counted from 1; 0: none
        std::int32_t first_line = lines_;
        for (std::size_t b = stretches_.size(); b-- > 0 && last_black_line == 0;) {
            const auto count = static_cast<std::int32_t>(stretches_[b].count);
            first_line -= count;
            for (std::int32_t i = count; i-- > 0;) {
                if (blocks_[b].has_black[static_cast<std::size_t>(i)]) {
                    last_black_line = first_line + i + 1;
                    break;
                }
            }
        }
        keep = std::min(lines_, last_black_line + 2);
    }
    // The blocks no longer move: the stretches may point into them.
    std::int32_t left = keep;
    std::size_t used = 0;
    for (; used < stretches_.size() && left > 0; ++used) {
        LineStretch& stretch = stretches_[used];
        stretch.count = std::min(stretch.count, static_cast<std::size_t>(left));
        stretch.first = blocks_[used].lines.data();
        stretch.has_black = blocks_[used].has_black.data();
        left -= static_cast<std::int32_t>(stretch.count);
    }
    stretches_.resize(used);
    lines_ = keep;
}

void DecodedPage::drop_first_line() {
    LineStretch& first = stretches_.front();
    if (--first.count == 0) {
        stretches_.erase(stretches_.begin());
    } else {
        first.first += mh::line_bytes;
        ++first.has_black;
    }
    --lines_;
}

}  // namespace korvif
