#include "platform/process/module.h"

namespace korvif::platform {

namespace {
void* program_instance = nullptr;
}

void set_instance_handle(void* instance) { program_instance = instance; }
void* instance_handle() { return program_instance; }

}  // namespace korvif::platform
