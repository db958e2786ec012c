// What the Windows parts of the platform layer share about wide paths.
#pragma once

#include <string>

#include "platform/outcome.h"

namespace korvif::platform {

// The form of a full path that passes the system's path limit: "\\?\C:\..." and
// "\\?\UNC\server\share\...". Only for paths the system made full (every '/' turned into '\').
std::wstring long_path_form(const std::wstring& full);

// A path the system calls take whatever its length.
std::wstring callable(const std::wstring& full);

// The path an input or an output is opened by: the full path, in its long form where it passes
// the limit. Fails with cannot_be_opened, the reason traced, when the path as given or its full
// path names a device or a pipe (see names_windows_device), or has no full path.
Outcome<std::wstring> file_path(const std::wstring& path);

// Whether an open handle is a file on a disk (not a port, a console, a pipe, nor a volume or a
// physical disk, which say FILE_TYPE_DISK too: only a file or a folder has file information);
// false with the last error set when not. The handle needs FILE_READ_ATTRIBUTES access.
bool is_disk_file(void* handle);

// Marks the file open through `handle` (opened with DELETE access) to go when its last handle
// closes: SetFileInformationByHandle with FileDispositionInfo, looked up at run time, so that what
// was checked through the handle is what goes. Fails with absent where the system lacks the call
// (Windows XP), else with cannot_be_written (the last error says why).
Outcome<void> delete_when_closed(void* handle);

// The system's last error as UTF-8 text, for trace lines that carry wide names.
std::string error_text();

// Serialises one target's replace among this program's runs (a named mutex of the target's long
// path). A run that waits 10 seconds in vain goes on without it, as before there was a lock; an
// abandoned lock counts as taken. With `only_in_use`, the lock is taken only when another run
// has it open, that is while it replaces the target (whose name may be missing for that moment):
// holding it, a reader finds the name as that replace left it.
class TargetLock {
public:
    explicit TargetLock(const std::wstring& target, bool only_in_use = false);
    TargetLock(const TargetLock&) = delete;
    TargetLock& operator=(const TargetLock&) = delete;
    ~TargetLock();
    bool held() const { return mutex_ != nullptr; }

private:
    void* mutex_ = nullptr;
};

// The full path of the host's text in the form a replacement of it uses (and locks). Fails with
// cannot_be_written when there is none (no full path, or an existing file's long name cannot be
// had), traced only when `quiet` is false.
Outcome<std::wstring> resolved_target(const std::wstring& path, bool quiet);

}  // namespace korvif::platform
