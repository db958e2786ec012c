// The constant data of the Modified Huffman (ITU-T T.4, one-dimensional) codec and its bit orders.
//
// MH data in files and buffers holds the code bits in transmission order, least significant bit
// of each byte first. Code values, windows and the line buffers in which coded lines are built
// are most significant bit first.
#pragma once

#include <array>
#include <cstdint>

namespace korvif::mh {

inline constexpr int line_pixels = 1728;
inline constexpr int line_bytes = line_pixels / 8;
inline constexpr int max_run = line_pixels;

// Encode tables, indexed by run length 0..1728: for runs of 64 and more the make-up code of the
// multiple of 64 followed by the terminating code of the remainder, held as one value.
extern const std::array<std::int32_t, max_run + 1> white_codes;
extern const std::array<std::int32_t, max_run + 1> black_codes;
extern const std::array<std::uint8_t, max_run + 1> white_code_lengths;
extern const std::array<std::uint8_t, max_run + 1> black_code_lengths;

// Decode tables, indexed by a 13-bit window whose first stream bit is bit 12: the run length
// and code length of the code that begins the window, or 0 and 0 when none does.
inline constexpr int window_bits = 13;
inline constexpr int window_count = 1 << window_bits;
extern const std::array<std::uint16_t, window_count> white_decode_runs;
extern const std::array<std::uint16_t, window_count> black_decode_runs;
extern const std::array<std::uint8_t, window_count> white_decode_lengths;
extern const std::array<std::uint8_t, window_count> black_decode_lengths;

// Bit-order tables: entry i is i with its 16 (8) bits in reverse order.
extern const std::array<std::uint16_t, 65536> word_reverse;
extern const std::array<std::uint8_t, 256> byte_reverse;

extern const std::array<std::uint32_t, 32> bit_masks;   // 2^k
extern const std::array<std::uint8_t, 8> pixel_masks;   // 0x01 .. 0x80
extern const std::array<std::uint8_t, 9> fill_masks;    // the n leftmost pixels of a byte

// Ready-made code strings, as their bytes stand in MH data.
inline constexpr std::array<std::uint8_t, 2> aligned_eol = {0x00, 0x80};
inline constexpr std::array<std::uint8_t, 3> white_line_code = {0xB2, 0x59, 0x01};
inline constexpr std::array<std::uint8_t, 9> rtc_bytes = {0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80};

// A window that begins with an EOL (000000000001), in either colour.
constexpr bool is_eol_window(std::uint32_t window) { return (window & 0x1FFE) == 2; }

// One T.4 code word: its run length and its bits in transmission order.
struct CodeWord {
    std::uint16_t run;
    const char* bits;
};

extern const std::array<CodeWord, 64> white_terminating_codes;
extern const std::array<CodeWord, 27> white_makeup_codes;
extern const std::array<CodeWord, 64> black_terminating_codes;
extern const std::array<CodeWord, 27> black_makeup_codes;

}  // namespace korvif::mh
