#include "codec/mh_tables.h"

namespace korvif::mh {

namespace {

constexpr std::array<std::uint8_t, 256> make_byte_reverse() {
    std::array<std::uint8_t, 256> table {};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned reversed = 0;
        for (unsigned b = 0; b < 8; ++b) {
            if (i & (1u << b)) reversed |= 1u << (7 - b);
        }
        table[i] = static_cast<std::uint8_t>(reversed);
    }
    return table;
}

}  // namespace

const std::array<std::uint8_t, 256> byte_reverse = make_byte_reverse();

}  // namespace korvif::mh
