// STM: the tray icon's popup menu at the mouse cursor; the choice is posted to the host.
#include <windows.h>

#include "command/stop.h"
#include "desktop/commands.h"
#include "desktop/host_window_win32.h"
#include "desktop/requests.h"
#include "desktop/window_class_win32.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

constexpr UINT_PTR menu_timer = 1;
constexpr UINT restore_command = 1000;
constexpr UINT quit_command = 1001;

// What the window procedure needs of the command: the request and the loaded menu.
struct TrayMenu {
    TrayMenuRequest request;
    HMENU menu = nullptr;
    HMENU popup = nullptr;
};
TrayMenu tray_menu;

LRESULT on_create(HWND window) {
    tray_menu.menu = LoadMenuA(program_instance(), "PopMenu");
    tray_menu.popup = GetSubMenu(tray_menu.menu, 0);
    if (tray_menu.request.grey_flags & TrayMenuRequest::grey_first)
        EnableMenuItem(tray_menu.popup, 0, MF_BYPOSITION | MF_DISABLED | MF_GRAYED);
    if (tray_menu.request.grey_flags & TrayMenuRequest::grey_second)
        EnableMenuItem(tray_menu.popup, 1, MF_BYPOSITION | MF_DISABLED | MF_GRAYED);
    SetTimer(window, menu_timer, 1, nullptr);
    return 0;
}

LRESULT on_timer(HWND window) {
    KillTimer(window, menu_timer);
    POINT cursor {};
    GetCursorPos(&cursor);
    // The menu window must be in the foreground, or a click elsewhere would not close the menu.
    SetForegroundWindow(window);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(
        tray_menu.popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr));
    const UINT base = static_cast<UINT>(tray_menu.request.base_message);
    trace::line("menu choice: %s", chosen == restore_command ? "restore" : chosen == quit_command ? "quit" : "none");
    if (HWND target = existing_window(tray_menu.request.window)) {
        if (chosen == restore_command) post_to_host(target, base, 0, 0);
        if (chosen == quit_command) post_to_host(target, base + 1, 0, 0);
    }
    DestroyWindow(window);
    return 0;
}

LRESULT on_destroy() {
    DestroyMenu(tray_menu.menu);
    PostQuitMessage(0);
    return 0;
}

LRESULT CALLBACK tray_menu_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return guarded([&] {
        switch (message) {
        case WM_CREATE: return on_create(window);
        case WM_TIMER: return on_timer(window);
        case WM_DESTROY: return on_destroy();
        default: return DefWindowProcA(window, message, wparam, lparam);
        }
    });
}

}  // namespace

int run_tray_menu(char* arguments) {
    const auto request = parse_tray_menu_request(arguments);
    if (!request) return stop(request.failed(), "window or no base message");
    trace::line("tray menu: window %ld, base message %ld, grey flags %ld", static_cast<long>(request->window),
                static_cast<long>(request->base_message), static_cast<long>(request->grey_flags));
    if (existing_window(request->window) == nullptr) return stop(Failure::not_a_window, "the window");
    tray_menu.request = *request;

    if (!register_window_class(tray_menu_class, tray_menu_procedure, CS_HREDRAW | CS_VREDRAW,
                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) {
        return 0;
    }

    // Above and left of every monitor (the virtual screen may begin at negative coordinates),
    // without a taskbar button: the window only owns the menu.
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN) - 200;
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN) - 200;
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, tray_menu_class, "window", WS_OVERLAPPEDWINDOW, x, y, 100, 100,
                                  nullptr, nullptr, program_instance(), nullptr);
    if (window == nullptr) return 0;
    ShowWindow(window, SW_SHOW);
    run_message_loop();
    return 0;
}

}  // namespace korvif
