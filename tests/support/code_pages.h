// The lead bytes of a double-byte ANSI code page, for tests of text read character by character.
#pragma once

namespace korvif::test {

// Code page 932 (Japanese): lead bytes 0x81-0x9F and 0xE0-0xFC; a second byte may be any of
// 0x40-0x7E and 0x80-0xFC, the backslash 0x5C and the "|" 0x7C among them ("\x95\x5C" is a
// kanji, "\x83\x7C" the katakana po).
inline bool cp932_lead(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

}  // namespace korvif::test
