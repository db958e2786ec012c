// The operating-system layer that the conversion and bitmap commands need: files opened with
// the access, sharing and creation modes of the host's conventions, the temporary directory,
// copying, and the short sleep between read attempts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace korvif::platform {

enum class FileMode {
    read_shared,             // read an existing file, others may read and write it
    read_private_temporary,  // read an existing file unshared; it is deleted when closed
    read_deny_write,         // read an existing file, others may only read (BMP input)
    create_always,           // write a new or emptied file, unshared
    create_always_scratch,   // as create_always, with the temporary and sequential-scan hints
    open_always_append,      // write at the end of a file, creating it when missing, unshared
};

// What a file is opened for, in the trace's words.
constexpr const char* describe(FileMode mode) {
    switch (mode) {
    case FileMode::read_shared: return "for reading, shared";
    case FileMode::read_private_temporary: return "for reading, unshared, deleted when closed";
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
    static File open(const char* path, FileMode mode);

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

// The system's temporary directory, ending with a separator; empty when the system gives
// none or it does not fit in 256 bytes.
std::string temporary_directory();

// Creates a new, empty file with a unique name and the given prefix in the directory and
// returns its path, or nothing.
std::optional<std::string> create_unique_temporary_file(const std::string& directory, const char* prefix);

bool remove_file(const char* path);

// The full path of the file with every directory and the name in their long form, so that a file
// named by its 8.3 short name keeps its long name when it is replaced. On Linux the path as given.
std::string long_path_name(const char* path);

// Puts the complete file `from` in the place of `to`, in one step where the system can: `to`
// keeps its name, attributes and security; a missing `to` is created. Where the one step is
// refused because another program holds `to` open with read and write sharing, `to` is
// overwritten in place, with room for the new size reserved first and the old bytes put back
// when a write fails. True: `from` is gone. False when `to` could not be replaced: it is then as
// it was, and `from` is left for the caller to remove.
bool replace_file(const char* from, const char* to);

void sleep_milliseconds(unsigned milliseconds);

// The character that separates directories in paths of this platform.
#ifdef _WIN32
inline constexpr char path_separator = '\\';
#else
inline constexpr char path_separator = '/';
#endif

}  // namespace korvif::platform
