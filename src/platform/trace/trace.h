// An opt-in trace for support. The program reports nothing by design; when a user's page does
// not appear, the environment variable KORVIF_TRACE may name a file to which each run then
// appends what it read, opened, decoded and wrote, and the one reason it stopped early.
// Without the variable nothing happens beyond one environment lookup per run, and the trace
// never changes what the program does: a trace file that cannot be opened or written is ignored.
//
// Every line is written with one append, so that runs started at the same time (the host starts
// several) interleave whole lines; each line after the first carries the process id. The trace
// goes only to a file on a disk (never a device, a port or a pipe, which could hold a write for
// ever), ends at the first line that cannot be written, and stops growing at 16 MB.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The C99 printf that the lines are formatted with (mingw-w64 builds use its own, not the
// system's).
#ifdef __MINGW_PRINTF_FORMAT
#define KORVIF_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define KORVIF_PRINTF_FORMAT printf
#endif

namespace korvif::trace {

// Looks up KORVIF_TRACE and, when it names a file that opens, writes the run's first line: local
// time, process id, program version and the command text exactly as received.
void begin(const char* command_text);

// Writes the last line, the time the run took, and closes the trace.
void end();

bool on();

// One line of the trace, printf-style; nothing while the trace is off, and never an exception. The text is the host's
// (ANSI on Windows); the trace file holds UTF-8, so it is converted with the ANSI code page.
void line(const char* format, ...) noexcept __attribute__((format(KORVIF_PRINTF_FORMAT, 1, 2)));

// The same for a line whose text is UTF-8 already: names that the system gave in their wide
// form (see platform::printable), and host text passed through `utf8`.
void utf8_line(const char* format, ...) noexcept __attribute__((format(KORVIF_PRINTF_FORMAT, 1, 2)));

// The last line of a run that crashed: "stop: crash: " and `what`. Uses no heap, for the crash
// handlers; the run's end is not traced.
void crash(const char* what) noexcept;

// The host's text as UTF-8.
std::string utf8(const std::string& host_text);

// The one reason a command stopped early ("stop: " and the reason); returns 0, the value every
// command handler returns.
int stop(const char* format, ...) noexcept __attribute__((format(KORVIF_PRINTF_FORMAT, 1, 2)));

// The same for a reason whose text is UTF-8 already.
int utf8_stop(const char* format, ...) noexcept __attribute__((format(KORVIF_PRINTF_FORMAT, 1, 2)));

// "page" or "pages" after a count: the plural form wherever the count is not exactly 1 ("0 pages", "1 page",
// "-1 quarter turns"), so that a trace reads as a sentence.
constexpr const char* plural(long long count, const char* one, const char* many) { return count == 1 ? one : many; }

// The platform's last error as "error N: its text", in the host's text; read at once after the
// failing call.
std::string system_error();

// The platform's last error as its number (read at once after the failing call), and a number's
// text as system_error() gives it ("error N: its text", in the host's text).
std::uint32_t system_error_number();
std::string system_error_text(std::uint32_t number);

}  // namespace korvif::trace
