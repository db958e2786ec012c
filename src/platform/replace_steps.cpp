#include "platform/replace_steps.h"

#include "platform/trace.h"

namespace korvif::platform {

namespace {

// Calls again while another program holds a file, for at most held_retry_ms.
template <class Call>
CallResult retried(ReplaceCalls& calls, Call call) {
    CallResult result = call();
    for (unsigned waited = 0; result == CallResult::held && waited < held_retry_ms; waited += held_retry_step_ms) {
        calls.wait(held_retry_step_ms);
        result = call();
    }
    return result;
}

void trace_left(const char* what, const NativePath& path) {
    trace::utf8_line("%s stays as \"%s\"", what, printable(path).c_str());
}

void remove_backup(ReplaceCalls& calls, const NativePath& backup) {
    if (calls.exists(backup) && !calls.remove(backup)) trace_left("the old content", backup);
}

// The system stopped half-way and the target's name is missing: the old file goes back, or
// else the new one goes in; if neither can, both stay.
ReplaceOutcome restore_name(ReplaceCalls& calls, const NativePath& target, const NativePath& work,
                            const NativePath& backup) {
    const std::string name = printable(target);
    if (calls.exists(backup) && retried(calls, [&] { return calls.move(backup, target); }) == CallResult::done) {
        trace::utf8_line("\"%s\" put back after a half-done replace", name.c_str());
        return ReplaceOutcome::refused;
    }
    if (calls.exists(work) && retried(calls, [&] { return calls.move(work, target); }) == CallResult::done) {
        trace::utf8_line("\"%s\": the new content put in place after a half-done replace", name.c_str());
        remove_backup(calls, backup);
        return ReplaceOutcome::replaced;
    }
    trace::utf8_line("\"%s\" is missing after a half-done replace", name.c_str());
    if (calls.exists(backup)) trace_left("the old content", backup);
    if (calls.exists(work)) trace_left("the new content", work);
    return ReplaceOutcome::kept;
}

// The target is held by another program without delete sharing: its bytes are saved to the
// backup first, then overwritten in place, and put back from the backup if that fails.
ReplaceOutcome write_in_place(ReplaceCalls& calls, const NativePath& target, const NativePath& work,
                              const NativePath& backup) {
    const std::string name = printable(target);
    if (retried(calls, [&] { return calls.save_copy(target, backup); }) != CallResult::done) {
        calls.remove(backup);  // a partial copy; the target was not touched
        trace::utf8_line("replace refused: \"%s\" is in use and cannot be saved before writing in place", name.c_str());
        return ReplaceOutcome::refused;
    }
    const CallResult written = retried(calls, [&] { return calls.write_over(work, target); });
    if (written == CallResult::done) {
        trace::utf8_line("\"%s\" written in place under another program\'s handle", name.c_str());
        calls.remove(work);
        remove_backup(calls, backup);
        return ReplaceOutcome::replaced;
    }
    if (written != CallResult::failed) {  // the target could not even be opened: it is untouched
        remove_backup(calls, backup);
        trace::utf8_line("replace refused: \"%s\" is in use and cannot be written in place", name.c_str());
        return ReplaceOutcome::refused;
    }
    if (retried(calls, [&] { return calls.write_over(backup, target); }) == CallResult::done) {
        trace::utf8_line("replace refused: \"%s\" is in use and could not be written in place; its bytes were put back",
                         name.c_str());
        remove_backup(calls, backup);
        return ReplaceOutcome::refused;
    }
    trace::utf8_line("\"%s\" could be neither written in place nor put back", name.c_str());
    trace_left("the old content", backup);
    trace_left("the new content", work);
    return ReplaceOutcome::kept;
}

}  // namespace

ReplaceOutcome replace_steps(ReplaceCalls& calls, const NativePath& target, const NativePath& work,
                             const NativePath& backup, ReplaceOptions options) {
    const CallResult result = retried(calls, [&] { return calls.replace(target, work, backup); });
    if (result == CallResult::done) {
        remove_backup(calls, backup);
        return ReplaceOutcome::replaced;
    }
    if (!calls.exists(target)) return restore_name(calls, target, work, backup);
    // The target stands; a backup beside it is not known to be redundant, so it stays, and the
    // in-place route, which needs the backup's name, is not taken.
    if (calls.exists(backup)) {
        trace_left("a copy of the old content", backup);
    } else if (result == CallResult::held && options.in_place) {
        return write_in_place(calls, target, work, backup);
    }
    trace::utf8_line("replace of \"%s\" refused", printable(target).c_str());
    return ReplaceOutcome::refused;
}

}  // namespace korvif::platform
