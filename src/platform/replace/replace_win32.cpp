// Replacing files on Windows: ReplaceFileW with a backup name, its half-done failures mended by
// the replace steps, runs of this program serialised per target, the in-place route for targets
// that other programs hold, and the clean-up of work files that killed runs left.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/files/file.h"
#include "platform/files/path.h"
#include "platform/replace/replace_steps.h"
#include "platform/trace/trace.h"
#include "platform/files/wide_path_win32.h"

namespace korvif::platform {

namespace {

// The attributes the new content takes over from the old file. Not "offline" or "temporary":
// the new content is on the local disk, and lasting.
constexpr DWORD settable_attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr std::uint32_t copy_chunk = 64 * 1024;
constexpr DWORD lock_wait_ms = 10000;
constexpr std::uint64_t stale_age_100ns = 3600ull * 10000000ull;  // one hour

// Closes a handle when it goes.
class Handle {
public:
    explicit Handle(HANDLE h) : value_(h == nullptr ? INVALID_HANDLE_VALUE : h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) CloseHandle(value_);
    }
    bool valid() const { return value_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return value_; }
    HANDLE release() {
        const HANDLE value = value_;
        value_ = INVALID_HANDLE_VALUE;
        return value;
    }

private:
    HANDLE value_;
};

// Refused opens leave the file untouched: they count as held (or missing), never as failed.
CallResult open_refusal() {
    const CallResult result = call_refusal(GetLastError());
    return result == CallResult::missing ? result : CallResult::held;
}

// Locks every byte a write in place may touch, so that no other program reads a half-written
// file; unlocked before the handle closes.
class RangeLock {
public:
    RangeLock(HANDLE file, std::uint64_t length) : file_(file), length_(length) {
        locked_ = length == 0 ||
                  LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, low(), high(), &at_);
    }
    RangeLock(const RangeLock&) = delete;
    RangeLock& operator=(const RangeLock&) = delete;
    ~RangeLock() {
        if (locked_ && length_ != 0) UnlockFileEx(file_, 0, low(), high(), &at_);
    }
    bool locked() const { return locked_ != FALSE; }

private:
    DWORD low() const { return static_cast<DWORD>(length_); }
    DWORD high() const { return static_cast<DWORD>(length_ >> 32); }
    HANDLE file_;
    std::uint64_t length_;
    OVERLAPPED at_ {};  // from offset 0
    BOOL locked_ = FALSE;
};

bool set_size(HANDLE file, std::uint64_t size) {
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

bool copy_bytes(HANDLE from, HANDLE to) {
    std::vector<char> chunk(copy_chunk);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(from, chunk.data(), copy_chunk, &got, nullptr)) return false;
        if (got == 0) return true;
        DWORD put = 0;
        if (!WriteFile(to, chunk.data(), got, &put, nullptr) || put != got) return false;
    }
}

