#include "platform/process.h"

#include <windows.h>

namespace korvif::platform {

void raise_process_priority() { SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS); }
void silence_system_error_boxes() { SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX); }
void lower_process_priority_to_idle() { SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS); }

}  // namespace korvif::platform
