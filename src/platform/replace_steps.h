// The steps that put a complete work file in a target's place where the system replaces in
// several moves (Windows' ReplaceFile renames the old file to a backup name, then the new one to
// the target's name, and may stop between the two). Written against the file-system calls they
// make, so that a test can fail each call; the Windows layer supplies the real calls.
//
// The rule the steps keep: the user's data is always the old file or the new one under the
// target's name, or, where neither can be put there, both stay under names the trace gives. The
// work file and the backup are never removed while the target's name is missing.
#pragma once

#include "platform/file.h"

namespace korvif::platform {

enum class CallResult {
    done,
    held,     // another program holds a file (a sharing or lock violation): worth another try
    missing,  // no such file or path, or an invalid name: no try can help
    failed,   // any other refusal
};

// The file-system calls of a replacement.
class ReplaceCalls {
public:
    virtual ~ReplaceCalls() = default;
    // Puts `work` in the place of `target`, the old file going to `backup` (ReplaceFile).
    virtual CallResult replace(const NativePath& target, const NativePath& work, const NativePath& backup) = 0;
    // Renames `from` to `to`, which must not exist.
    virtual CallResult move(const NativePath& from, const NativePath& to) = 0;
    virtual bool exists(const NativePath& path) = 0;
    virtual bool remove(const NativePath& path) = 0;
    // Copies the bytes of `from` into the new file `to`, flushed to the disk.
    virtual CallResult save_copy(const NativePath& from, const NativePath& to) = 0;
    // Writes the bytes of `from` over `target` in place, under the handles other programs hold
    // on it: room for the new size first, then the bytes, then the end of the file, flushed.
    virtual CallResult write_over(const NativePath& from, const NativePath& target) = 0;
    virtual void wait(unsigned milliseconds) = 0;
};

// How long a call refused because another program holds a file is tried again, and how often.
inline constexpr unsigned held_retry_ms = 2000;
inline constexpr unsigned held_retry_step_ms = 100;

// Replaces the existing `target` (not read-only) by the complete `work` file, with `backup` a
// free name in the same directory.
ReplaceOutcome replace_steps(ReplaceCalls& calls, const NativePath& target, const NativePath& work,
                             const NativePath& backup, ReplaceOptions options);

}  // namespace korvif::platform
