// The operating-system layer that the conversion and bitmap commands need: files opened with
// the access, sharing and creation modes of the host's conventions, work and scratch files,
// replacing one file by another, and the short sleep between read attempts.
//
// Paths arrive as the host's text (ANSI on Windows). The Windows implementation turns that text
// into UTF-16 once, with the ANSI code page, and does every file operation with the wide
// functions: a name with letters outside the code page, reached by its 8.3 short name, is never
// turned back into ANSI, which would name another file or none. Linux keeps the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/outcome.h"

namespace korvif::platform {

// Files, and ranges of them, of 2 GiB or more are refused: every size and offset of the file
// formats is a signed 32-bit number.
inline constexpr std::uint32_t size_limit = 0x80000000u;

// A path in the system's own form: UTF-16 on Windows, bytes on Linux.
#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

// The host's text in the system's form. Fails with empty_path for an empty text, and with
// cannot_be_read for bytes that are no text of the ANSI code page (Windows: an unusable path).
Outcome<NativePath> native_path(const char* host_text);

// The path as UTF-8 text, for the trace.
std::string printable(const NativePath& path);

enum class FileMode {
    read_shared,      // read an existing file, others may read and write it
    read_deny_write,  // read an existing file, others may only read (BMP input)
    create_always,    // write a new or emptied file, unshared
};

// Which refusals an open for reading tries again, for up to 2 seconds: always a sharing
// violation (another run replacing the file, a scanner); a missing file only when asked, for a
// file that was found just before (the moment between the two names of a replacement).
enum class OpenRetry { when_held, when_held_or_missing };

// What a file is opened for, in the trace's words.
constexpr const char* describe(FileMode mode) {
    switch (mode) {
    case FileMode::read_shared: return "for reading, shared";
    case FileMode::read_deny_write: return "for reading, others may only read";
    case FileMode::create_always: return "new, for writing";
    }
    return "";
}

struct ScratchFile;

// An open file; closed when the object goes (a default one is none, and every call on it
// fails). Reads and writes report success the way the system does: a successful read may
// deliver fewer bytes than asked (at the end of the file). Only a file on a disk opens: a
// device's or a pipe's name is refused before anything is opened (Windows; the path as given and
// its full path), and on Linux a FIFO, a socket or a device is refused without waiting.
//
// Where a call fails, the system's error is the last error (trace::system_error) when it
// returns.
class File {
public:
    File() = default;

    // Opens the file named by the host's text. Fails with empty_path for an empty path, with
    // not_found when the file or its directory is not there, and with cannot_be_opened for any
    // other refusal (a folder, a device, a held file, a text that is no path); the cause is
    // traced.
    static Outcome<File> open(const char* path, FileMode mode, OpenRetry retry = OpenRetry::when_held);

    // The same for a file that is often not there: not_found goes untraced, for the caller to
    // say in its own words.
    static Outcome<File> open_if_present(const char* path, FileMode mode);

    // A file that must not exist yet, created for writing, unshared. Fails with name_taken when
    // the name exists, else with cannot_be_written.
    static Outcome<File> create_new(const NativePath& path);

    // A new file in the directory with the prefix in its name, open for reading and writing
    // through this one handle and gone when the handle closes: nothing is left behind when the
    // run ends, however it ends, as far as the system allows (Linux removes the name at once).
    // Fails with cannot_be_written.
    static Outcome<ScratchFile> create_scratch(const NativePath& directory, const char* prefix);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    // The bytes delivered: all that were asked, or fewer at the end of the file. Fails with
    // cannot_be_read.
    Outcome<std::uint32_t> read(void* buffer, std::uint32_t count);

    // The bytes written: fewer than asked where the system took only some (a full disk). Fails
    // with cannot_be_written.
    Outcome<std::uint32_t> write(const void* data, std::uint32_t count);

    // Fails with cannot_be_reached.
    Outcome<void> seek(std::uint32_t offset_from_start);

    // The size in bytes, at most 0xFFFFFFFE (a larger file reads as that). Fails with
    // cannot_be_read when the system cannot tell.
    Outcome<std::uint32_t> size() const;

    // The written bytes on the disk. Fails with cannot_be_written when the system reports a
    // failure.
    Outcome<void> flush();

