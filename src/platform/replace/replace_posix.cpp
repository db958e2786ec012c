// Replacing files on Linux: one rename, which the system makes atomic; the read-only rule of the
// Windows build; the work file removed when a signal ends the run; and the clean-up of work files
// that killed runs left.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/file.h"
#include "platform/files/path.h"
#include "platform/trace/trace.h"

namespace korvif::platform {

namespace {

constexpr time_t stale_age_seconds = 3600;

// The work file a signal removes: a fixed buffer and a flag, which a signal handler may read.
char guarded_work[4096];
volatile std::sig_atomic_t guarded = 0;

extern "C" void remove_work_file_and_end(int signal_number) {
    remove_guarded_work_file();
    // The handler was set with SA_RESETHAND: the signal now ends the run as it would have.
    ::raise(signal_number);
}

void install_signal_handlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        // A signal the caller ignores (nohup) stays ignored.
        if (::sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = remove_work_file_and_end;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal_number, &action, nullptr);
    }
}

}  // namespace

ReplaceOutcome replace_file(const NativePath& from_path, const NativePath& to_path, ReplaceOptions) {
    const char* from = from_path.c_str();
    const char* to = to_path.c_str();
    // The new file gets the old one's permissions, or those a newly created file would get. A
    // file without any write bit is the counterpart of a read-only file on Windows: it stays,
    // also for root, whom the system would let write it.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(to, &old) == 0) {
        if ((old.st_mode & 0222) == 0) {
            trace::line("replace refused: \"%s\" is read-only", to);
            return ReplaceOutcome::refused;
        }
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::chmod(from, mode) != 0 || std::rename(from, to) != 0) {
        trace::line("replace of \"%s\" refused: %s", to, trace::system_error().c_str());
        return ReplaceOutcome::refused;
    }
    return ReplaceOutcome::replaced;
}

Outcome<FileStamp> file_stamp(const NativePath& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Failure::not_found : Failure::cannot_be_read;
    FileStamp stamp;
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.time = static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
                 static_cast<std::uint64_t>(info.st_mtim.tv_nsec);
    stamp.id = static_cast<std::uint64_t>(info.st_ino);
    return stamp;
}

bool remove_if_unchanged(const NativePath& path, const FileStamp& stamp) {
    const Outcome<FileStamp> now = file_stamp(path);
    if (!now) {  // removed meanwhile
        trace::line("\"%s\" is not there: nothing removed", path.c_str());
        return false;
    }
    if (*now != stamp) {
        trace::line("\"%s\" is newer than when this run began: it stays", path.c_str());
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

void remove_stale_work_files(const NativePath& directory, const NativePath& own_work) {
    DIR* listing = ::opendir(directory.empty() ? "." : directory.c_str());
    if (listing == nullptr) return;
    // The own work file's time, looked at as every other one is: the volume's "now".
    const std::string own_name = own_work.substr(native_directory_length(own_work));
    struct stat own {};
    if (::fstatat(::dirfd(listing), own_name.c_str(), &own, AT_SYMLINK_NOFOLLOW) != 0) {
        ::closedir(listing);
        return;
    }
    const time_t now = own.st_mtime;
    while (const dirent* entry = ::readdir(listing)) {
        if (!is_numbered_name(entry->d_name, "~kv") || own_name == entry->d_name) continue;
        struct stat info {};
        if (::fstatat(::dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_mtime + stale_age_seconds > now) {
            continue;
        }
        if (::unlinkat(::dirfd(listing), entry->d_name, 0) == 0) {
            trace::line("removed the stale work file \"%s%s\"", directory.c_str(), entry->d_name);
        }
    }
    ::closedir(listing);
}

Outcome<File> create_guarded_work_file(const NativePath& work, const NativePath& target) {
    install_signal_handlers();
    // The signals wait until the file is registered: one that comes in between is handled then,
    // and removes the file; never a name that another run made.
    sigset_t ending {};
    sigset_t before {};
    sigemptyset(&ending);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, signal_number);
    ::sigprocmask(SIG_BLOCK, &ending, &before);
    Outcome<File> file = File::create_new(work);
    const int error = errno;
    if (file) guard_work_file(&work, &target);
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return file;
}

void guard_work_file(const NativePath* work, const NativePath*) {
    guarded = 0;
    if (work == nullptr || work->size() >= sizeof guarded_work) return;
    install_signal_handlers();
    std::memcpy(guarded_work, work->c_str(), work->size() + 1);
    guarded = 1;
}

void remove_guarded_work_file() {
    // The rename is one step: the work file is never the only copy of anything.
    if (guarded != 0) ::unlink(guarded_work);
}

}  // namespace korvif::platform
