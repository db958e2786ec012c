#include "platform/process.h"

namespace korvif::platform {

void raise_process_priority() {}
void silence_system_error_boxes() {}
void lower_process_priority_to_idle() {}

}  // namespace korvif::platform
