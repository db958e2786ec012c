// The Windows program: the command is cut out of the raw command line, whatever the runtime
// made of it.
#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "app/dispatch.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Handlers write terminators into the command text, so it lives in a buffer of our own.
    std::string command_text = korvif::command_text_of(GetCommandLineA());
    return korvif::dispatch_command(GetModuleHandleA(nullptr), nullptr, command_text.data(), 1);
}
