// HELP: one request to Windows Help for the host.
#include <windows.h>

#include "desktop/commands.h"
#include "desktop/requests.h"

namespace korvif {

int run_help(char* arguments) {
    const auto request = parse_help_request(arguments);
    if (!request) return 0;
    WinHelpA(reinterpret_cast<HWND>(static_cast<INT_PTR>(request->window)), request->help_file.c_str(),
             static_cast<UINT>(request->command), static_cast<ULONG_PTR>(static_cast<LONG_PTR>(request->data)));
    return 0;
}

}  // namespace korvif
