// The program's own windows: their classes and the message loop that drives them.
#pragma once

#include <windows.h>

#include "platform/module.h"

namespace korvif {

inline constexpr char tray_menu_class[] = "KORVIF32WndClass";
inline constexpr char info_balloon_class[] = "StartupInfoWndClass";

inline HINSTANCE program_instance() { return static_cast<HINSTANCE>(platform::instance_handle()); }

// Registers one of the program's window classes; false when the system refuses it.
inline bool register_window_class(const char* name, WNDPROC procedure, UINT style, HBRUSH background) {
    WNDCLASSA window_class {};
    window_class.style = style;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = program_instance();
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = background;
    window_class.lpszClassName = name;
    return RegisterClassA(&window_class) != 0;
}

// Dispatches the thread's messages until WM_QUIT; returns the quit code.
inline int run_message_loop() {
    MSG message {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
}

}  // namespace korvif
