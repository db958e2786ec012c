// MH data with the bits of each byte in the other order: stream order (the first bit in bit 0),
// as documents hold it, or the first bit in the most significant bit, as PDF's CCITTFaxDecode
// reads it and TIFF's FillOrder 1 says.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace korvif::mh {

constexpr std::uint8_t reversed_byte(std::uint8_t byte) {
    std::uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit) reversed = static_cast<std::uint8_t>(reversed | ((byte >> bit) & 1) << (7 - bit));
    return reversed;
}

inline constexpr std::array<std::uint8_t, 256> reversed_bytes = [] {
    std::array<std::uint8_t, 256> table {};
    for (unsigned byte = 0; byte < 256; ++byte) table[byte] = reversed_byte(static_cast<std::uint8_t>(byte));
    return table;
}();

// Reverses the bit order of every byte in place.
inline void reverse_bit_order(std::span<std::uint8_t> bytes) {
    for (std::uint8_t& byte : bytes) byte = reversed_bytes[byte];
}

}  // namespace korvif::mh
