#include "platform/files/file.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "platform/files/host_text.h"
#include "platform/files/path.h"
#include "platform/trace/trace.h"
#include "platform/files/wide_path_win32.h"

namespace korvif::platform {

namespace {

struct OpenRequest {
    DWORD access;
    DWORD sharing;
    DWORD creation;
    DWORD attributes;
};

OpenRequest request_for(FileMode mode) {
    switch (mode) {
    // Reads share deletion too, so that another run's replace of the file goes ahead while this
    // one reads the old bytes.
    case FileMode::read_shared:
        return {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                FILE_ATTRIBUTE_NORMAL};
    case FileMode::read_deny_write:
        return {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL};
    // The attributes as well, which tell a file from a volume (is_disk_file).
    case FileMode::create_always:
        return {GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL};
    }
    return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL};
}

// A wide string from a system call that is asked for its length first: `call(buffer, size)`
// returns the length without the terminator, or the size needed when the buffer is too small,
// or 0 on failure.
template <class Call>
std::wstring wide_result(Call call) {
    std::wstring text(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
        if (length == 0) return {};
        if (length < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(length + 1);
    }
    return {};
}

}  // namespace

std::wstring long_path_form(const std::wstring& full) {
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::wstring callable(const std::wstring& full) { return full.size() < MAX_PATH ? full : long_path_form(full); }

std::string error_text() { return trace::utf8(trace::system_error()); }

namespace {

std::wstring full_path_of(const std::wstring& path) {
    return wide_result(
        [&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
}

std::wstring long_name_of(const std::wstring& full) {
    const std::wstring path = callable(full);
    return wide_result([&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(path.c_str(), buffer, size); });
}

std::string hex_of(std::uint32_t number) { return numbered_name("", number).substr(0, 8); }

// The file a file symbolic link points to, in the form a replacement uses; nothing where the
// system cannot tell (Windows XP, which has no file links, lacks the call: the named path stands).
std::optional<std::wstring> final_path_of(const std::wstring& link) {
    using FinalPathCall = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    const auto final_path_call = reinterpret_cast<FinalPathCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW")));
    if (final_path_call == nullptr) return link;
    const HANDLE file = CreateFileW(callable(link).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    if (!is_disk_file(file)) {
        CloseHandle(file);
        return std::nullopt;
    }
    constexpr DWORD normalized_dos_name = 0;  // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS
    std::wstring final_path = wide_result(
        [&](wchar_t* buffer, DWORD size) { return final_path_call(file, buffer, size, normalized_dos_name); });
    CloseHandle(file);
    if (final_path.empty()) return std::nullopt;
    // "\\?\C:\..." and "\\?\UNC\server\..." in their usual forms; the long form is put back where needed.
    if (final_path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + final_path.substr(8);
    if (final_path.rfind(L"\\\\?\\", 0) == 0) return final_path.substr(4);
    return final_path;
}

bool is_file_symbolic_link(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(callable(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && found.dwReserved0 == IO_REPARSE_TAG_SYMLINK;
}

}  // namespace

Outcome<std::wstring> file_path(const std::wstring& path) {
    // Opening a device may wait for ever (a serial port, a pipe) and raises a port's lines: such a
    // name is refused before anything is opened, as given and as the system completes it (which
    // can turn a name into "\\.\COM1").
    const bool device = names_windows_device(path);
    const std::wstring full = device ? std::wstring() : full_path_of(path);
    if (device || names_windows_device(full)) {
        trace::utf8_line("\"%s\" names a device or a pipe, not a file", printable(path).c_str());
        return Failure::cannot_be_opened;
    }
    if (full.empty()) {
        trace::utf8_line("no full path for \"%s\": %s", printable(path).c_str(), error_text().c_str());
        return Failure::cannot_be_opened;
    }
    return callable(full);
}

bool is_disk_file(void* handle) {
    // A volume or a physical disk opened by its name is a disk too: only a file (or a folder, which
    // its callers refuse by its attributes) has file information with an index.
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &information)) return true;
    SetLastError(ERROR_BAD_FILE_TYPE);
    return false;
}

Outcome<void> delete_when_closed(void* handle) {
    using SetInformationCall = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
    const auto set_information = reinterpret_cast<SetInformationCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetFileInformationByHandle")));
    if (set_information == nullptr) return Failure::absent;
    constexpr int file_disposition_info = 4;  // FILE_INFO_BY_HANDLE_CLASS's FileDispositionInfo
    struct {
        BOOLEAN delete_file;
    } disposition {TRUE};
    if (!set_information(handle, file_disposition_info, &disposition, sizeof disposition))
        return Failure::cannot_be_written;
    return {};
}

std::optional<std::wstring> wide_of_ansi(std::string_view ansi) {
    if (ansi.empty()) return std::wstring();
    // Bytes that are no character of the code page make the text unusable rather than naming
    // whatever the system would put in their place.
    const int size = static_cast<int>(ansi.size());
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), size, wide.data(), length) != length) {
        return std::nullopt;
    }
    return wide;
}

std::optional<std::string> exact_ansi(std::wstring_view wide) {
    static_assert(ExactConversion::no_best_fit == WC_NO_BEST_FIT_CHARS);
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    const ExactConversion conversion = exact_conversion(GetACP());
    BOOL used_default = FALSE;
    BOOL* const ask = conversion.asks_used_default ? &used_default : nullptr;
    const int length = WideCharToMultiByte(CP_ACP, conversion.flags, wide.data(), size, nullptr, 0, nullptr, ask);
    if (length <= 0 || used_default) return std::nullopt;
    std::string text(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(CP_ACP, conversion.flags, wide.data(), size, text.data(), length, nullptr, ask) != length ||
        used_default) {
        return std::nullopt;
    }
    return text;
}

Outcome<NativePath> native_path(const char* host_text) {
    if (host_text == nullptr || *host_text == '\0') return Failure::empty_path;
    std::optional<std::wstring> wide = wide_of_ansi(host_text);
    if (!wide) return Failure::cannot_be_read;
    return std::move(*wide);
}

std::string printable(const NativePath& path) {
    if (path.empty()) return {};
    const int size = static_cast<int>(path.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, path.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

bool host_lead_byte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

std::uint64_t name_seed() {
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^ static_cast<std::uint64_t>(count.QuadPart);
}

Outcome<File> File::open(const char* path, FileMode mode, OpenRetry retry) { return open(path, mode, retry, true); }

Outcome<File> File::open_if_present(const char* path, FileMode mode) {
    return open(path, mode, OpenRetry::when_held, false);
}

Outcome<File> File::open(const char* host_text, FileMode mode, OpenRetry retry, bool trace_missing) {
    const Outcome<NativePath> path = native_path(host_text);
    if (!path && path.failure() == Failure::empty_path) return path.failed();
    if (!path) {
        trace::line("cannot open \"%s\" %s: the path is no text of the ANSI code page", host_text, describe(mode));
        return Failure::cannot_be_opened;
    }
    const Outcome<std::wstring> opened_as = file_path(*path);
    if (!opened_as) return opened_as.failed();
    const OpenRequest request = request_for(mode);
    const bool reading = request.access == GENERIC_READ;
    HANDLE handle = INVALID_HANDLE_VALUE;
    // For up to 2 seconds in 100 ms steps, while another program holds the file or, where asked,
    // while a file found just before is missing (between the two names of a replace).
    for (int attempt = 0; attempt <= 20; ++attempt) {
        if (attempt > 0) Sleep(100);
        handle = CreateFileW(opened_as->c_str(), request.access, request.sharing, nullptr, request.creation,
                             request.attributes, nullptr);
        const DWORD error = GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        const bool missing = error == ERROR_FILE_NOT_FOUND && retry == OpenRetry::when_held_or_missing;
        if (handle != INVALID_HANDLE_VALUE || !reading || !(held || missing)) break;
    }
    // What opened under a file's name must be a file on a disk, whatever the name rule missed.
    if (handle != INVALID_HANDLE_VALUE && !is_disk_file(handle)) {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        SetLastError(ERROR_BAD_FILE_TYPE);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const bool not_there = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        if (trace_missing || !not_there) {
            trace::utf8_line("cannot open \"%s\" %s: %s", printable(*path).c_str(), describe(mode),
                             error_text().c_str());
        }
        SetLastError(error);
        return not_there ? Failure::not_found : Failure::cannot_be_opened;
    }
    File file;
    file.handle_ = handle;
    if (trace::on()) {
        trace::utf8_line("opened \"%s\" %s (%lu bytes)", printable(*path).c_str(), describe(mode),
                         static_cast<unsigned long>(file.size().value_or(0xFFFFFFFFu)));
    }
    return file;
}

Outcome<File> File::create_new(const NativePath& path) {
    HANDLE handle =
        CreateFileW(callable(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Failure::name_taken
                                                                           : Failure::cannot_be_written;
    }
    File file;
    file.handle_ = handle;
    return file;
}

Outcome<NativePath> temporary_directory() {
    std::wstring directory = wide_result([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
    if (directory.empty()) return Failure::not_found;
    return directory;
}

Outcome<ScratchFile> File::create_scratch(const NativePath& directory, const char* prefix) {
    const std::wstring wide_prefix(prefix, prefix + std::char_traits<char>::length(prefix));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string number = hex_of(next_name_number());
        const std::wstring path = directory + wide_prefix + std::wstring(number.begin(), number.end()) + L".tmp";
        // The temporary directory comes from the environment (TMP, TEMP), which may name a device.
        const Outcome<std::wstring> created_as = file_path(path);
        if (!created_as) {
            SetLastError(ERROR_BAD_FILE_TYPE);
            break;
        }
        // Deleted when its last handle closes, also when the process is ended from outside.
        HANDLE handle = CreateFileW(created_as->c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        // What opened must be a file on a disk, whatever the name rule missed.
        if (handle != INVALID_HANDLE_VALUE && !is_disk_file(handle)) {
            CloseHandle(handle);
            SetLastError(ERROR_BAD_FILE_TYPE);
            trace::utf8_line("cannot open \"%s\" new, for reading and writing: %s", printable(path).c_str(),
                             error_text().c_str());
            break;
        }
        if (handle != INVALID_HANDLE_VALUE) {
            ScratchFile scratch {File(), printable(path)};
            scratch.file.handle_ = handle;
            trace::utf8_line("opened \"%s\" new, for reading and writing, deleted when closed", scratch.name.c_str());
            return scratch;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return Failure::cannot_be_written;
}

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        static_cast<void>(close());
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

// A file that was only read has nothing to lose; one that was written is closed by its owner,
// who asks.
File::~File() { static_cast<void>(close()); }

Outcome<void> File::close() {
    const bool closed = handle_ == nullptr || CloseHandle(handle_) != FALSE;
    handle_ = nullptr;
    if (!closed) return Failure::cannot_be_written;
    return {};
}

Outcome<std::uint32_t> File::read(void* buffer, std::uint32_t count) {
    DWORD got = 0;
    if (handle_ == nullptr || !ReadFile(handle_, buffer, count, &got, nullptr)) return Failure::cannot_be_read;
    return static_cast<std::uint32_t>(got);
}

Outcome<std::uint32_t> File::write(const void* data, std::uint32_t count) {
    DWORD put = 0;
    if (handle_ == nullptr || !WriteFile(handle_, data, count, &put, nullptr)) return Failure::cannot_be_written;
    return static_cast<std::uint32_t>(put);
}

Outcome<void> File::seek(std::uint32_t offset_from_start) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset_from_start;
    if (handle_ == nullptr || !SetFilePointerEx(handle_, distance, nullptr, FILE_BEGIN))
        return Failure::cannot_be_reached;
    return {};
}

Outcome<std::uint32_t> File::size() const {
    if (handle_ == nullptr) return Failure::cannot_be_read;
    DWORD high = 0;
    const DWORD low = GetFileSize(handle_, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return Failure::cannot_be_read;
    if (high != 0 || low > 0xFFFFFFFEu) return 0xFFFFFFFEu;
    return static_cast<std::uint32_t>(low);
}

Outcome<void> File::flush() {
    if (handle_ == nullptr || !FlushFileBuffers(handle_)) return Failure::cannot_be_written;
    return {};
}

bool file_exists(const char* path) {
    if (path == nullptr || *path == '\0') return false;
    const Outcome<NativePath> wide = native_path(path);
    if (!wide) {
        trace::line("no file matches \"%s\": the path is no text of the ANSI code page", path);
        return false;
    }
    // Searched for by the full path, in its long form where it passes the limit.
    const Outcome<std::wstring> searched_as = file_path(*wide);
    if (!searched_as) return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(searched_as->c_str(), &found);
    // Another run may be replacing the file at this moment, its name missing until that is done.
    if (search == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND &&
        wide->find_first_of(L"*?") == std::wstring::npos) {
        // Looked at again holding that replace's lock (when one is going on), or at once (when it
        // has just ended); a second round catches a replace that began in between.
        const Outcome<std::wstring> target = resolved_target(*wide, true);
        for (int round = 0; target && search == INVALID_HANDLE_VALUE && round < 2; ++round) {
            const TargetLock replace_over(*target, true);
            search = FindFirstFileW(searched_as->c_str(), &found);
            if (replace_over.held()) break;
        }
    }
    if (search == INVALID_HANDLE_VALUE) {
        trace::line("no file matches \"%s\": %s", path, trace::system_error().c_str());
        return false;
    }
    FindClose(search);
    return true;
}

namespace {

// The volume's serial number and the file's index, through a handle that asks for no access to
// the content and shares everything, so that another program's hold does not hide the file.
std::optional<std::pair<DWORD, std::uint64_t>> file_identity(const char* host_text) {
    const Outcome<NativePath> path = native_path(host_text);
    if (!path || names_windows_device(*path)) return std::nullopt;
    const std::wstring full = full_path_of(*path);
    if (full.empty() || names_windows_device(full)) return std::nullopt;
    const HANDLE file = CreateFileW(callable(full).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information;
    const bool known = is_disk_file(file) && GetFileInformationByHandle(file, &information);
    CloseHandle(file);
    if (!known) return std::nullopt;
    return std::pair(information.dwVolumeSerialNumber,
                     (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow);
}

}  // namespace

bool same_file(const char* first, const char* second) {
    const auto one = file_identity(first);
    if (!one) return false;
    const auto other = file_identity(second);
    return other && *one == *other;
}

std::size_t native_directory_length(const NativePath& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos) return separator + 1;
    return path.size() >= 2 && path[1] == L':' ? 2 : 0;
}

Outcome<std::wstring> resolved_target(const std::wstring& path, bool quiet) {
    const std::wstring full = full_path_of(path);
    if (full.empty()) {
        if (!quiet) trace::utf8_line("no full path for \"%s\": %s", printable(path).c_str(), error_text().c_str());
        return Failure::cannot_be_written;
    }
    std::wstring target;
    if (GetFileAttributesW(callable(full).c_str()) != INVALID_FILE_ATTRIBUTES) {
        // An existing file is replaced under its own long name, never under its 8.3 name.
        target = long_name_of(full);
        if (target.empty()) {
            if (!quiet)
                trace::utf8_line("the long name of \"%s\" cannot be had: %s", printable(full).c_str(),
                                 error_text().c_str());
            return Failure::cannot_be_written;
        }
    } else {
        // A new file: the long form of its directory, and its name as given.
        const std::size_t directory = native_directory_length(full);
        std::wstring long_directory = long_name_of(full.substr(0, directory));
        if (long_directory.empty()) long_directory = full.substr(0, directory);
        if (!long_directory.empty() && long_directory.back() != L'\\') long_directory.push_back(L'\\');
        target = long_directory + full.substr(directory);
    }
    // The work files beside the target must fit as well.
    const std::size_t work_path = native_directory_length(target) + numbered_name_length;
    if (target.size() >= MAX_PATH || work_path >= MAX_PATH) target = long_path_form(target);
    return target;
}

Outcome<NativePath> replacement_target(const char* host_text) {
    const Outcome<NativePath> wide = native_path(host_text);
    if (!wide && wide.failure() == Failure::empty_path) return wide;
    if (!wide) {
        trace::line("\"%s\" is no text of the ANSI code page", host_text);
        return Failure::cannot_be_written;
    }
    if (!file_path(*wide)) return Failure::cannot_be_written;
    Outcome<NativePath> target = resolved_target(*wide, false);
    if (!target) return target;
    const DWORD attributes = GetFileAttributesW(callable(*target).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return target;
    // A folder (or a junction, a mount point, a folder link) is never replaced by a file. A
    // reparse point that is a file (a cloud placeholder, a deduplicated file) is replaced as any
    // file is.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        trace::utf8_line("\"%s\" is a folder", printable(*target).c_str());
        return Failure::cannot_be_written;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !is_file_symbolic_link(*target)) return target;
    // A file symbolic link stays, and the file it points to is replaced, with the work file beside
    // that file (a replace of the link would put a file in its place).
    const auto linked = final_path_of(*target);
    if (!linked) {
        trace::utf8_line("\"%s\" is a link to nothing that can be replaced: %s", printable(*target).c_str(),
                         error_text().c_str());
        return Failure::cannot_be_written;
    }
    if (!file_path(*linked)) return Failure::cannot_be_written;
    return resolved_target(*linked, false);
}

Outcome<NativePath> output_name(const char* host_text) {
    // Looked at quietly first: the checks, and the trace of a name that can be no output, are
    // replacement_target's.
    const Outcome<NativePath> wide = native_path(host_text);
    const bool plain = wide && !names_windows_device(*wide) && !names_windows_device(full_path_of(*wide));
    const Outcome<NativePath> name = plain ? resolved_target(*wide, true) : Failure::cannot_be_written;
    if (name && is_link_to_nothing(*name)) return name;
    const Outcome<NativePath> target = replacement_target(host_text);
    if (!target) return target;
    return name ? name : target;
}

bool is_link_to_nothing(const NativePath& name) {
    if (!is_file_symbolic_link(name)) return false;
    const HANDLE file = CreateFileW(callable(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_CANT_RESOLVE_FILENAME;
}

Outcome<void> remove_file(const NativePath& path) {
    if (!DeleteFileW(callable(path).c_str())) return Failure::cannot_be_written;
    return {};
}

void sleep_milliseconds(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace korvif::platform
