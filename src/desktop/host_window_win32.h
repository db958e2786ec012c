// Window handles of the host, passed on the command line as decimal numbers.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/trace/trace.h"

namespace korvif {

inline HWND as_window(std::int32_t handle) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle)); }

// The window with this handle, or null when the number names none: 0, 65535 (HWND_BROADCAST,
// which would reach every top-level window), or a window that has closed. Nothing is ever sent
// or posted to a number that fails this test.
inline HWND existing_window(std::int32_t handle) {
    HWND window = as_window(handle);
    if (IsWindow(window)) return window;
    trace::line("window %ld is no window: nothing is sent to it", static_cast<long>(handle));
    return nullptr;
}

// Posts a message to one of the host's windows.
inline void post_to_host(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const BOOL posted = PostMessageA(window, message, wparam, lparam);
    trace::line("message %u (%ld, %ld) %s window %ld", message, static_cast<long>(wparam), static_cast<long>(lparam),
                posted ? "posted to" : "could not be posted to", static_cast<long>(reinterpret_cast<INT_PTR>(window)));
}

}  // namespace korvif
