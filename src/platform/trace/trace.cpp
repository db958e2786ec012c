#include "platform/trace/trace.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "platform/trace/trace_system.h"

#ifndef KORVIF_VERSION
#define KORVIF_VERSION "unknown"
#endif

namespace korvif::trace {

namespace {

struct State {
    bool on = false;
    unsigned long process = 0;
    std::uint64_t started = 0;
    char crash_prefix[32] = {};  // "[process id] stop: crash: ", made before any crash
};
State state;

// The trace ends for the rest of the run at the first line that cannot be written: a full disk
// or a lost share would fail every later line too, each after its own wait.
void write_whole(const char* bytes, std::size_t count) {
    if (system::append(bytes, count)) return;
    system::close();
    state.on = false;
}

// One line from its pieces, written with one append.
void write_line(std::initializer_list<std::string_view> pieces) {
    std::string whole;
    for (std::string_view piece : pieces) whole.append(piece);
    whole.push_back('\n');
    write_whole(whole.data(), whole.size());
}

std::string formatted(const char* format, std::va_list arguments) {
    std::va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    return text;
}

// "[process id] ", which marks every line of the run.
std::string prefix() {
    char text[32];
    std::snprintf(text, sizeof text, "[%lu] ", state.process);
    return text;
}

}  // namespace

void begin(const char* command_text) {
    if (!system::open_from_environment()) return;
    state.on = true;
    state.process = system::process_id();
    state.started = system::microseconds();
    std::snprintf(state.crash_prefix, sizeof state.crash_prefix, "[%lu] stop: crash: ", state.process);
    write_line({system::local_time(), " ", prefix(), "korvif32 " KORVIF_VERSION ": ",
                command_text != nullptr ? utf8(command_text) : "(no command)"});
}

void end() {
    if (!state.on) return;
    const std::uint64_t took = system::microseconds() - state.started;
    char text[64];
    std::snprintf(text, sizeof text, "done in %llu.%03llu ms", static_cast<unsigned long long>(took / 1000),
                  static_cast<unsigned long long>(took % 1000));
    write_line({prefix(), text});
    system::close();
    state.on = false;
}

bool on() { return state.on; }

namespace {

// A formatted line after the prefix and `lead`; host text is converted to UTF-8 first. A line
// that cannot be had for lack of memory is left out: the trace never changes what a run does.
void write_formatted(const char* lead, bool host_text, const char* format, std::va_list arguments) noexcept {
    try {
        const std::string text = formatted(format, arguments);
        write_line({prefix(), lead, host_text ? utf8(text) : text});
    } catch (...) {
    }
}

}  // namespace

void line(const char* format, ...) noexcept {
    if (!state.on) return;
    std::va_list arguments;
    va_start(arguments, format);
    write_formatted("", true, format, arguments);
    va_end(arguments);
}

void utf8_line(const char* format, ...) noexcept {
    if (!state.on) return;
    std::va_list arguments;
    va_start(arguments, format);
    write_formatted("", false, format, arguments);
    va_end(arguments);
}

int stop(const char* format, ...) noexcept {
    if (!state.on) return 0;
    std::va_list arguments;
    va_start(arguments, format);
    write_formatted("stop: ", true, format, arguments);
    va_end(arguments);
    return 0;
}

int utf8_stop(const char* format, ...) noexcept {
    if (!state.on) return 0;
    std::va_list arguments;
    va_start(arguments, format);
    write_formatted("stop: ", false, format, arguments);
    va_end(arguments);
    return 0;
}

void crash(const char* what) noexcept {
    if (!state.on) return;
    char text[256];
    const std::size_t lead = std::strlen(state.crash_prefix);
    const std::size_t length = std::min(std::strlen(what), sizeof text - lead - 1);
    std::memcpy(text, state.crash_prefix, lead);
    std::memcpy(text + lead, what, length);
    text[lead + length] = '\n';
    system::append(text, lead + length + 1);
}

std::string utf8(const std::string& host_text) { return system::utf8_of_host_text(host_text); }

std::uint32_t system_error_number() { return system::last_error(); }

std::string system_error_text(std::uint32_t number) { return system::error_text(number); }

std::string system_error() { return system::error_text(system::last_error()); }

}  // namespace korvif::trace
