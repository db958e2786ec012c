// What the trace needs of the operating system (trace_posix.cpp, trace_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvif::trace::system {

bool open_from_environment();            // the file KORVIF_TRACE names, shared for appending by other runs
std::string utf8_of_host_text(const std::string& text);  // the ANSI code page's text as UTF-8
void append(const char* bytes, std::size_t count);  // one write at the end of the file
void close();
unsigned long process_id();
std::string local_time();                // "2026-12-07 14:46:10.123"
std::uint64_t microseconds();            // a steady clock
std::string last_error();                // "error N: text"

}  // namespace korvif::trace::system
