#include "platform/files/file.h"

#include "platform/files/path.h"
#include "platform/trace/trace.h"

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

// The errors that say a file or a directory on its path is not there.
bool missing_error(int error) { return error == ENOENT || error == ENOTDIR; }

}  // namespace

Outcome<NativePath> native_path(const char* host_text) {
    if (host_text == nullptr || *host_text == '\0') return Failure::empty_path;
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

Outcome<File> File::open(const char* path, FileMode mode, OpenRetry retry) { return open(path, mode, retry, true); }

Outcome<File> File::open_if_present(const char* path, FileMode mode) {
    return open(path, mode, OpenRetry::when_held, false);
}

// Linux knows no sharing violations, and a rename leaves no moment without the name: nothing to
// try again.
Outcome<File> File::open(const char* path, FileMode mode, OpenRetry, bool trace_missing) {
    if (path == nullptr || *path == '\0') return Failure::empty_path;
    const OpenRequest request = request_for(mode);
    const int fd = ::open(path, request.flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int error = errno;
        if (trace_missing || !missing_error(error)) {
            trace::line("cannot open \"%s\" %s: %s", path, describe(mode), trace::system_error().c_str());
        }
        errno = error;
        return missing_error(error) ? Failure::not_found : Failure::cannot_be_opened;
    }
    File file;
    file.fd_ = fd;
    // Only a regular file is read: a directory, a FIFO, a socket or a device opens only for
    // reading, and a device's or a FIFO's reads may wait for ever.
    struct stat info {};
    if ((request.flags & O_ACCMODE) == O_RDONLY && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        const bool directory = S_ISDIR(info.st_mode);
        trace::line("cannot open \"%s\" %s: %s", path, describe(mode), directory ? "a directory" : "not a plain file");
        static_cast<void>(file.close());
        errno = directory ? EISDIR : ENXIO;  // the caller's report of the system's error says why, as Windows' does
        return Failure::cannot_be_opened;
    }
    if (trace::on())
        trace::line("opened \"%s\" %s (%u bytes)", path, describe(mode), file.size().value_or(0xFFFFFFFFu));
    return file;
}

Outcome<File> File::create_new(const NativePath& path) {
    File file;
    file.fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file.fd_ < 0) return errno == EEXIST ? Failure::name_taken : Failure::cannot_be_written;
    return file;
}

Outcome<NativePath> temporary_directory() {
    const char* from_environment = std::getenv("TMPDIR");
    NativePath directory = (from_environment && *from_environment) ? from_environment : "/tmp";
    if (directory.back() != '/') directory += '/';
    return directory;
}

Outcome<ScratchFile> File::create_scratch(const NativePath& directory, const char* prefix) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = directory + numbered_name(prefix, next_name_number());
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ScratchFile scratch {File(), path};
            scratch.file.fd_ = fd;
            // The name goes at once; the data lives until the descriptor is closed, so a run that
            // is killed leaves nothing behind.
            ::unlink(path.c_str());
            trace::line("opened \"%s\" new, for reading and writing, deleted when closed", path.c_str());
            return scratch;
        }
        if (errno != EEXIST) break;
    }
    return Failure::cannot_be_written;
}

File::File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        static_cast<void>(close());
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

// A file that was only read has nothing to lose; one that was written is closed by its owner,
// who asks.
File::~File() { static_cast<void>(close()); }

Outcome<void> File::close() {
    const bool closed = fd_ < 0 || ::close(fd_) == 0;
    fd_ = -1;
    if (!closed) return Failure::cannot_be_written;
    return {};
}

Outcome<std::uint32_t> File::read(void* buffer, std::uint32_t count) {
    if (fd_ < 0) return Failure::cannot_be_read;
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::uint32_t delivered = 0;
    while (delivered < count) {
        const ssize_t got = ::read(fd_, bytes + delivered, count - delivered);
        if (got < 0) {
            if (errno == EINTR) continue;
            // Bytes that came before the failure are delivered; the next read meets it again.
            if (delivered > 0) break;
            return Failure::cannot_be_read;
        }
        if (got == 0) break;
        delivered += static_cast<std::uint32_t>(got);
    }
    return delivered;
}

Outcome<std::uint32_t> File::write(const void* data, std::uint32_t count) {
    if (fd_ < 0) return Failure::cannot_be_written;
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint32_t written = 0;
    while (written < count) {
        const ssize_t put = ::write(fd_, bytes + written, count - written);
        if (put < 0) {
            if (errno == EINTR) continue;
            // A write that stops part of the way reports the bytes it took, the cause the last error.
            if (written > 0) break;
            return Failure::cannot_be_written;
        }
        written += static_cast<std::uint32_t>(put);
    }
    return written;
}

Outcome<void> File::seek(std::uint32_t offset_from_start) {
    if (fd_ < 0 || ::lseek(fd_, static_cast<off_t>(offset_from_start), SEEK_SET) < 0) return Failure::cannot_be_reached;
    return {};
}

Outcome<void> File::flush() {
    while (fd_ >= 0) {
        if (::fsync(fd_) == 0) return {};
        if (errno != EINTR) break;
    }
    return Failure::cannot_be_written;
}

Outcome<std::uint32_t> File::size() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return Failure::cannot_be_read;
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

bool same_file(const char* first, const char* second) {
    if (first == nullptr || second == nullptr || *first == '\0' || *second == '\0') return false;
    struct stat one {};
    struct stat other {};
    // Followed through symbolic links, as a replacement follows an output's link to its file.
    if (::stat(first, &one) != 0 || ::stat(second, &other) != 0) return false;
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

std::size_t native_directory_length(const NativePath& path) {
    return directory_length(path, PathStyle::posix, nullptr);
}

Outcome<NativePath> replacement_target(const char* host_text) {
    Outcome<NativePath> target = native_path(host_text);
    struct stat info {};
    if (!target || ::lstat(target->c_str(), &info) != 0) return target;
    if (S_ISLNK(info.st_mode)) {
        // A symbolic link stays: the file it points to is replaced, with the work file beside that
        // file (a rename over the link would put a file in the link's place).
        char* real = ::realpath(target->c_str(), nullptr);
        if (real == nullptr || ::stat(real, &info) != 0) {
            trace::line("\"%s\" is a link to nothing that can be replaced: %s", host_text,
                        trace::system_error().c_str());
            std::free(real);
            return Failure::cannot_be_written;
        }
        target = NativePath(real);
        std::free(real);
    }
    // Only a regular file is replaced: a folder stays a folder, and a device, a FIFO or a socket
    // is neither written through nor taken away.
    if (S_ISDIR(info.st_mode)) {
        trace::line("\"%s\" is a folder", target->c_str());
        return Failure::cannot_be_written;
    }
    if (!S_ISREG(info.st_mode)) {
        trace::line("\"%s\" is a device, a FIFO or a socket, not a file", target->c_str());
        return Failure::cannot_be_written;
    }
    return target;
}

Outcome<NativePath> output_name(const char* host_text) {
    Outcome<NativePath> name = native_path(host_text);
    if (!name || is_link_to_nothing(*name)) return name;
    const Outcome<NativePath> target = replacement_target(host_text);
    if (!target) return target;
    return name;
}

bool is_link_to_nothing(const NativePath& name) {
    struct stat info {};
    if (::lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return false;
    return ::stat(name.c_str(), &info) != 0 && (missing_error(errno) || errno == ELOOP);
}

Outcome<void> remove_file(const NativePath& path) {
    if (::unlink(path.c_str()) != 0) return Failure::cannot_be_written;
    return {};
}

void sleep_milliseconds(unsigned milliseconds) {
    timespec wait {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace korvif::platform
