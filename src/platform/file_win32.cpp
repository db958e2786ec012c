#include "platform/file.h"

#include <windows.h>

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
    case FileMode::create_read_write:
        return {GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, false};
    case FileMode::open_always_append:
        return {GENERIC_WRITE, 0, OPEN_ALWAYS, 0, true};
    case FileMode::open_existing_write:
        return {GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, false};
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
    if (handle == INVALID_HANDLE_VALUE) return file;
    file.handle_ = handle;
    if (request.append) file.seek_to_end();
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

void File::close() {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
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
    if (search == INVALID_HANDLE_VALUE) return false;
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

bool copy_file(const char* from, const char* to) { return CopyFileA(from, to, FALSE) != FALSE; }

bool remove_file(const char* path) { return DeleteFileA(path) != FALSE; }

bool replace_file(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE;
}

void sleep_milliseconds(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace korvif::platform
