#include "platform/replace/replace_steps.h"

#include "platform/trace/trace.h"

namespace korvif::platform {

namespace {

// Windows' codes, as GetLastError gives them.
constexpr std::uint32_t error_invalid_function = 1;
constexpr std::uint32_t error_file_not_found = 2;
constexpr std::uint32_t error_path_not_found = 3;
constexpr std::uint32_t error_access_denied = 5;
constexpr std::uint32_t error_sharing_violation = 32;
constexpr std::uint32_t error_lock_violation = 33;
constexpr std::uint32_t error_not_supported = 50;
constexpr std::uint32_t error_invalid_parameter = 87;
constexpr std::uint32_t error_invalid_name = 123;
constexpr std::uint32_t error_unable_to_remove_replaced = 1175;
constexpr std::uint32_t error_unable_to_move_replacement = 1176;

}  // namespace

CallResult call_refusal(std::uint32_t error) {
    switch (error) {
    case error_sharing_violation:
    case error_lock_violation: return CallResult::held;
    case error_file_not_found:
    case error_path_not_found:
    case error_invalid_name: return CallResult::missing;
    default: return CallResult::failed;
    }
}

CallResult replace_refusal(std::uint32_t error) {
    switch (error) {
    // The target is not read-only: a refused access means another program's handle. 1175: the
    // old file could not be moved aside, and both files keep their names (a scanner holds the
    // target). 1176: the new file could not be moved in; where the target still stands, the same.
    case error_access_denied:
    case error_unable_to_remove_replaced:
    case error_unable_to_move_replacement: return CallResult::held;
    // What some network shares and NAS devices answer to the one-step replace.
    case error_invalid_function:
    case error_not_supported:
    case error_invalid_parameter: return CallResult::unsupported;
    default: return call_refusal(error);
    }
}

namespace {

// One replacement's names and calls, and what it has waited so far for files that other programs
// hold: the waits of all its calls together stay within held_retry_ms.
struct Steps {
    ReplaceCalls& calls;
    const ReplaceNames& names;
    unsigned waited_ms = 0;
};

// Calls again while another program holds a file, as long as the replacement's waits allow and
// `worth_another` says so. A series of tries is one trace line: what was tried, the error, how
// often and over how long.
template <class Call, class Condition>
CallResult retried(Steps& steps, const char* what, const NativePath& path, Call call, Condition worth_another) {
    CallResult result = call();
    unsigned tries = 1;
    unsigned waited_ms = 0;
    std::uint32_t error = 0;
    bool was_held = false;
    while (result == CallResult::held) {
        was_held = true;
        error = steps.calls.last_error();
        if (steps.waited_ms >= held_retry_ms || !worth_another()) break;
        steps.calls.wait(held_retry_step_ms);
        steps.waited_ms += held_retry_step_ms;
        waited_ms += held_retry_step_ms;
        ++tries;
        result = call();
    }
    if (was_held) {
        trace::utf8_line("%s \"%s\" held (error %lu): %u %s over %u.%u s", what, printable(path).c_str(),
                         static_cast<unsigned long>(error), tries, tries == 1 ? "try" : "tries", waited_ms / 1000,
                         waited_ms % 1000 / 100);
    }
    return result;
}

template <class Call>
CallResult retried(Steps& steps, const char* what, const NativePath& path, Call call) {
    return retried(steps, what, path, call, [] { return true; });
}

void trace_left(const char* what, const NativePath& path) {
    trace::utf8_line("%s stays as \"%s\"", what, printable(path).c_str());
}

// A backup or work file that no version depends on any more: removed, tried again while another
// program holds it; one still held stays, named as what it is.
void remove_redundant(Steps& steps, const NativePath& path) {
    if (!steps.calls.exists(path)) return;
    if (retried(steps, "removal of", path, [&] { return steps.calls.remove(path); }) == CallResult::held)
        trace::utf8_line("a redundant copy stays as \"%s\", held by another program", printable(path).c_str());
}

// Both versions stay: the new content leaves the work files' pattern first, so that no clean-up
// of stale work files ever removes the only copy of it.
void keep_new_content(Steps& steps) {
    const ReplaceNames& names = steps.names;
    if (!steps.calls.exists(names.work)) return;
    const bool renamed = retried(steps, "rename of", names.work,
                                 [&] { return steps.calls.move(names.work, names.kept); }) == CallResult::done;
    trace_left("the new content", renamed ? names.kept : names.work);
}

// The system stopped half-way and the target's name is missing: the old file goes back, or
// else the new one goes in; if neither can, both stay.
ReplaceOutcome restore_name(Steps& steps) {
    ReplaceCalls& calls = steps.calls;
    const ReplaceNames& names = steps.names;
    const std::string name = printable(names.target);
    if (calls.exists(names.backup) && retried(steps, "rename of", names.backup, [&] {
                                          return calls.move(names.backup, names.target);
                                      }) == CallResult::done) {
        trace::utf8_line("\"%s\" put back after a half-done replace", name.c_str());
        return ReplaceOutcome::refused;
    }
    if (calls.exists(names.work) && retried(steps, "rename of", names.work,
                                            [&] { return calls.move(names.work, names.target); }) == CallResult::done) {
        trace::utf8_line("\"%s\": the new content put in place after a half-done replace", name.c_str());
        remove_redundant(steps, names.backup);
        return ReplaceOutcome::replaced;
    }
    trace::utf8_line("\"%s\" is missing after a half-done replace", name.c_str());
    if (calls.exists(names.backup)) trace_left("the old content", names.backup);
    keep_new_content(steps);
    return ReplaceOutcome::kept;
}

// The target is held by another program without delete sharing: its bytes are saved to the
// backup first, then overwritten in place, and put back from the backup if that fails.
ReplaceOutcome write_in_place(Steps& steps) {
    ReplaceCalls& calls = steps.calls;
    const ReplaceNames& names = steps.names;
    const std::string name = printable(names.target);
    // A copy that failed is gone again; a name that another program took meanwhile is its file.
    if (retried(steps, "saving the old bytes of", names.target,
                [&] { return calls.save_copy(names.target, names.backup); }) != CallResult::done) {
        trace::utf8_line("replace refused: \"%s\" is in use and cannot be saved before writing in place", name.c_str());
        return ReplaceOutcome::refused;
    }
    std::unique_ptr<InPlaceFile> file;
    const CallResult written = retried(steps, "writing in place over", names.target, [&] {
        file.reset();
        const CallResult opened = calls.open_in_place(names.target, names.work, file);
        return opened == CallResult::done ? file->write_from(names.work) : opened;
    });
    if (written == CallResult::done) {
        file.reset();
        trace::utf8_line("\"%s\" written in place under another program's handle", name.c_str());
        remove_redundant(steps, names.work);
        remove_redundant(steps, names.backup);
        return ReplaceOutcome::replaced;
    }
    if (written != CallResult::failed || !file) {  // not a byte of the target was written
        file.reset();
        remove_redundant(steps, names.backup);
        trace::utf8_line(written == CallResult::locked
                             ? "replace refused: \"%s\" is locked by another program"
                             : "replace refused: \"%s\" is in use and cannot be written in place",
                         name.c_str());
        return ReplaceOutcome::refused;
    }
    // Put back through the same handle, under the same lock: no other program reads the
    // half-written file meanwhile, or locks its bytes and keeps the old ones out.
    const CallResult put_back =
        retried(steps, "putting back the old bytes of", names.target, [&] { return file->write_from(names.backup); });
    file.reset();
    if (put_back == CallResult::done) {
        trace::utf8_line("replace refused: \"%s\" is in use and could not be written in place; its bytes were put back",
                         name.c_str());
        remove_redundant(steps, names.backup);
        return ReplaceOutcome::refused;
    }
    trace::utf8_line("\"%s\" could be neither written in place nor put back", name.c_str());
    trace_left("the old content", names.backup);
    keep_new_content(steps);
    return ReplaceOutcome::kept;
}

// Refused with the target as it was because the work file is held: it goes (tried again while held; one still held
// stays for a later run's clean-up of stale work files).
ReplaceOutcome refused_for_a_held_copy(Steps& steps) {
    if (steps.calls.exists(steps.names.work) && retried(steps, "removal of", steps.names.work, [&] {
                                                    return steps.calls.remove(steps.names.work);
                                                }) == CallResult::held) {
        trace_left("the unused work file", steps.names.work);
    }
    return ReplaceOutcome::refused;
}

}  // namespace

ReplaceOutcome replace_steps(ReplaceCalls& calls, const ReplaceNames& names, ReplaceOptions options) {
    Steps steps {calls, names};
    // Tried again while a file is held, as long as the target's name stands.
    CallResult result = retried(
        steps, "one-step replace of", names.target,
        [&] { return calls.replace(names.target, names.work, names.backup); },
        [&] { return calls.exists(names.target); });
    if (result == CallResult::done) {
        remove_redundant(steps, names.backup);
        return ReplaceOutcome::replaced;
    }
    if (!calls.exists(names.target)) return restore_name(steps);
    // The target stands; a backup beside it is not known to be redundant, so it stays, and the
    // in-place route, which needs the backup's name, is not taken.
    if (calls.exists(names.backup)) {
        trace_left("a copy of the old content", names.backup);
        result = CallResult::failed;
    } else if (result == CallResult::unsupported) {
        // One rename on the server, which keeps less of the old file (its short name, its
        // security) but leaves no moment without the target's name.
        result = retried(steps, "rename over", names.target, [&] { return calls.move_over(names.work, names.target); });
        if (result == CallResult::done) {
            trace::utf8_line("\"%s\" replaced by one rename", printable(names.target).c_str());
            return ReplaceOutcome::replaced;
        }
        if (!calls.exists(names.target)) return restore_name(steps);
    }
    if (result == CallResult::held) {
        // Only a hold on the target itself is a reason to write in place; a held work file or
        // backup would only move the damage of a failed write onto the user's document.
        if (calls.held(names.target)) {
            if (options.in_place) return write_in_place(steps);
        } else {
            // Not the target, and no backup was made: the work file was the one held.
            trace::utf8_line("replace of \"%s\" refused: the work file \"%s\" is held by another program",
                             printable(names.target).c_str(), printable(names.work).c_str());
            return refused_for_a_held_copy(steps);
        }
    }
    trace::utf8_line("replace of \"%s\" refused", printable(names.target).c_str());
    return ReplaceOutcome::refused;
}

}  // namespace korvif::platform
