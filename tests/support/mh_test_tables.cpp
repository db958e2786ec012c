#include "support/mh_test_tables.h"

namespace korvif::mh {

namespace {

std::array<std::uint16_t, 65536> make_word_reverse() {
    std::array<std::uint16_t, 65536> table {};
    for (std::uint32_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<std::uint16_t>(byte_reverse[i & 0xFF] << 8 | byte_reverse[i >> 8]);
    }
    return table;
}

}  // namespace

const std::array<std::uint16_t, 65536> word_reverse = make_word_reverse();

}  // namespace korvif::mh