    // Fails with cannot_be_written when the system reports a failure (a delayed write that
    // failed); the file is closed either way.
    Outcome<void> close();

private:
    static Outcome<File> open(const char* path, FileMode mode, OpenRetry retry, bool trace_missing);

#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// The directory for temporary files, its last separator included (Linux: TMPDIR, or /tmp).
// Fails with not_found when the system names none.
Outcome<NativePath> temporary_directory();

// A scratch file (File::create_scratch), and its name for the trace (UTF-8).
struct ScratchFile {
    File file;
    std::string name;
};

// True when a directory search for the path finds an entry; wildcards are honoured and a
// directory counts. On Windows the search goes by the full path (in its long form where it
// passes the limit), and a device's or a pipe's name is never found.
bool file_exists(const char* path);

// Whether the two host texts name one and the same existing file, by its identity rather than
// its spelling: the volume's serial number and the file's index (Windows), the device and the
// inode (Linux). So "fax.kvd", ".\\fax.kvd", "FAX.KVD", its 8.3 name, a hard link to it and a
// symbolic link to it all name the same file. False when either path names no file that can be
// looked at (missing, a device's or a pipe's name, no access to its attributes); the trace says
// nothing. A command that writes another kind of file than it reads asks this before it writes,
// so that an output mistyped as the input never destroys the input.
bool same_file(const char* first, const char* second);

// The target of a replacement, from the host's text: the full path with every directory and an
// existing file's name in their long form, so that a file named by its 8.3 short name keeps its
// long name when it is replaced. Where the path, or a work file's path beside it, would pass
// the system's path limit, the long-path form. On Linux the path as given. A symbolic link to a
// file gives the file it points to. Nothing, with the reason traced, when the path names a
// folder, a device, a pipe, a FIFO or a socket, cannot be resolved, or when the file exists and
// its long name cannot be had. Fails then, with the reason traced, with cannot_be_written; for
// an empty text with empty_path.
Outcome<NativePath> replacement_target(const char* host_text);

// The output's own name, from the host's text, in the form replacement_target gives it, but with
// a symbolic link at the name left as the link: what a command that owns the name (F2S's
// ~isdnfax.sff) stamps and removes, never the file the link points to. Fails as
// replacement_target does, except that a link to nothing is no failure.
Outcome<NativePath> output_name(const char* host_text);

// Whether the name is a symbolic link that leads to no file (its file, or a folder on its way, is
// not there, or the links go round in a loop).
bool is_link_to_nothing(const NativePath& name);

// The length of the directory part of a path in the system's form, its last separator
// included.
std::size_t native_directory_length(const NativePath& path);

// Fails with cannot_be_written.
Outcome<void> remove_file(const NativePath& path);

enum class ReplaceOutcome {
    replaced,  // the target holds the new content; the work file and any backup are gone
    refused,   // the target is as it was; the work file is the caller's to remove
    kept,      // neither version could be put under the target's name: the old content is in a
               // backup, the new one in the work file or a name out of the work files' pattern
               // ("~kn", 8 hexadecimal digits, ".tmp"), and both stay (the trace names them)
};

struct ReplaceOptions {
    // Whether the target may be written in place when another program holds it without delete
    // sharing (a viewer, a scanner). Not for a file another program may be sending.
    bool in_place = true;
};

// Puts the complete, flushed file `from` in the place of `to`: `to` keeps its name, attributes
// (with the archive bit set, so that backups see the change, and without "offline" and
// "temporary") and security; a missing `to` is created; a read-only `to` (on Linux: one without
// any write bit) and a folder are refused. On Windows the replace is serialised among this
// program's runs, calls refused because another program holds a file are tried again for up to 2
// seconds, a share that does not do the one-step replace gets one rename over the target, and a
// target held without delete sharing is written in place when the options allow, its old bytes
// saved in a backup file first and the bytes to be written locked.
ReplaceOutcome replace_file(const NativePath& from, const NativePath& to, ReplaceOptions options = {});

// What identifies one version of a file: a newer file under the same name has another stamp.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t time = 0;  // the last write
    std::uint64_t id = 0;    // the file's number on its volume (0 where the system gives none)
    bool operator==(const FileStamp&) const = default;
};

// The stamp of what the name itself is: a symbolic link's own, not its file's. Fails with
// not_found when the name is not there, else with cannot_be_read.
Outcome<FileStamp> file_stamp(const NativePath& path);

// Removes the name if it is still the version with this stamp (on Windows under the same lock as
// a replace of it, so that a newer file put there meanwhile by another run stays): a symbolic link
// is removed as a link, and the file it points to stays. True only when this call removed it; a
// name that is missing is traced as such.
bool remove_if_unchanged(const NativePath& path, const FileStamp& stamp);

// Removes, in the directory, the work files of this program ("~kv", 8 hexadecimal digits,
// ".tmp") last written more than an hour before `own_work`, this run's new work file there, that
// can be removed: leftovers of runs that were ended from outside. The age is measured on the
// volume's own clock (a share's clock may run behind the local one, and a run's closed work file
// must never look old to another run); without the own work file's time nothing is removed.
// Nothing else is ever removed (backups may be the only copy of a document).
void remove_stale_work_files(const NativePath& directory, const NativePath& own_work);

// Creates the work file `work` for `target` as File::create_new does (and fails as it does) and
// registers it, so that a run ended by a signal (Linux: SIGINT, SIGTERM, SIGHUP) or a crash
// removes it before it goes; a signal cannot come between the two.
Outcome<File> create_guarded_work_file(const NativePath& work, const NativePath& target);

// Registers the work file of the replacement in progress and its target (null: none).
void guard_work_file(const NativePath* work, const NativePath* target);

// Removes the registered work file while its target's name exists (during a half-done replace
// it may hold the only complete copy); never a backup. Uses no heap: for crash handlers.
void remove_guarded_work_file();

void sleep_milliseconds(unsigned milliseconds);

// The character that separates directories in paths of this platform.
#ifdef _WIN32
inline constexpr char path_separator = '\\';
#else
inline constexpr char path_separator = '/';
#endif

}  // namespace korvif::platform
