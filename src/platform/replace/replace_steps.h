// The steps that put a complete work file in a target's place where the system replaces in
// several moves (Windows' ReplaceFile renames the old file to a backup name, then the new one to
// the target's name, and may stop between the two). Written against the file-system calls they
// make, so that a test can fail each call; the Windows layer supplies the real calls.
//
// The rule the steps keep: the user's data is always the old file or the new one under the
// target's name, or, where neither can be put there, both stay under names the trace gives. The
// work file and the backup are never removed while the target's name is missing, and no file is
// removed that this replacement did not make.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/files/file.h"

namespace korvif::platform {

enum class CallResult {
    done,
    held,         // another program holds a file (a sharing or lock violation): worth another try
    missing,      // no such file or path, or an invalid name: no try can help
    unsupported,  // the file system does not do the call (some network shares and NAS devices)
    locked,       // another program has locked bytes of the file: nothing was written
    failed,       // any other refusal
};

// What a refused call's system error (Windows' GetLastError code) means for the steps: for the
// one-step replace and the rename over the target, where the target is known not to be
// read-only, and for every other call.
CallResult replace_refusal(std::uint32_t error);
CallResult call_refusal(std::uint32_t error);

// A target opened for writing in place, under the handles other programs hold on it, with every
// byte a write may touch locked; the lock is released, then the file closed, when this goes.
class InPlaceFile {
public:
    virtual ~InPlaceFile() = default;
    // Writes the bytes of `from` over the file from its start: room for the new size first, then
    // the bytes, then the end of the file, flushed. Held: nothing was written (no room, or `from`
    // cannot be opened); failed: bytes may have been.
    virtual CallResult write_from(const NativePath& from) = 0;
};

// The file-system calls of a replacement.
class ReplaceCalls {
public:
    virtual ~ReplaceCalls() = default;
    // Puts `work` in the place of `target`, the old file going to `backup` (ReplaceFile).
    virtual CallResult replace(const NativePath& target, const NativePath& work, const NativePath& backup) = 0;
    // Renames `from` to `to`, which must not exist.
    virtual CallResult move(const NativePath& from, const NativePath& to) = 0;
    // Renames `from` to `to` in one step, taking the place of the file `to` names.
    virtual CallResult move_over(const NativePath& from, const NativePath& to) = 0;
    virtual bool exists(const NativePath& path) = 0;
    // Removes the file under the name. Held: another program holds it without delete sharing.
    virtual CallResult remove(const NativePath& path) = 0;
    // Whether another program holds the file so that it can be neither renamed nor removed: an
    // open for deletion (full sharing, a link not followed) refused with a sharing violation. A
    // refused replace says nothing about which of its files was held; this does.
    virtual bool held(const NativePath& path) = 0;
    // The system's code of the last refused call (GetLastError), for the trace.
    virtual std::uint32_t last_error() = 0;
    // Copies the bytes of `from` into `to`, a file it makes new (never another program's file of
    // that name), flushed to the disk; a copy that fails half-way is removed again.
    virtual CallResult save_copy(const NativePath& from, const NativePath& to) = 0;
    // Opens `target` for writing in place and locks every byte that writing `from` or the target's
    // own old bytes over it may touch. Held: it cannot be opened for writing; locked: another
    // program holds a lock there. Nothing is written either way.
    virtual CallResult open_in_place(const NativePath& target, const NativePath& from,
                                     std::unique_ptr<InPlaceFile>& opened) = 0;
    virtual void wait(unsigned milliseconds) = 0;
};

// How long the calls of one replacement that are refused because another program holds a file
// are tried again, all together (one budget, however many calls wait), and how often.
inline constexpr unsigned held_retry_ms = 2000;
inline constexpr unsigned held_retry_step_ms = 100;

// The names of one replacement, all in the target's directory: the existing target (not
// read-only), the complete work file, a free name for the backup, and the name the new content
// takes when both versions have to stay (out of the work files' pattern, so that the clean-up of
// stale work files never removes it).
struct ReplaceNames {
    NativePath target;
    NativePath work;
    NativePath backup;
    NativePath kept;
};

// Puts the work file in the target's place. The target is written in place only when it is the
// target that another program holds; a held work file or backup is waited for instead, and a
// refused replace removes the work file (one still held stays, traced, for the clean-up of stale
// work files). A backup or work file that is redundant and still held at the end stays, traced as
// a redundant copy.
ReplaceOutcome replace_steps(ReplaceCalls& calls, const ReplaceNames& names, ReplaceOptions options);

}  // namespace korvif::platform
