#include "platform/process.h"

namespace korvif::platform {

void raise_process_priority() {}
void lower_process_priority_to_idle() {}

}  // namespace korvif::platform
