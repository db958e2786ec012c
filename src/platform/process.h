// Process-wide settings of the running program.
#pragma once

namespace korvif::platform {

// Runs the process at high priority (the commands are short and the host waits for them).
// The Linux build leaves its priority alone.
void raise_process_priority();

// Keeps the system from showing its own error boxes for the process ("no disk in drive", a file
// that cannot be opened): the commands report nothing, and a box would wait for a user.
void silence_system_error_boxes();

// Lowers the process to idle priority.
void lower_process_priority_to_idle();

}  // namespace korvif::platform
