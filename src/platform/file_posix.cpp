#include "platform/file.h"

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
    bool delete_on_close;
    bool append;
};

OpenRequest request_for(FileMode mode) {
    switch (mode) {
    case FileMode::read_shared:
    case FileMode::read_deny_write: return {O_RDONLY, false, false};
    case FileMode::read_private_temporary: return {O_RDONLY, true, false};
    case FileMode::create_always:
    case FileMode::create_always_scratch: return {O_WRONLY | O_CREAT | O_TRUNC, false, false};
    case FileMode::open_always_append: return {O_WRONLY | O_CREAT, false, true};
    }
    return {O_RDONLY, false, false};
}

}  // namespace

File File::open(const char* path, FileMode mode) {
    File file;
    if (path == nullptr || *path == '\0') return file;
    const OpenRequest request = request_for(mode);
    const int fd = ::open(path, request.flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        trace::line("cannot open %s %s: %s", path, describe(mode), trace::system_error().c_str());
        return file;
    }
    // A directory opens only for reading (for writing, open itself refuses it).
    struct stat info {};
    if ((request.flags & O_ACCMODE) == O_RDONLY && (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))) {
        trace::line("cannot open %s %s: a directory", path, describe(mode));
        ::close(fd);
        errno = EISDIR;  // the caller's report of the system's error says why, as Windows' does
        return file;
    }
    // POSIX removes the name at once; the data lives until the descriptor is closed.
    if (request.delete_on_close) ::unlink(path);
    file.fd_ = fd;
    if (request.append) file.seek_to_end();
    if (trace::on()) trace::line("opened %s %s (%u bytes)", path, describe(mode), file.size());
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

bool File::seek_to_end() { return fd_ >= 0 && ::lseek(fd_, 0, SEEK_END) >= 0; }

std::uint32_t File::size() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return 0xFFFFFFFFu;
    if (info.st_size > 0xFFFFFFFEll) return 0xFFFFFFFEu;
    return static_cast<std::uint32_t>(info.st_size);
}

bool file_exists(const char* path) {
    if (path == nullptr || *path == '\0') return false;
    glob_t found {};
    const int result = ::glob(path, GLOB_NOSORT, nullptr, &found);
    const bool any = result == 0 && found.gl_pathc > 0;
    ::globfree(&found);
    if (!any) trace::line("no file matches %s", path);
    return any;
}

std::string temporary_directory() {
    const char* from_environment = std::getenv("TMPDIR");
    std::string directory = (from_environment && *from_environment) ? from_environment : "/tmp";
    if (directory.back() != '/') directory += '/';
    if (directory.size() + 1 > 256) return {};
    return directory;
}

std::optional<std::string> create_unique_temporary_file(const std::string& directory, const char* prefix) {
    std::string pattern = directory + prefix + "XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return std::nullopt;
    ::close(fd);
    return pattern;
}

bool remove_file(const char* path) { return ::unlink(path) == 0; }

std::string long_path_name(const char* path) { return path; }

bool replace_file(const char* from, const char* to) {
    // The new file gets the old one's permissions, or those a newly created file would get.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(to, &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::chmod(from, mode) != 0 || std::rename(from, to) != 0) {
        trace::line("replace of %s refused: %s", to, trace::system_error().c_str());
        return false;
    }
    return true;
}

void sleep_milliseconds(unsigned milliseconds) {
    timespec wait {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace korvif::platform
