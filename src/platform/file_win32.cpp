#include "platform/file.h"

#include <windows.h>

#include "platform/trace.h"

namespace korvif::platform {

namespace {

struct OpenRequest {
    DWORD access;
    DWORD sharing;
    DWORD creation;
    DWORD attributes;
    bool append;
};

OpenRequest request_for(FileMode mode) {
    switch (mode) {
    case FileMode::read_shared:
        return {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, false};
    case FileMode::read_private_temporary:
        return {GENERIC_READ, 0, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, false};
    case FileMode::read_deny_write:
        return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, false};
    case FileMode::create_always:
        return {GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, false};
    case FileMode::create_always_scratch:
        return {GENERIC_WRITE, 0, CREATE_ALWAYS,
                FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, false};
    case FileMode::open_always_append:
        return {GENERIC_WRITE, 0, OPEN_ALWAYS, 0, true};
    }
    return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, false};
}

}  // namespace

File File::open(const char* path, FileMode mode) {
    File file;
    if (path == nullptr || *path == '\0') return file;
    const OpenRequest request = request_for(mode);
    HANDLE handle = CreateFileA(path, request.access, request.sharing, nullptr, request.creation,
                                request.attributes, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        trace::line("cannot open %s %s: %s", path, describe(mode), trace::system_error().c_str());
        return file;
    }
    file.handle_ = handle;
    if (request.append) file.seek_to_end();
    if (trace::on()) trace::line("opened %s %s (%lu bytes)", path, describe(mode), static_cast<unsigned long>(file.size()));
    return file;
}

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

File::~File() { close(); }

bool File::is_open() const { return handle_ != nullptr; }

bool File::close() {
    const bool closed = handle_ == nullptr || CloseHandle(handle_) != FALSE;
    handle_ = nullptr;
    return closed;
}

bool File::read(void* buffer, std::uint32_t count, std::uint32_t& delivered) {
    DWORD got = 0;
    const BOOL ok = handle_ != nullptr && ReadFile(handle_, buffer, count, &got, nullptr);
    delivered = ok ? got : 0;
    return ok != FALSE;
}

bool File::write(const void* data, std::uint32_t count, std::uint32_t& written) {
    DWORD put = 0;
    const BOOL ok = handle_ != nullptr && WriteFile(handle_, data, count, &put, nullptr);
    written = ok ? put : 0;
    return ok != FALSE;
}

bool File::seek(std::uint32_t offset_from_start) {
    if (handle_ == nullptr) return false;
    LARGE_INTEGER distance;
    distance.QuadPart = offset_from_start;
    return SetFilePointerEx(handle_, distance, nullptr, FILE_BEGIN) != FALSE;
}

bool File::seek_to_end() {
    if (handle_ == nullptr) return false;
    LARGE_INTEGER distance;
    distance.QuadPart = 0;
    return SetFilePointerEx(handle_, distance, nullptr, FILE_END) != FALSE;
}

std::uint32_t File::size() const {
    return handle_ != nullptr ? GetFileSize(handle_, nullptr) : 0xFFFFFFFFu;
}

bool file_exists(const char* path) {
    if (path == nullptr || *path == '\0') return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) {
        trace::line("no file matches %s: %s", path, trace::system_error().c_str());
        return false;
    }
    FindClose(search);
    return true;
}

std::string temporary_directory() {
    char buffer[256];
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length >= sizeof buffer) return {};
    return std::string(buffer, length);
}

std::optional<std::string> create_unique_temporary_file(const std::string& directory, const char* prefix) {
    char name[MAX_PATH];
    if (GetTempFileNameA(directory.c_str(), prefix, 0, name) == 0) return std::nullopt;
    return std::string(name);
}

bool remove_file(const char* path) { return DeleteFileA(path) != FALSE; }

std::string long_path_name(const char* path) {
    char full[MAX_PATH];
    const DWORD full_length = GetFullPathNameA(path, sizeof full, full, nullptr);
    if (full_length == 0 || full_length >= sizeof full) return path;
    char long_name[MAX_PATH];
    const DWORD long_length = GetLongPathNameA(full, long_name, sizeof long_name);
    // A file that does not exist yet has no long name to find: its full path stands.
    if (long_length == 0 || long_length >= sizeof long_name) return full;
    return long_name;
}

namespace {

// Closes a handle when it goes.
struct Handle {
    HANDLE value;
    explicit Handle(HANDLE h) : value(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (value != INVALID_HANDLE_VALUE) CloseHandle(value);
    }
    bool valid() const { return value != INVALID_HANDLE_VALUE; }
};

bool read_whole(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 0x7FFFFFFF) return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr) || got == 0) return false;
        done += got;
    }
    return true;
}

bool write_whole_at_start(HANDLE file, const std::string& bytes) {
    LARGE_INTEGER start;
    start.QuadPart = 0;
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    DWORD done = 0;
    while (done < bytes.size()) {
        DWORD put = 0;
        if (!WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

bool set_size(HANDLE file, std::size_t size) {
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// Writes the new bytes into `target` under another program's open handle. Room for the new size
// is allocated first (setting the end of the file reserves the disk space), so the writes that
// follow go into space the file already has; should one fail all the same, the old bytes are
// written back into that space.
bool overwrite_in_place(const char* from, const char* target) {
    Handle fresh_file(CreateFileA(from, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string fresh;
    if (!fresh_file.valid() || !read_whole(fresh_file.value, fresh)) return false;
    Handle file(CreateFileA(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string old;
    if (!file.valid() || !read_whole(file.value, old)) return false;
    if (fresh.size() > old.size() && !set_size(file.value, fresh.size())) {
        set_size(file.value, old.size());
        return false;
    }
    if (!write_whole_at_start(file.value, fresh) || !set_size(file.value, fresh.size()) || !FlushFileBuffers(file.value)) {
        write_whole_at_start(file.value, old);
        set_size(file.value, old.size());
        return false;
    }
    return true;
}

bool exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

bool replace_file(const char* from, const char* to) {
    const DWORD attributes = GetFileAttributesA(to);
    if (attributes == INVALID_FILE_ATTRIBUTES) return MoveFileA(from, to) != FALSE;
    // A read-only file is not written, as Windows refuses to open it for writing.
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        trace::line("replace refused: %s is read-only", to);
        return false;
    }
    // ReplaceFile keeps the replaced file's long and short names, attributes and security. The
    // attributes are set once more for the systems whose ReplaceFile is a plain rename.
    if (ReplaceFileA(to, from, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        SetFileAttributesA(to, kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
        return true;
    }
    const DWORD error = GetLastError();
    trace::line("one-step replace of %s refused: %s", to, trace::system_error().c_str());
    // This error can mean that the old file is already gone and the new one not yet in its
    // place: the new file is complete, so it goes there now.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT && !exists(to)) return MoveFileA(from, to) != FALSE;
    // Refused, typically because another program holds the file open without delete sharing.
    if (!exists(to) || !overwrite_in_place(from, to)) {
        trace::line("replace refused: %s is in use and cannot be written in place", to);
        return false;
    }
    trace::line("%s written in place under another program's handle", to);
    DeleteFileA(from);
    return true;
}

void sleep_milliseconds(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace korvif::platform
