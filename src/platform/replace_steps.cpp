#include "platform/replace_steps.h"

#include "platform/trace.h"

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

// Calls again while another program holds a file, for at most held_retry_ms, as long as
// `worth_another` says so.
template <class Call, class Condition>
CallResult retried(ReplaceCalls& calls, Call call, Condition worth_another) {
    CallResult result = call();
    for (unsigned waited = 0; result == CallResult::held && waited < held_retry_ms && worth_another();
         waited += held_retry_step_ms) {
        calls.wait(held_retry_step_ms);
        result = call();
    }
    return result;
}

template <class Call>
CallResult retried(ReplaceCalls& calls, Call call) {
    return retried(calls, call, [] { return true; });
}

void trace_left(const char* what, const NativePath& path) {
    trace::utf8_line("%s stays as \"%s\"", what, printable(path).c_str());
}

void remove_backup(ReplaceCalls& calls, const NativePath& backup) {
    if (calls.exists(backup) && !calls.remove(backup)) trace_left("the old content", backup);
}

// Both versions stay: the new content leaves the work files' pattern first, so that no clean-up
// of stale work files ever removes the only copy of it.
void keep_new_content(ReplaceCalls& calls, const ReplaceNames& names) {
    if (!calls.exists(names.work)) return;
    const bool renamed = retried(calls, [&] { return calls.move(names.work, names.kept); }) == CallResult::done;
    trace_left("the new content", renamed ? names.kept : names.work);
}

// The system stopped half-way and the target's name is missing: the old file goes back, or
// else the new one goes in; if neither can, both stay.
ReplaceOutcome restore_name(ReplaceCalls& calls, const ReplaceNames& names) {
    const std::string name = printable(names.target);
    if (calls.exists(names.backup) &&
        retried(calls, [&] { return calls.move(names.backup, names.target); }) == CallResult::done) {
        trace::utf8_line("\"%s\" put back after a half-done replace", name.c_str());
        return ReplaceOutcome::refused;
    }
    if (calls.exists(names.work) &&
        retried(calls, [&] { return calls.move(names.work, names.target); }) == CallResult::done) {
        trace::utf8_line("\"%s\": the new content put in place after a half-done replace", name.c_str());
        remove_backup(calls, names.backup);
        return ReplaceOutcome::replaced;
    }
    trace::utf8_line("\"%s\" is missing after a half-done replace", name.c_str());
    if (calls.exists(names.backup)) trace_left("the old content", names.backup);
    keep_new_content(calls, names);
    return ReplaceOutcome::kept;
}

// The target is held by another program without delete sharing: its bytes are saved to the
// backup first, then overwritten in place, and put back from the backup if that fails.
ReplaceOutcome write_in_place(ReplaceCalls& calls, const ReplaceNames& names) {
    const std::string name = printable(names.target);
    // A copy that failed is gone again; a name that another program took meanwhile is its file.
    if (retried(calls, [&] { return calls.save_copy(names.target, names.backup); }) != CallResult::done) {
        trace::utf8_line("replace refused: \"%s\" is in use and cannot be saved before writing in place", name.c_str());
        return ReplaceOutcome::refused;
    }
    std::unique_ptr<InPlaceFile> file;
    const CallResult written = retried(calls, [&] {
        file.reset();
        const CallResult opened = calls.open_in_place(names.target, names.work, file);
        return opened == CallResult::done ? file->write_from(names.work) : opened;
    });
    if (written == CallResult::done) {
        file.reset();
        trace::utf8_line("\"%s\" written in place under another program's handle", name.c_str());
        calls.remove(names.work);
        remove_backup(calls, names.backup);
        return ReplaceOutcome::replaced;
    }
    if (written != CallResult::failed || !file) {  // not a byte of the target was written
        file.reset();
        remove_backup(calls, names.backup);
        trace::utf8_line(written == CallResult::locked
                             ? "replace refused: \"%s\" is locked by another program"
                             : "replace refused: \"%s\" is in use and cannot be written in place",
                         name.c_str());
        return ReplaceOutcome::refused;
    }
    // Put back through the same handle, under the same lock: no other program reads the
    // half-written file meanwhile, or locks its bytes and keeps the old ones out.
    const CallResult put_back = retried(calls, [&] { return file->write_from(names.backup); });
    file.reset();
    if (put_back == CallResult::done) {
        trace::utf8_line("replace refused: \"%s\" is in use and could not be written in place; its bytes were put back",
                         name.c_str());
        remove_backup(calls, names.backup);
        return ReplaceOutcome::refused;
    }
    trace::utf8_line("\"%s\" could be neither written in place nor put back", name.c_str());
    trace_left("the old content", names.backup);
    keep_new_content(calls, names);
    return ReplaceOutcome::kept;
}

}  // namespace

ReplaceOutcome replace_steps(ReplaceCalls& calls, const ReplaceNames& names, ReplaceOptions options) {
    // Tried again while the target is held, as long as its name stands.
    CallResult result = retried(
        calls, [&] { return calls.replace(names.target, names.work, names.backup); },
        [&] { return calls.exists(names.target); });
    if (result == CallResult::done) {
        remove_backup(calls, names.backup);
        return ReplaceOutcome::replaced;
    }
    if (!calls.exists(names.target)) return restore_name(calls, names);
    // The target stands; a backup beside it is not known to be redundant, so it stays, and the
    // in-place route, which needs the backup's name, is not taken.
    if (calls.exists(names.backup)) {
        trace_left("a copy of the old content", names.backup);
        result = CallResult::failed;
    } else if (result == CallResult::unsupported) {
        // One rename on the server, which keeps less of the old file (its short name, its
        // security) but leaves no moment without the target's name.
        result = retried(calls, [&] { return calls.move_over(names.work, names.target); });
        if (result == CallResult::done) {
            trace::utf8_line("\"%s\" replaced by one rename", printable(names.target).c_str());
            return ReplaceOutcome::replaced;
        }
        if (!calls.exists(names.target)) return restore_name(calls, names);
    }
    if (result == CallResult::held && options.in_place) return write_in_place(calls, names);
    trace::utf8_line("replace of \"%s\" refused", printable(names.target).c_str());
    return ReplaceOutcome::refused;
}

}  // namespace korvif::platform
