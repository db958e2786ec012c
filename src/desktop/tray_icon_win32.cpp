// STI: one request to the shell's notification area for the host's icon.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "command/stop.h"
#include "desktop/commands.h"
#include "desktop/host_window_win32.h"
#include "desktop/requests.h"
#include "platform/trace/trace.h"
#include "desktop/window_class_win32.h"

namespace korvif {

int run_tray_icon(char* arguments) {
    const auto request = parse_tray_icon_request(arguments);
    if (!request) return stop(request.failed(), "the second field");
    trace::line("tray icon: action %ld, window %ld, flags %lu, message %ld, icon %d, tip \"%s\"",
                static_cast<long>(request->action), static_cast<long>(request->window),
                static_cast<unsigned long>(request->flags), static_cast<long>(request->callback_message),
                request->icon_number, request->tip);
    // The shell sends the icon's mouse messages to its window: an icon is only added or changed
    // for a window that exists. Removing one sends nothing, so the number goes as given.
    if (request->action != NIM_DELETE && existing_window(request->window) == nullptr)
        return stop(Failure::not_a_window, "the window");
    // The record in its first, 88-byte form: only the members of that form are filled.
    NOTIFYICONDATAA data {};
    data.cbSize = TrayIconRequest::record_size;
    data.hWnd = as_window(request->window);
    data.uID = TrayIconRequest::icon_id;
    data.uFlags = request->flags;
    data.uCallbackMessage = static_cast<UINT>(request->callback_message);
    if (request->flags & TrayIconRequest::flag_icon) {
        char name[] = "STATUS_0";
        name[7] = static_cast<char>('0' + request->icon_number);
        data.hIcon = LoadIconA(program_instance(), name);
    }
    std::memcpy(data.szTip, request->tip, sizeof request->tip);
    const BOOL done = Shell_NotifyIconA(static_cast<DWORD>(request->action), &data);
    trace::line("notification area: %s", done ? "done" : "refused");
    return 0;
}

}  // namespace korvif