std::uint64_t size_of(HANDLE file) {
    LARGE_INTEGER size;
    return GetFileSizeEx(file, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

// The file whose bytes are written over a target; others may read it meanwhile.
HANDLE open_to_copy(const NativePath& from) {
    return CreateFileW(callable(from).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

class WindowsInPlaceFile final : public InPlaceFile {
public:
    WindowsInPlaceFile(HANDLE file, std::uint64_t locked_length) : file_(file), lock_(file, locked_length) {}
    bool locked() const { return lock_.locked(); }

    CallResult write_from(const NativePath& from) override {
        Handle source(open_to_copy(from));
        if (!source.valid()) return open_refusal();
        const std::uint64_t old_size = size_of(file_.get());
        const std::uint64_t new_size = size_of(source.get());
        // Room for the new size first (setting the end reserves the disk space), so the writes
        // that follow go into space the file already has.
        if (new_size > old_size && !set_size(file_.get(), new_size)) {
            set_size(file_.get(), old_size);
            return CallResult::held;  // nothing was written
        }
        LARGE_INTEGER start;
        start.QuadPart = 0;
        // The end is set last: where another program has mapped the file into memory, a shorter
        // end is refused (error 1224) after the bytes are written, a failed write like any other.
        const bool written = SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN) &&
                             copy_bytes(source.get(), file_.get()) && set_size(file_.get(), new_size) &&
                             FlushFileBuffers(file_.get());
        return written ? CallResult::done : CallResult::failed;
    }

private:
    Handle file_;
    RangeLock lock_;  // released before the file closes
};

class WindowsCalls final : public ReplaceCalls {
public:
    CallResult replace(const NativePath& target, const NativePath& work, const NativePath& backup) override {
        if (ReplaceFileW(callable(target).c_str(), callable(work).c_str(), callable(backup).c_str(),
                         REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            return CallResult::done;
        }
        return traced_refusal("one-step replace of", target);
    }

    CallResult move(const NativePath& from, const NativePath& to) override {
        if (MoveFileExW(callable(from).c_str(), callable(to).c_str(), MOVEFILE_WRITE_THROUGH)) return CallResult::done;
        return refusal(call_refusal);
    }

    CallResult move_over(const NativePath& from, const NativePath& to) override {
        if (MoveFileExW(callable(from).c_str(), callable(to).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return CallResult::done;
        }
        return traced_refusal("rename over", to);
    }

    bool exists(const NativePath& path) override {
        return GetFileAttributesW(callable(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    CallResult remove(const NativePath& path) override {
        if (DeleteFileW(callable(path).c_str())) return CallResult::done;
        return refusal(call_refusal);
    }

    bool held(const NativePath& path) override {
        Handle file(CreateFileW(callable(path).c_str(), DELETE | FILE_READ_ATTRIBUTES, share_all, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        return !file.valid() && GetLastError() == ERROR_SHARING_VIOLATION;
    }

    std::uint32_t last_error() override { return error_; }

    CallResult save_copy(const NativePath& from, const NativePath& to) override {
        Handle source(CreateFileW(callable(from).c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!source.valid()) return noted(open_refusal());
        if (!is_disk_file(source.get())) return CallResult::missing;
        // Made new: a file another program has just made under this name is never written or removed.
        Handle copy(
            CreateFileW(callable(to).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!copy.valid()) return CallResult::failed;
        if (copy_bytes(source.get(), copy.get()) && FlushFileBuffers(copy.get())) return CallResult::done;
        CloseHandle(copy.release());
        DeleteFileW(callable(to).c_str());
        return CallResult::failed;
    }

    CallResult open_in_place(const NativePath& target, const NativePath& from,
                             std::unique_ptr<InPlaceFile>& opened) override {
        Handle source(open_to_copy(from));
        if (!source.valid()) return noted(open_refusal());
        Handle file(CreateFileW(callable(target).c_str(), GENERIC_READ | GENERIC_WRITE, share_all, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return noted(open_refusal());
        if (!is_disk_file(file.get())) return CallResult::missing;  // no file: nothing to write in place
        // The old size and the new: putting the old bytes back stays inside the lock as well.
        const std::uint64_t locked_length = std::max(size_of(file.get()), size_of(source.get()));
        auto in_place = std::make_unique<WindowsInPlaceFile>(file.release(), locked_length);
        if (!in_place->locked()) return CallResult::locked;
        opened = std::move(in_place);
        return CallResult::done;
    }

    void wait(unsigned milliseconds) override { Sleep(milliseconds); }

private:
    // A refusal whose code is still the last error, kept for the trace.
    CallResult noted(CallResult result) {
        error_ = GetLastError();
        return result;
    }

    // The refusal of the call that just failed, its code kept for the trace.
    CallResult refusal(CallResult (*meaning)(std::uint32_t)) {
        error_ = GetLastError();
        return meaning(error_);
    }

    // The same for the one-step replace and the rename over the target; a refusal that no try
    // can change is traced here, a held one by the steps, once for all its tries.
    CallResult traced_refusal(const char* what, const NativePath& target) {
        const CallResult result = refusal(replace_refusal);
        if (result != CallResult::held)
            trace::utf8_line("%s \"%s\" refused: %s", what, printable(target).c_str(), error_text().c_str());
        return result;
    }

    DWORD error_ = 0;
};

// The path without its long-path prefix, folded to upper case, as the name of a lock: two runs
// naming one file by different forms meet in one lock.
std::uint64_t lock_hash(const NativePath& target) {
    std::wstring name = target;
    if (name.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        name = L"\\\\" + name.substr(8);
    } else if (name.rfind(L"\\\\?\\", 0) == 0) {
        name = name.substr(4);
    }
    if (!name.empty()) CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    std::uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a over the UTF-16 units
    for (wchar_t unit : name) {
        hash = (hash ^ static_cast<std::uint16_t>(unit)) * 0x100000001B3ull;
    }
    return hash;
}

std::wstring lock_name(const NativePath& target) {
    char hex[17];
    const std::uint64_t hash = lock_hash(target);
    std::snprintf(hex, sizeof hex, "%08lx%08lx", static_cast<unsigned long>(hash >> 32),
                  static_cast<unsigned long>(hash & 0xFFFFFFFFu));
    const std::string name = std::string("Local\\korvif32-") + hex;
    return std::wstring(name.begin(), name.end());
}

}  // namespace

TargetLock::TargetLock(const NativePath& target, bool only_in_use) {
    // A lock that no run has open now means that no replace of the target is going on.
    HANDLE mutex = only_in_use ? OpenMutexW(SYNCHRONIZE, FALSE, lock_name(target).c_str())
                               : CreateMutexW(nullptr, FALSE, lock_name(target).c_str());
    if (mutex == nullptr) return;
    const DWORD waited = WaitForSingleObject(mutex, lock_wait_ms);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        mutex_ = mutex;
    } else {
        trace::utf8_line("the replace lock of \"%s\" was not had within 10 seconds; going on without it",
                         printable(target).c_str());
        CloseHandle(mutex);
    }
}

TargetLock::~TargetLock() {
    if (mutex_ == nullptr) return;
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
}

namespace {

// "~kn" and the work file's digits: the name the new content takes when both versions stay.
NativePath kept_name(const NativePath& work) {
    NativePath kept = work;
    kept.replace(native_directory_length(work), 3, L"~kn");
    return kept;
}

NativePath free_backup_name(const NativePath& target) {
    const NativePath directory = target.substr(0, native_directory_length(target));
    NativePath backup;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = numbered_name("~kb", next_name_number());
        backup = directory + std::wstring(name.begin(), name.end());
        if (GetFileAttributesW(callable(backup).c_str()) == INVALID_FILE_ATTRIBUTES) break;
    }
    return backup;
}

std::uint64_t as_number(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Where the crash handlers find the work file of the replacement in progress: kept in fixed
// buffers, so that they need no heap.
wchar_t guarded_work[32768];
wchar_t guarded_target[32768];
bool guarded_target_existed = false;

}  // namespace

ReplaceOutcome replace_file(const NativePath& from, const NativePath& to, ReplaceOptions options) {
    const std::string name = printable(to);
    const TargetLock lock(to);
    const DWORD attributes = GetFileAttributesW(callable(to).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (MoveFileExW(callable(from).c_str(), callable(to).c_str(), MOVEFILE_WRITE_THROUGH))
            return ReplaceOutcome::replaced;
        trace::utf8_line("\"%s\" cannot be made: %s", name.c_str(), error_text().c_str());
        return ReplaceOutcome::refused;
    }
    // A folder that took the name meanwhile is never moved away.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        trace::utf8_line("replace refused: \"%s\" is a folder", name.c_str());
        return ReplaceOutcome::refused;
    }
    // A read-only file is not written, as Windows refuses to open it for writing.
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        trace::utf8_line("replace refused: \"%s\" is read-only", name.c_str());
        return ReplaceOutcome::refused;
    }
    WindowsCalls calls;
    const ReplaceOutcome outcome = replace_steps(calls, {to, from, free_backup_name(to), kept_name(from)}, options);
    // ReplaceFile keeps the old file's attributes (where it is a plain rename, they are set here);
    // the archive bit tells backups that the content changed.
    if (outcome == ReplaceOutcome::replaced) {
        SetFileAttributesW(callable(to).c_str(), (attributes & settable_attributes) | FILE_ATTRIBUTE_ARCHIVE);
    }
    return outcome;
}

namespace {

Outcome<FileStamp> stamp_of(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information)) return Failure::cannot_be_read;
    FileStamp stamp;
    stamp.size = (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    stamp.time = as_number(information.ftLastWriteTime);
    stamp.id = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return stamp;
}

// The name itself: a symbolic link is opened as the link, never followed.
HANDLE open_name(const NativePath& path, DWORD access) {
    return CreateFileW(callable(path).c_str(), access, share_all, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// The trace of a name that is no longer the version that was stamped; true when it still is.
bool still_unchanged(const NativePath& path, const Outcome<FileStamp>& now, const FileStamp& stamp) {
    if (!now) {  // removed meanwhile, or its name left missing by a replace that kept both versions
        trace::utf8_line("\"%s\" is not there: nothing removed", printable(path).c_str());
        return false;
    }
    if (*now != stamp) {
        trace::utf8_line("\"%s\" is newer than when this run began: it stays", printable(path).c_str());
        return false;
    }
    return true;
}

}  // namespace

Outcome<FileStamp> file_stamp(const NativePath& path) {
    Handle file(open_name(path, 0));
    if (!file.valid())
        return call_refusal(GetLastError()) == CallResult::missing ? Failure::not_found : Failure::cannot_be_read;
    return stamp_of(file.get());
}

bool remove_if_unchanged(const NativePath& path, const FileStamp& stamp) {
    const TargetLock lock(path);
    // Checked and removed through one handle, so that no other file can take the name between the
    // check and the removal (Windows Vista and later; XP removes by the name after the check).
    Handle file(open_name(path, DELETE | FILE_READ_ATTRIBUTES));
    if (!file.valid() && call_refusal(GetLastError()) != CallResult::missing) return false;
    const Outcome<FileStamp> now = file.valid() ? stamp_of(file.get()) : Failure::not_found;
    if (!still_unchanged(path, now, stamp)) return false;
    const Outcome<void> marked = delete_when_closed(file.get());
    if (marked || marked.failure() != Failure::absent) return static_cast<bool>(marked);
    CloseHandle(file.release());
    return DeleteFileW(callable(path).c_str()) != FALSE;
}

void remove_stale_work_files(const NativePath& directory, const NativePath& own_work) {
    const Outcome<FileStamp> own = file_stamp(own_work);
    if (!own) return;
    const std::uint64_t now = own->time;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(callable(directory + L"~kv*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring wide_name = found.cFileName;
        std::string name;
        for (wchar_t c : wide_name) name.push_back(c < 0x80 ? static_cast<char>(c) : '\x7F');
        const std::uint64_t written = as_number(found.ftLastWriteTime);
        if (!is_numbered_name(name, "~kv") || directory + wide_name == own_work ||
            (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || written + stale_age_100ns > now) {
            continue;
        }
        // A file that its run still holds (without delete sharing) cannot be removed, and stays.
        const NativePath path = directory + wide_name;
        if (DeleteFileW(callable(path).c_str()))
            trace::utf8_line("removed the stale work file \"%s\"", printable(path).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

Outcome<File> create_guarded_work_file(const NativePath& work, const NativePath& target) {
    Outcome<File> file = File::create_new(work);
    const DWORD error = GetLastError();
    if (file) guard_work_file(&work, &target);
    SetLastError(error);
    return file;
}

void guard_work_file(const NativePath* work, const NativePath* target) {
    guarded_work[0] = L'\0';
    guarded_target[0] = L'\0';
    if (work == nullptr || target == nullptr || work->size() >= 32768 || target->size() >= 32768) return;
    const std::wstring work_path = callable(*work);
    const std::wstring target_path = callable(*target);
    if (work_path.size() >= 32768 || target_path.size() >= 32768) return;
    guarded_target_existed = GetFileAttributesW(target_path.c_str()) != INVALID_FILE_ATTRIBUTES;
    target_path.copy(guarded_target, target_path.size());
    guarded_target[target_path.size()] = L'\0';
    work_path.copy(guarded_work, work_path.size());
    guarded_work[work_path.size()] = L'\0';
}

void remove_guarded_work_file() {
    // Only while the target's name stands, where there was a target: during a half-done replace
    // the work file may hold the only complete copy of the new content, and the backup that of
    // the old.
    if (guarded_work[0] == L'\0') return;
    if (guarded_target_existed && GetFileAttributesW(guarded_target) == INVALID_FILE_ATTRIBUTES) return;
    DeleteFileW(guarded_work);
}

}  // namespace korvif::platform
