// HELP: one request to Windows Help for the host.
#include <windows.h>

#include "desktop/commands.h"
#include "desktop/host_window_win32.h"
#include "desktop/requests.h"

namespace korvif {

int run_help(char* arguments) {
    const auto request = parse_help_request(arguments);
    if (!request) return 0;
    ULONG_PTR data = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(request->data));
    const std::string data_text = request->data_text();
    switch (request->data_form()) {
    case HelpRequest::DataForm::number: break;
    case HelpRequest::DataForm::text: data = reinterpret_cast<ULONG_PTR>(data_text.c_str()); break;
    case HelpRequest::DataForm::unusable: return 0;
    }
    WinHelpA(existing_window(request->window), request->help_file.c_str(), static_cast<UINT>(request->command), data);
    return 0;
}

}  // namespace korvif
