#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/files/path.h"
#include "platform/trace/trace_system.h"

namespace korvif::trace::system {

namespace {

HANDLE trace_file = INVALID_HANDLE_VALUE;

// Every run locks this one byte, far beyond the end of any trace that is written to, while it
// appends a line: the lock orders the writers without covering what they write. A 32-bit offset,
// which every file system and share takes.
constexpr DWORD lock_offset = 0xFFFFFFFE;
// A run that waits longer for the lock (the run holding it stalls in its write) writes all the
// same.
constexpr DWORD lock_wait_ms = 100;

bool take_lock() {
    OVERLAPPED at {};
    at.Offset = lock_offset;
    const DWORD start = GetTickCount();
    while (!LockFileEx(trace_file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        if (GetTickCount() - start >= lock_wait_ms) return false;
        Sleep(1);
    }
    return true;
}

void release_lock() {
    OVERLAPPED at {};
    at.Offset = lock_offset;
    UnlockFileEx(trace_file, 0, 1, 0, &at);
}

}  // namespace

bool open_from_environment() {
    // The name is read in its wide form, so that a folder with letters outside the ANSI code page
    // can hold the trace.
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"KORVIF_TRACE", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    // Opening a port or a pipe may already wait: such names are refused before anything is opened.
    if (platform::names_windows_device(std::wstring_view(path, length))) return false;
    // Appending only, so that every write goes to the end of the file; reading for the lock and
    // the size.
    trace_file = CreateFileW(path, FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (trace_file == INVALID_HANDLE_VALUE) return false;
    if (GetFileType(trace_file) != FILE_TYPE_DISK) {
        close();
        return false;
    }
    return true;
}

std::string utf8_of_host_text(const std::string& text) {
    if (text.empty()) return text;
    // Text that is not valid in the code page (a cut double-byte character) is converted all the
    // same, with the system's replacement for the bad bytes: the trace is for reading.
    const int wide_length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide_length <= 0) return text;
    std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), wide_length);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return text;
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

bool append(const char* bytes, std::size_t count) {
    if (trace_file == INVALID_HANDLE_VALUE) return false;
    const bool locked = take_lock();
    LARGE_INTEGER size {};
    OVERLAPPED at_end {};  // the end of the file, wherever the file pointer stands
    at_end.Offset = at_end.OffsetHigh = 0xFFFFFFFF;
    DWORD written = 0;
    const bool done = GetFileSizeEx(trace_file, &size) &&
                      static_cast<std::uint64_t>(size.QuadPart) < largest_trace_bytes &&
                      WriteFile(trace_file, bytes, static_cast<DWORD>(count), &written, &at_end) && written == count;
    if (locked) release_lock();
    return done;
}

void close() {
    if (trace_file != INVALID_HANDLE_VALUE) CloseHandle(trace_file);
    trace_file = INVALID_HANDLE_VALUE;
}

unsigned long process_id() { return GetCurrentProcessId(); }

std::string local_time() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

std::uint64_t microseconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER count;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&count) || frequency.QuadPart == 0) {
        return static_cast<std::uint64_t>(GetTickCount()) * 1000u;
    }
    return static_cast<std::uint64_t>(count.QuadPart / frequency.QuadPart * 1000000 +
                                      count.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart);
}

std::uint32_t last_error() { return GetLastError(); }

std::string error_text(std::uint32_t error) {
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ')) --length;
    return "error " + std::to_string(error) + ": " + std::string(text, length);
}

}  // namespace korvif::trace::system
