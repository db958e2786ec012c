#include "platform/file.h"

#include "platform/path.h"
#include "platform/trace.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace korvif::platform {

namespace {

struct OpenRequest {
    int flags;
};

OpenRequest request_for(FileMode mode) {
    switch (mode) {
    case FileMode::read_shared:
    // Without waiting: a FIFO without a writer would hold the open for ever.
    case FileMode::read_deny_write: return {O_RDONLY | O_NONBLOCK};
    case FileMode::create_always: return {O_WRONLY | O_CREAT | O_TRUNC};
    }
    return {O_RDONLY};
}

}  // namespace

std::optional<NativePath> native_path(const char* host_text) {
    if (host_text == nullptr || *host_text == '\0') return std::nullopt;
    return NativePath(host_text);
}

std::string printable(const NativePath& path) { return path; }

bool host_lead_byte(unsigned char) { return false; }

std::uint64_t name_seed() {
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return (static_cast<std::uint64_t>(::getpid()) << 32) ^ static_cast<std::uint64_t>(now.tv_sec) * 1000000000u ^
           static_cast<std::uint64_t>(now.tv_nsec);
}

// Linux knows no sharing violations, and a rename leaves no moment without the name: nothing to
// try again.
File File::open(const char* path, FileMode mode, OpenRetry retry) {
    if (path == nullptr) return File();
    return open(NativePath(path), mode, retry);
}

File File::open(const NativePath& path, FileMode mode, OpenRetry) {
    File file;
    if (path.empty()) return file;
    const OpenRequest request = request_for(mode);
    const int fd = ::open(path.c_str(), request.flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        trace::line("cannot open \"%s\" %s: %s", path.c_str(), describe(mode), trace::system_error().c_str());
        return file;
    }
    // Only a regular file is read: a directory, a FIFO, a socket or a device opens only for
    // reading, and a device's or a FIFO's reads may wait for ever.
    struct stat info {};
    if ((request.flags & O_ACCMODE) == O_RDONLY && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        const bool directory = S_ISDIR(info.st_mode);
        trace::line("cannot open \"%s\" %s: %s", path.c_str(), describe(mode), directory ? "a directory" : "not a plain file");
        ::close(fd);
        errno = directory ? EISDIR : ENXIO;  // the caller's report of the system's error says why, as Windows' does
        return file;
    }
    file.fd_ = fd;
    if (trace::on()) trace::line("opened \"%s\" %s (%u bytes)", path.c_str(), describe(mode), file.size().value_or(0xFFFFFFFFu));
    return file;
}

File File::create_new(const NativePath& path, bool* name_taken) {
    File file;
    file.fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (name_taken != nullptr) *name_taken = file.fd_ < 0 && errno == EEXIST;
    return file;
}

File File::create_scratch(const char* prefix, std::string* name) {
    File file;
    if (name != nullptr) name->clear();
    const char* from_environment = std::getenv("TMPDIR");
    std::string directory = (from_environment && *from_environment) ? from_environment : "/tmp";
    if (directory.back() != '/') directory += '/';
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = directory + numbered_name(prefix, next_name_number());
        if (name != nullptr) *name = path;
        file.fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (file.fd_ >= 0) {
            // The name goes at once; the data lives until the descriptor is closed, so a run that
            // is killed leaves nothing behind.
            ::unlink(path.c_str());
            trace::line("opened \"%s\" new, for reading and writing, deleted when closed", path.c_str());
            return file;
        }
        if (errno != EEXIST) break;
    }
    if (name != nullptr) *name = directory;
    return file;
}

File::File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

File::~File() { close(); }

bool File::is_open() const { return fd_ >= 0; }

bool File::close() {
    const bool closed = fd_ < 0 || ::close(fd_) == 0;
    fd_ = -1;
    return closed;
}

bool File::read(void* buffer, std::uint32_t count, std::uint32_t& delivered) {
    delivered = 0;
    if (fd_ < 0) return false;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (delivered < count) {
        const ssize_t got = ::read(fd_, bytes + delivered, count - delivered);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) break;
        delivered += static_cast<std::uint32_t>(got);
    }
    return true;
}

bool File::write(const void* data, std::uint32_t count, std::uint32_t& written) {
    written = 0;
    if (fd_ < 0) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (written < count) {
        const ssize_t put = ::write(fd_, bytes + written, count - written);
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += static_cast<std::uint32_t>(put);
    }
    return true;
}

bool File::seek(std::uint32_t offset_from_start) {
    return fd_ >= 0 && ::lseek(fd_, static_cast<off_t>(offset_from_start), SEEK_SET) >= 0;
}

bool File::flush() {
    while (fd_ >= 0) {
        if (::fsync(fd_) == 0) return true;
        if (errno != EINTR) return false;
    }
    return false;
}

std::optional<std::uint32_t> File::size() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return std::nullopt;
    if (info.st_size > 0xFFFFFFFEll) return 0xFFFFFFFEu;
    return static_cast<std::uint32_t>(info.st_size);
}

bool file_exists(const char* path) {
    if (path == nullptr || *path == '\0') return false;
    glob_t found {};
    const int result = ::glob(path, GLOB_NOSORT, nullptr, &found);
    const bool any = result == 0 && found.gl_pathc > 0;
    ::globfree(&found);
    if (!any) trace::line("no file matches \"%s\"", path);
    return any;
}

std::size_t native_directory_length(const NativePath& path) {
    return directory_length(path, PathStyle::posix, nullptr);
}

std::optional<NativePath> replacement_target(const char* host_text) {
    auto target = native_path(host_text);
    struct stat info {};
    if (!target || ::lstat(target->c_str(), &info) != 0) return target;
    if (S_ISLNK(info.st_mode)) {
        // A symbolic link stays: the file it points to is replaced, with the work file beside that
        // file (a rename over the link would put a file in the link's place).
        char* real = ::realpath(target->c_str(), nullptr);
        if (real == nullptr || ::stat(real, &info) != 0) {
            trace::line("\"%s\" is a link to nothing that can be replaced: %s", host_text, trace::system_error().c_str());
            std::free(real);
            return std::nullopt;
        }
        target = NativePath(real);
        std::free(real);
    }
    // Only a regular file is replaced: a folder stays a folder, and a device, a FIFO or a socket
    // is neither written through nor taken away.
    if (S_ISDIR(info.st_mode)) {
        trace::line("\"%s\" is a folder", target->c_str());
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        trace::line("\"%s\" is a device, a FIFO or a socket, not a file", target->c_str());
        return std::nullopt;
    }
    return target;
}

bool remove_file(const NativePath& path) { return ::unlink(path.c_str()) == 0; }

void sleep_milliseconds(unsigned milliseconds) {
    timespec wait {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace korvif::platform
