// The program's own windows: their classes and the message loop that drives them.
#pragma once

#include <windows.h>

#include <exception>

#include "platform/process/module.h"
#include "platform/process/process.h"
#include "platform/trace/trace.h"

namespace korvif {

inline constexpr char tray_menu_class[] = "KORVIF32WndClass";
inline constexpr char info_balloon_class[] = "StartupInfoWndClass";

inline HINSTANCE program_instance() { return static_cast<HINSTANCE>(platform::instance_handle()); }

// Ends the run after a C++ exception in a window procedure or a callback, as after a crash.
[[noreturn]] inline void end_after_failure_in_callback(const char* what) noexcept {
    platform::end_run_now(
        [](const char* failure) {
            trace::stop("the command failed in a window procedure or callback%s%s", failure != nullptr ? ": " : "",
                        failure != nullptr ? failure : "");
        },
        what);
}

// Runs the work of a window procedure or a callback. A C++ exception cannot travel back through
// the system's code that called it (the runtime would abort with its box, and 64-bit Windows may
// swallow it during a kernel callback), so it is caught here and the run ends as after a crash:
// the host gets the message it is owed and its window enabled again (platform::end_run_now).
template <typename Work>
auto guarded(Work work) noexcept -> decltype(work()) {
    try {
        return work();
    } catch (const std::exception& failure) {
        end_after_failure_in_callback(failure.what());
    } catch (...) {
        end_after_failure_in_callback(nullptr);
    }
}

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
