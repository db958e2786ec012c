// Process-wide settings of the running program, and how it ends when something goes wrong.
#pragma once

#include <cstdint>

namespace korvif::platform {

// Runs the process at high priority (the commands are short and the host waits for them).
// The Linux build leaves its priority alone.
void raise_process_priority();

// Keeps the system from showing its own error boxes for the process ("no disk in drive", a file
// that cannot be opened, a crash): the commands report nothing, and a box would wait for a user.
// The mode the host handed down is kept, with these added. Called first thing in a run.
void silence_system_error_boxes();

// Lowers the process to idle priority.
void lower_process_priority_to_idle();

// What the host must get even when the run crashes, set by a command while it owes the host a
// message (the file dialogs' end message). While `disabled_window` is set (a modal dialog of
// this run disables its owner), a crash enables that window again first. Windows are the
// system's handles; a null `window` means nothing is owed.
struct HostNotice {
    void* window = nullptr;
    unsigned message = 0;
    std::uintptr_t wparam = 0;
    std::intptr_t lparam = 0;
    void* disabled_window = nullptr;
};
void set_host_notice(const HostNotice& notice);

// Installs the unhandled-exception filter and the C++ terminate handler: either ends the run
// with end_run_now and a last line in the trace. No-op in the Linux build.
void install_crash_handlers();

// Writes the trace's last line of a run that ends at once, about `what`.
using LastLine = void (*)(const char* what);

// Ends the run at once with exit code 0, for a crash or a failure that cannot be handed back
// through the system's code, by end_steps: no box is shown. Uses no heap of its own.
[[noreturn]] void end_run_now(LastLine last_line = nullptr, const char* what = nullptr);

// What end_run_now does before the process goes, given as the system's calls (either may be
// null).
struct EndSteps {
    void (*free_host)();         // delivers the host notice
    void (*remove_work_file)();  // removes this run's work file
};

// The host is freed first, and only then is the trace's last line written (when `last_line` is
// given): a trace on a slow or offline share may wait for the network's timeout, and the host,
// whose window a dialog of this run disabled, must not wait with it. The work file goes last.
void end_steps(const EndSteps& steps, LastLine last_line, const char* what) noexcept;

}  // namespace korvif::platform
