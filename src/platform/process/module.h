// The program's own module, kept when the program starts for the commands that load resources
// or register window classes.
#pragma once

namespace korvif::platform {

void set_instance_handle(void* instance);
void* instance_handle();

}  // namespace korvif::platform
