#include "platform/process/process.h"

#include <cstdlib>

#include "platform/files/file.h"

namespace korvif::platform {

void raise_process_priority() {}
void silence_system_error_boxes() {}
void lower_process_priority_to_idle() {}

// The Linux build has no host windows to tell and no crash box to keep away.
void set_host_notice(const HostNotice&) {}
void install_crash_handlers() {}

void end_run_now(LastLine last_line, const char* what) {
    end_steps({nullptr, remove_guarded_work_file}, last_line, what);
    std::_Exit(0);
}

}  // namespace korvif::platform
