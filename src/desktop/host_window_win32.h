// Window handles of the host, passed on the command line as decimal numbers.
#pragma once

#include <windows.h>

#include <cstdint>

namespace korvif {

inline HWND as_window(std::int32_t handle) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle)); }

// The window with this handle, or null when the number names none: 0, 65535 (HWND_BROADCAST,
// which would reach every top-level window), or a window that has closed. Nothing is ever sent
// or posted to a number that fails this test.
inline HWND existing_window(std::int32_t handle) {
    HWND window = as_window(handle);
    return IsWindow(window) ? window : nullptr;
}

}  // namespace korvif
