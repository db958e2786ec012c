// What the trace needs of the operating system (trace_posix.cpp, trace_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvif::trace::system {

// No line is appended to a trace file of this size or more: a trace left on for months stays
// small enough to be sent.
inline constexpr std::uint64_t largest_trace_bytes = 16u << 20;

// Opens the file KORVIF_TRACE names, shared for appending by other runs; false when it is no
// file on a disk (a device, a port, a pipe or a directory) or cannot be opened without waiting.
bool open_from_environment();
std::string utf8_of_host_text(const std::string& text);  // the ANSI code page's text as UTF-8
// One line at the end of the file, whole also when other runs append at the same time. False
// when it was not written in full, or the file has reached largest_trace_bytes. Uses no heap.
bool append(const char* bytes, std::size_t count);
void close();
unsigned long process_id();
std::string local_time();                     // "2026-12-07 14:46:10.123"
std::uint64_t microseconds();                 // a steady clock
std::uint32_t last_error();                   // errno, or GetLastError()
std::string error_text(std::uint32_t error);  // "error N: text", in the host's text

}  // namespace korvif::trace::system
