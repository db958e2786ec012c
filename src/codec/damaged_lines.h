// Damaged lines: what the codec makes of MH data that is not a clean page.
//
// A received fax may hold transmission errors, and pages that other programs wrote may be wider
// than 1728 pixels. Every reader of MH data in this program follows the rules below: the page
// decoder (line_decoder.h and page_decoder.cpp, with its tables in stream_decode_tables.cpp), the SFF re-coder
// (sff_recoder.cpp) and the tests' reference codec (tests/support/reference_codec.cpp). Each
// place that applies a rule says so in a comment that begins with `Damaged lines,` and the rule's
// name in quotes: a search for "Damaged lines," finds them all. None of these cases makes a
// reader fail; the encoder writes clean pages only.
//
// The decoder's one code at a time (take_one in line_decoder.h) applies every rule. Its fast paths
// must come to the same lines: a round of groups (take_group, take_round, and the two parts of a
// long page in run_both_parts, page_decoder.cpp), where a group is terminating codes only (the
// group table in stream_decode_tables.cpp); the runs of white lines taken at once (the start of
// take_one, with StreamBits::skip_repeats); and the white line in one step. Under each rule,
// "Fast paths:" says how each of them keeps it.
//
// "run past the end"
//     A run that would pass the line's 1728th pixel is cut there. The colour of the next code is
//     decided on the run as read, before the cut: a terminating code (below 64) switches it, a
//     make-up code keeps it. The decoder draws the pixels up to the end. The re-coder writes the
//     cut run whole, make-up and terminating code of its cut length, so that other readers find a
//     line of exactly 1728 pixels.
//     Fast paths: take_group takes a group only when its pixels fit; one that would pass the end
//     is taken as 0 and left to take_one. A white line in one step ends exactly at the end.
//
// "codes after a cut run"
//     Once a run has reached the line's end, the line's further codes still switch the colour as
//     above. The decoder cuts their runs to 0, so that they change no pixel. The re-coder drops
//     them up to the line's EOL, but for the first one after a run that ended exactly at the end:
//     that one passes the end and is written cut, as the code of 0 pixels.
//     Fast paths: take_group takes codes of 0 pixels at the end (they fit) and switches the colour
//     as take_one does; any other code there is left to take_one.
//
// "bits that begin no code"
//     Where no code of the current colour begins (fill bits before an EOL, damaged bits), the
//     reader passes over one bit and tries again in the same colour; such bits do not end the
//     line. No code begins where eight 0 bits follow, in either colour (the extended make-up
//     codes below included); the decoder passes over such 0 bits up to the first place where an
//     EOL or an extended code could begin, which is what one bit at a time comes to.
//     Fast paths: such a window begins no group (its entry is 0) and no white line, so the round
//     ends and take_one passes over the bits.
//
// "extended make-up codes"
//     T.4's make-up codes for runs of 1792 to 2560 pixels, the same in both colours, which pages
//     wider than 1728 pixels use, are read as make-up codes: the colour stays, and the run passes
//     the line's end and is cut ("run past the end"). The encoder never writes them.
//     Fast paths: no group holds a make-up code (stream_decode_tables.cpp): take_one reads them.
//
// "short lines"
//     A line that an EOL closes before its 1728th pixel is a line all the same: the decoder fills
//     it up with white, the re-coder writes its codes as they were read.
//     Fast paths: no group holds an EOL: take_one closes every line, the white line runs only
//     lines of 1728 white pixels.
//
// "blank-line records"
//     The re-coder counts a line whose codes take 17 to 24 bits (3 bytes) as blank, for a
//     blank-line record, only when it holds no black pixel: the coded all-white line is such a
//     line; a short line with ink (white 1727, black 1: 17 bits) keeps its own record. A run of
//     blank lines goes into one record, written when a line with data or an empty EOL ends the
//     run, when it reaches 37 lines, and at the end of the data.
//     Fast paths: none (the re-coder has none).
//
// "overlong lines"
//     The re-coder ends a line whose codes have passed 8,000 bits as an EOL would (passing over
//     12 bits), so that its line buffer cannot overflow. Only codes of 0 pixels can make a line
//     that long: a run past the end ends the others' growth.
//     Fast paths: none (the re-coder has none).
//
// "page end"
//     An empty EOL is an EOL read where no pixel of a line has been read. An EOL that closes a
//     line sets the count of empty EOLs to 0, and the fifth empty EOL after it ends the page: so
//     empty EOLs scattered between lines (the doubled EOLs of a received fax) do not end it, and
//     the RTC does (on a page as S2F writes it the RTC's first EOL closes the last line and its
//     sixth ends the page; on a page as the encoder writes it, the fifth). Before the first line
//     the decoder needs one empty EOL more (its count starts at -1: a leading EOL and the RTC),
//     the re-coder none (its count starts at 0): data that begins with five empty EOLs ends the
//     re-coder at once, while the decoder reads on.
//     Fast paths: the runs of white lines take lines with the EOL that closes them, never an empty
//     EOL, and stop before the landmark; the second part of a long page starts with the count at
//     0, as after the EOL that closed a line (empty_eols_after_a_line).
//
// "data end"
//     The data is read as 16-bit words, the first floor((L - 1) / 2) of its L bytes' words; after
//     them it is used up (bits beyond the last byte read as 0). A line that no EOL has closed by
//     then is not part of the page: the decoder leaves it out, the re-coder writes no record for
//     it (only the blank lines it holds back).
//     Fast paths: rounds run only far from the end (far_from_end: four groups cannot use the data
//     up); the runs of white lines take only copies that end before it (skip_repeats); the white
//     line in one step only where more bits than its codes are left.
//
// "line limit"
//     The decoder keeps at most 65,536 lines (max_page_lines); the data after the line that
//     reaches the limit is not read.
//     Fast paths: lines are counted where take_one closes them (a round closes none); the runs
//     of white lines take at most the rest of the block, whose next one open_block refuses at the
//     limit; the second part of a long page gets the lines the first leaves of the limit.
#pragma once

#include <cstdint>

namespace korvif::mh {

// "page end": the count of empty EOLs that ends a page, and where each reader's count starts.
inline constexpr int empty_eols_at_page_end = 5;
inline constexpr int decoder_empty_eols_at_start = -1;
inline constexpr int recoder_empty_eols_at_start = 0;
// After an EOL that closed a line (where the decoder's second part begins) the count is 0.
inline constexpr int empty_eols_after_a_line = 0;

// "blank-line records": the length, in whole bytes, of the lines that may be counted blank.
inline constexpr std::uint32_t blank_line_bytes = 3;

// "overlong lines": the bits of codes after which the re-coder ends a line.
inline constexpr std::uint32_t longest_recoded_line_bits = 8000;

}  // namespace korvif::mh
