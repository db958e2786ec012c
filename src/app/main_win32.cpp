// The Windows program: the command is cut out of the raw command line, whatever the runtime
// made of it.
#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "app/dispatch.h"
#include "platform/process/process.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything else, the trace included: a trace on an empty drive must not show the
    // "no disk" box, and a crash must never leave the host waiting on a box.
    korvif::platform::silence_system_error_boxes();
    korvif::platform::install_crash_handlers();
    // Handlers write terminators into the command text, so it lives in a buffer of our own.
    std::string command_text = korvif::command_text_of(GetCommandLineA());
    return korvif::dispatch_command(GetModuleHandleA(nullptr), nullptr, command_text.data(), 1);
}
