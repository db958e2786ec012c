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

// Installs the unhandled-exception filter and the C++ terminate handler: either writes a last
// line to the trace and ends the run as end_run_now does. No-op in the Linux build.
void install_crash_handlers();

// Ends the run at once with exit code 0, for a crash or a failure that cannot be handed back
// through the system's code: the host notice is delivered, this run's work file removed, and no
// box is shown. Uses no heap.
[[noreturn]] void end_run_now();

}  // namespace korvif::platform
