#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include "platform/trace_system.h"

namespace korvif::trace::system {

namespace {
int trace_file = -1;
}

bool open_from_environment() {
    const char* path = std::getenv("KORVIF_TRACE");
    if (path == nullptr || *path == '\0') return false;
    trace_file = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    return trace_file >= 0;
}

// Linux file names and the command line are bytes, traced as they are.
std::string utf8_of_host_text(const std::string& text) { return text; }

void append(const char* bytes, std::size_t count) {
    if (trace_file >= 0 && ::write(trace_file, bytes, count) < 0) {
        // A trace that cannot be written is ignored.
    }
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

std::string last_error() {
    const int error = errno;
    return "error " + std::to_string(error) + ": " + std::strerror(error);
}

}  // namespace korvif::trace::system
