// A file's new content, written in full before it takes the old content's place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/files/file.h"

namespace korvif::platform {

// The bytes go to a work file with a unique name ("~kv", 8 hexadecimal digits, ".tmp") in the
// target's directory; the target is not touched until `commit` lets the complete, flushed work
// file take its place. Every failure on the way (no work file, a failed or short write or flush, a
// refused replace) leaves the target byte for byte as it was, and the work file is removed; where
// the system stopped half-way and neither version can be put under the target's name, both stay
// and the trace names them. Work files that killed runs left in the directory more than an hour
// ago are removed on the way.
class FileReplacement {
public:
    explicit FileReplacement(const char* target, ReplaceOptions options = {});  // the host's text
    ~FileReplacement();  // without a successful commit the work file is removed
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // True while the work file is open and every write so far took all its bytes.
    bool good() const { return !failed_; }

    // A failed or short write (a full disk), or a failed seek, fails this and every later call,
    // and the commit, with cannot_be_written.
    Outcome<void> write(const void* data, std::uint32_t count);
    Outcome<void> seek(std::uint32_t offset_from_start);

    // Flushes and closes the work file and puts it in the target's place. Fails with
    // cannot_be_written when nothing was replaced (the trace says why, and where both versions
    // stay, under which names).
    Outcome<void> commit();

    const NativePath& target() const { return target_; }
    const NativePath& work_path() const { return work_; }

private:
    NativePath target_;  // in its long form, so that a short name does not become the file's name
    NativePath work_;
    File file_;
    ReplaceOptions options_;
    std::optional<FileStamp> earlier_;  // the target as it stood
    std::uint64_t position_ = 0;        // where the next write goes
    std::uint64_t size_ = 0;  // the highest offset written: the file's size, however often bytes were rewritten
    bool failed_ = true;
};

// The file that stands under an output's name when a command begins, for an output that must
// not outlive a request that writes no new one: it is removed when this object goes, however the
// run ends, unless the run said it is kept.
class EarlierOutput {
public:
    // The host's text, resolved as a replacement resolves it; the file standing there is stamped.
    explicit EarlierOutput(const char* target);
    ~EarlierOutput();  // removes the earlier file unless kept
    EarlierOutput(const EarlierOutput&) = delete;
    EarlierOutput& operator=(const EarlierOutput&) = delete;

    // False when the name can be no output (a folder, a device): the trace has said why.
    explicit operator bool() const { return target_.has_value(); }

    // The file stays: the run wrote a new one, or must not touch the one there.
    void keep() { kept_ = true; }

private:
    // Removes the file, under its target's lock, if it is still the version that stood there
    // (a newer one put there meanwhile by another run stays). The trace says what became of it.
    void discard() const;

    std::optional<NativePath> target_;
    std::optional<FileStamp> stamp_;
    bool kept_ = false;
};

}  // namespace korvif::platform
