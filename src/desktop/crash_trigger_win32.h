// The crash trigger of the test build (KORVIF_CRASH_TRIGGER; never in the shipped program), for
// the Wine test of what a crash leaves behind. With KORVIF_CRASH_TEST set to "fault", "throw" or
// "terminate", a window of its own, a second after a file dialog has opened, writes to a page
// that may not be touched, throws a C++ exception out of its window procedure's work, or calls
// std::terminate, while the dialog's message loop runs.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "desktop/window_class_win32.h"

namespace korvif {

namespace crash_test {

inline constexpr char window_class[] = "KorvifCrashTestWndClass";
inline constexpr UINT_PTR timer = 1;
inline constexpr UINT crash_message = WM_APP + 1;

inline void crash(const char* kind) {
    if (std::strcmp(kind, "fault") == 0) {
        // A page that may not be touched (address 0 may be mapped under Wine).
        auto* const forbidden =
            static_cast<int volatile*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS));
        *forbidden = 1;
    } else if (std::strcmp(kind, "throw") == 0) {
        throw std::runtime_error("crash test");
    } else if (std::strcmp(kind, "terminate") == 0) {
        std::terminate();
    }
}

// The timer only posts the crash message: the system may shield timer messages with a handler
// of its own, which would hide the crash.
inline LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return guarded([&]() -> LRESULT {
        if (message == WM_TIMER) {
            KillTimer(window, timer);
            PostMessageA(window, crash_message, 0, 0);
            return 0;
        }
        if (message == crash_message) {
            crash(std::getenv("KORVIF_CRASH_TEST"));
            return 0;
        }
        return DefWindowProcA(window, message, wparam, lparam);
    });
}

}  // namespace crash_test

inline void arm_crash_trigger() {
    if (std::getenv("KORVIF_CRASH_TEST") == nullptr) return;
    register_window_class(crash_test::window_class, crash_test::procedure, 0, nullptr);
    HWND window = CreateWindowExA(0, crash_test::window_class, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  program_instance(), nullptr);
    if (window != nullptr) SetTimer(window, crash_test::timer, 1000, nullptr);
}

}  // namespace korvif
