// HELP: one request to Windows Help for the host.
#include <windows.h>

#include "desktop/commands.h"
#include "desktop/host_window_win32.h"
#include "desktop/requests.h"
#include "platform/trace.h"

namespace korvif {

int run_help(char* arguments) {
    const auto request = parse_help_request(arguments);
    if (!request) return trace::stop("fewer than four fields, or no help file");
    ULONG_PTR data = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(request->data));
    const std::string data_text = request->data_text();
    switch (request->data_form()) {
    case HelpRequest::DataForm::number: break;
    case HelpRequest::DataForm::text: data = reinterpret_cast<ULONG_PTR>(data_text.c_str()); break;
    case HelpRequest::DataForm::unusable:
        return trace::stop("help command %ld takes a structure, which no number can stand for", static_cast<long>(request->command));
    }
    const BOOL done = WinHelpA(existing_window(request->window), request->help_file.c_str(), static_cast<UINT>(request->command), data);
    trace::line("Windows Help: file %s, command %ld, data %s%s: %s", request->help_file.c_str(), static_cast<long>(request->command),
                request->data_form() == HelpRequest::DataForm::text ? "text " : "", data_text.c_str(), done ? "done" : "refused");
    return 0;
}

}  // namespace korvif
