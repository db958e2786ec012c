#include "platform/trace.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "platform/trace_system.h"

#ifndef KORVIF_VERSION
#define KORVIF_VERSION "unknown"
#endif

namespace korvif::trace {

namespace {

struct State {
    bool on = false;
    int hushed = 0;  // lines are left out while a Hush lives
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
    if (!state.on || state.hushed != 0) return;
    std::va_list arguments;
    va_start(arguments, format);
    write_formatted("", true, format, arguments);
    va_end(arguments);
}

void utf8_line(const char* format, ...) noexcept {
    if (!state.on || state.hushed != 0) return;
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

Hush::Hush() { ++state.hushed; }

Hush::~Hush() { --state.hushed; }

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

std::string system_error() { return system::last_error(); }

namespace system {

namespace {

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool same_letters(std::wstring_view text, std::wstring_view upper_case) {
    return text.size() == upper_case.size() &&
           std::equal(text.begin(), text.end(), upper_case.begin(), [](wchar_t a, wchar_t b) { return upper(a) == b; });
}

// COM1 or LPT1: the stem and one digit, 0 to 9 or the superscripts one to three.
bool is_port(std::wstring_view name, std::wstring_view stem) {
    if (name.size() != 4 || !same_letters(name.substr(0, 3), stem)) return false;
    const wchar_t digit = name[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

}  // namespace

bool names_windows_device(std::wstring_view path) {
    // \\.\ and \??\ reach devices and pipes directly, as \\server\pipe\ reaches another machine's
    // (\\?\ is only the long form of a path).
    if (path.size() >= 4 && is_separator(path[0]) && is_separator(path[1]) && path[2] == L'.' && is_separator(path[3])) {
        return true;
    }
    if (path.size() >= 4 && path[0] == L'\\' && path[1] == L'?' && path[2] == L'?' && path[3] == L'\\') return true;
    if (path.size() > 2 && is_separator(path[0]) && is_separator(path[1])) {
        const std::wstring_view rest = path.substr(2);
        const std::size_t server_end = std::find_if(rest.begin(), rest.end(), is_separator) - rest.begin();
        std::wstring_view share = rest.substr(std::min(rest.size(), server_end + 1));
        share = share.substr(0, std::find_if(share.begin(), share.end(), is_separator) - share.begin());
        if (same_letters(share, L"PIPE") || same_letters(share, L"MAILSLOT")) return true;
    }
    // The last name, without a drive, an extension, a stream or trailing blanks: "C:nul.txt",
    // "aux .log" and "COM1:" name devices too.
    std::wstring_view name = path.substr(std::find_if(path.rbegin(), path.rend(), is_separator).base() - path.begin());
    if (name.size() >= 2 && name[1] == L':') name.remove_prefix(2);
    name = name.substr(0, name.find_first_of(L".:"));
    while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
    for (const std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (same_letters(name, device)) return true;
    }
    return is_port(name, L"COM") || is_port(name, L"LPT");
}

}  // namespace system

}  // namespace korvif::trace
