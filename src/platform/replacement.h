// A file's new content, written in full before it takes the old content's place.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file.h"

namespace korvif::platform {

// The bytes go to a work file with a unique name beginning with "~kv" in the target's directory;
// the target is not touched until `commit` lets the complete work file take its place. Every
// failure on the way (no work file, a failed or short write, a refused replace) leaves the
// target byte for byte as it was, and the work file is removed.
class FileReplacement {
public:
    explicit FileReplacement(const char* target);
    ~FileReplacement();  // without a successful commit the work file is removed
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // True while the work file is open and every write so far took all its bytes.
    bool good() const { return !failed_; }

    // A failed or short write (a full disk) fails this and every later call, and the commit.
    bool write(const void* data, std::uint32_t count);
    bool seek(std::uint32_t offset_from_start);

    // Closes the work file and puts it in the target's place. False when nothing was replaced.
    bool commit();

    const std::string& target() const { return target_; }
    const std::string& work_path() const { return work_; }

private:
    std::string target_;  // in its long form, so that a short name does not become the file's name
    std::string work_;
    File file_;
    std::uint64_t position_ = 0;  // where the next write goes
    std::uint64_t size_ = 0;      // the highest offset written: the file's size, however often bytes were rewritten
    bool failed_ = true;
};

}  // namespace korvif::platform
