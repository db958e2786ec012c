#include "platform/process/process.h"

namespace korvif::platform {

void end_steps(const EndSteps& steps, LastLine last_line, const char* what) noexcept {
    if (steps.free_host != nullptr) steps.free_host();
    if (last_line != nullptr) last_line(what);
    if (steps.remove_work_file != nullptr) steps.remove_work_file();
}

}  // namespace korvif::platform
