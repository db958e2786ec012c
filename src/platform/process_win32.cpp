#include "platform/process.h"

#include <windows.h>

namespace korvif::platform {

void raise_process_priority() { SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS); }
void lower_process_priority_to_idle() { SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS); }

}  // namespace korvif::platform
