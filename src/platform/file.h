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
#include <optional>
#include <string>

namespace korvif::platform {

// A path in the system's own form: UTF-16 on Windows, bytes on Linux.
#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

// The host's text in the system's form; nothing when it does not convert (an unusable path).
std::optional<NativePath> native_path(const char* host_text);

// The path as UTF-8 text, for the trace.
std::string printable(const NativePath& path);

enum class FileMode {
    read_shared,             // read an existing file, others may read and write it
    read_deny_write,         // read an existing file, others may only read (BMP input)
    create_always,           // write a new or emptied file, unshared
    create_always_scratch,   // as create_always, with the temporary and sequential-scan hints
    open_always_append,      // write at the end of a file, creating it when missing, unshared
};

// What a file is opened for, in the trace's words.
constexpr const char* describe(FileMode mode) {
    switch (mode) {
    case FileMode::read_shared: return "for reading, shared";
    case FileMode::read_deny_write: return "for reading, others may only read";
    case FileMode::create_always: return "new, for writing";
    case FileMode::create_always_scratch: return "new, for writing (scratch)";
    case FileMode::open_always_append: return "for appending";
    }
    return "";
}

// An open file; closed when the object goes. Reads and writes report success the way the
// system does: a successful read may deliver fewer bytes than asked (at the end of the file).
class File {
public:
    File() = default;
    static File open(const char* path, FileMode mode);  // the host's text
    static File open(const NativePath& path, FileMode mode);

    // A file that must not exist yet, created for writing, unshared. `name_taken` tells a
    // failure because the name exists from any other.
    static File create_new(const NativePath& path, bool* name_taken = nullptr);

    // A new file in the temporary directory with the prefix in its name, open for reading and
    // writing through this one handle and gone when the handle closes: nothing is left behind
    // when the run ends, however it ends, as far as the system allows (Linux removes the name at
    // once). Its name is given in `name`, for the trace.
    static File create_scratch(const char* prefix, std::string* name = nullptr);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool is_open() const;
    bool read(void* buffer, std::uint32_t count, std::uint32_t& delivered);
    bool write(const void* data, std::uint32_t count, std::uint32_t& written);
    bool seek(std::uint32_t offset_from_start);
    bool seek_to_end();
    std::uint32_t size() const;
    bool flush();  // the written bytes on the disk; false when the system reports a failure
    bool close();  // false when the system reports a failure (a delayed write that failed)

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// True when a directory search for the path finds an entry; wildcards are honoured and a
// directory counts.
bool file_exists(const char* path);

// The target of a replacement, from the host's text: the full path with every directory and an
// existing file's name in their long form, so that a file named by its 8.3 short name keeps its
// long name when it is replaced. Where the path, or a work file's path beside it, would pass
// the system's path limit, the long-path form. Nothing when the path cannot be resolved, or when
// the file exists and its long name cannot be had. On Linux the path as given.
std::optional<NativePath> replacement_target(const char* host_text);

// The length of the directory part of a path in the system's form, its last separator
// included.
std::size_t native_directory_length(const NativePath& path);

bool remove_file(const NativePath& path);

// Puts the complete file `from` in the place of `to`, in one step where the system can: `to`
// keeps its name, attributes and security; a missing `to` is created. Where the one step is
// refused because another program holds `to` open with read and write sharing, `to` is
// overwritten in place, with room for the new size reserved first and the old bytes put back
// when a write fails. A target that is read-only is refused. True: `from` is gone. False when
// `to` could not be replaced: it is then as it was, and `from` is left for the caller to remove.
bool replace_file(const NativePath& from, const NativePath& to);

void sleep_milliseconds(unsigned milliseconds);

// The character that separates directories in paths of this platform.
#ifdef _WIN32
inline constexpr char path_separator = '\\';
#else
inline constexpr char path_separator = '/';
#endif

}  // namespace korvif::platform
