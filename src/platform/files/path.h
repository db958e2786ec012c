// Splitting a path into its directory and its name, by the rules of either platform, on the host's
// text as it arrives (ANSI bytes on Windows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvif::platform {

enum class PathStyle {
    windows,  // '\' and '/' separate directories; a drive prefix such as "C:" ends the directory too
    posix,    // only '/' separates directories
};

#ifdef _WIN32
inline constexpr PathStyle native_path_style = PathStyle::windows;
#else
inline constexpr PathStyle native_path_style = PathStyle::posix;
#endif

// Tells whether a byte of the host's text is the first byte of a two-byte character. In the
// double-byte ANSI code pages (932, 936, 949, 950) the second byte of such a character may be
// 0x5C, the backslash, which is then no separator.
using LeadByteTest = bool (*)(unsigned char byte);

// The test of the running system's ANSI code page (never true on Linux and in single-byte code
// pages).
bool host_lead_byte(unsigned char byte);

// Where the character after the one that begins at `i` begins: two bytes on from a lead byte
// whose second byte is there, else one. Stepping with it finds only whole characters: the second
// byte of a double-byte character is never taken for "\\" or "|", which it may equal.
std::size_t next_character(std::string_view text, std::size_t i, LeadByteTest lead = host_lead_byte);

// The length of the path's directory part, its last separator (or drive colon) included: the
// name begins there. 0 for a bare name. Second bytes of two-byte characters are skipped.
std::size_t directory_length(std::string_view path, PathStyle style = native_path_style,
                             LeadByteTest lead = host_lead_byte);

// The length of the path up to and including its last separator ('\\' or '/' on Windows, '/' on
// Linux) that is not the second byte of a two-byte character; 0 when there is none. Unlike
// directory_length, a drive colon does not count.
std::size_t length_through_last_separator(std::string_view path, PathStyle style = native_path_style,
                                          LeadByteTest lead = host_lead_byte);

// True when Windows takes the path for a device or a pipe rather than a file: a last name (with
// or without a directory, a drive, an extension, a stream or trailing blanks) CON, PRN, AUX, NUL,
// CONIN$, CONOUT$, COM0 to COM9 or LPT0 to LPT9 (also with the digits 1 to 3 in superscript); a
// "\\.\" or "\??\" path; a "\\?\" path that goes on with anything but a drive ("X:\"), a
// share ("UNC\") or a volume ("Volume{...}\"); a share path to a machine's pipes or mailslots.
// Opening such a name may already wait for ever (a serial port, a pipe) or raise a port's lines.
bool names_windows_device(std::wstring_view path);

}  // namespace korvif::platform

namespace korvif::platform {

// The names of this program's own files: the prefix, 8 hexadecimal digits and ".tmp", as
// "~kv0a1b2c3d.tmp". One pattern on both systems, so that nothing else is taken for such a file.
inline constexpr std::size_t numbered_name_length = 3 + 8 + 4;
std::string numbered_name(const char* prefix, std::uint32_t number);

// Whether the name is one of this program's own of that prefix, exactly.
bool is_numbered_name(std::string_view name, const char* prefix);

// Numbers for new names: different from call to call and from run to run, so that runs at the
// same time rarely try the same name (a name that exists is simply tried again with the next).
std::uint32_t next_name_number();

// What makes the numbers differ between runs: the process id and a fine clock.
std::uint64_t name_seed();

}  // namespace korvif::platform
