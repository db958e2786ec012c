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

std::array<std::uint32_t, 32> make_bit_masks() {
    std::array<std::uint32_t, 32> masks {};
    for (unsigned k = 0; k < 32; ++k) masks[k] = 1u << k;
    return masks;
}

}  // namespace

const std::array<std::uint16_t, 65536> word_reverse = make_word_reverse();
const std::array<std::uint32_t, 32> bit_masks = make_bit_masks();
const std::array<std::uint8_t, 8> pixel_masks = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};

}  // namespace korvif::mh
