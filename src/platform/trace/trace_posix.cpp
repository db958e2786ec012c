#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "platform/trace/trace_system.h"

namespace korvif::trace::system {

namespace {
int trace_file = -1;
bool regular_file = false;
}  // namespace

bool open_from_environment() {
    const char* path = std::getenv("KORVIF_TRACE");
    if (path == nullptr || *path == '\0') return false;
    // Without waiting: a FIFO without a reader is refused at once instead of being waited for.
    int file = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
    if (file < 0) return false;
    struct stat status {};
    const bool standard = std::strcmp(path, "/dev/stderr") == 0 || std::strcmp(path, "/dev/stdout") == 0;
    if (::fstat(file, &status) != 0) {
        ::close(file);
        return false;
    }
    const bool terminal = standard && ::isatty(file);
    const bool pipe = standard && S_ISFIFO(status.st_mode);
    if (!(S_ISREG(status.st_mode) || terminal || pipe)) {
        ::close(file);
        return false;
    }
    regular_file = S_ISREG(status.st_mode);
    // The file standard error is open on (/dev/stderr, /proc/self/fd/2, or the caller's "2>t.log"):
    // written through descriptor 2 itself, whose file position the caller shares, so that what the
    // caller writes to it after the run follows the trace instead of overwriting it.
    struct stat standard_error {};
    if (regular_file && ::fstat(STDERR_FILENO, &standard_error) == 0 && standard_error.st_dev == status.st_dev &&
        standard_error.st_ino == status.st_ino) {
        const int shared = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
        if (shared >= 0) {
            ::close(file);
            file = shared;
        }
    }
    // A person at a terminal reads every line: no line is dropped because the terminal is busy.
    if (terminal) ::fcntl(file, F_SETFL, ::fcntl(file, F_GETFL) & ~O_NONBLOCK);
    // Standard error piped into a pager or a log: opening it made a description of the pipe of
    // its own, which stays non-blocking, so a full pipe ends the trace instead of holding the run
    // up; and a reader that has gone ends it too, instead of the signal ending the run.
    if (pipe) std::signal(SIGPIPE, SIG_IGN);
    trace_file = file;
    return true;
}

// Linux file names and the command line are bytes, traced as they are.
std::string utf8_of_host_text(const std::string& text) { return text; }

bool append(const char* bytes, std::size_t count) {
    if (trace_file < 0) return false;
    struct stat status {};
    if (regular_file &&
        (::fstat(trace_file, &status) != 0 || static_cast<std::uint64_t>(status.st_size) >= largest_trace_bytes)) {
        return false;
    }
    return ::write(trace_file, bytes, count) == static_cast<ssize_t>(count);
}

void close() {
    if (trace_file >= 0) ::close(trace_file);
    trace_file = -1;
}

unsigned long process_id() { return static_cast<unsigned long>(::getpid()); }

std::string local_time() {
    timeval now {};
    ::gettimeofday(&now, nullptr);
    std::tm local {};
    const std::time_t seconds = now.tv_sec;
    ::localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_usec / 1000));
    return text;
}

std::uint64_t microseconds() {
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

std::uint32_t last_error() { return static_cast<std::uint32_t>(errno); }

std::string error_text(std::uint32_t error) {
    return "error " + std::to_string(error) + ": " + std::strerror(static_cast<int>(error));
}

}  // namespace korvif::trace::system
