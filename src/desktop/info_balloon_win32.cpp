// INFO: a speech balloon in the tooltip colours that slides from the host window's lower-right
// corner until its pointer rests on the centre of a button, stays about a minute and closes on any
// key, click or loss of the mouse capture. A click inside it tells the host (message 1025 with 123
// and 456) that the hint is not wanted again.
#include <windows.h>

#include <vector>

#include "command/stop.h"
#include "desktop/balloon_geometry.h"
#include "desktop/commands.h"
#include "desktop/host_window_win32.h"
#include "desktop/requests.h"
#include "desktop/window_class_win32.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

constexpr UINT_PTR balloon_timer = 1;

// What the window procedure needs: the host, the motion, the text and the held outline.
struct Balloon {
    HWND host = nullptr;
    BalloonMotion motion;
    RECT text_rect {};
    HRGN outline = nullptr;
};
Balloon balloon;

BalloonRect rect_of(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

HRGN make_outline(int width, int height) {
    HRGN body = CreateRoundRectRgn(0, balloon_body_top, width, height, balloon_corner, balloon_corner);
    POINT points[balloon_pointer.size()];
    for (std::size_t i = 0; i < balloon_pointer.size(); ++i) points[i] = {balloon_pointer[i].x, balloon_pointer[i].y};
    HRGN pointer = CreatePolygonRgn(points, static_cast<int>(balloon_pointer.size()), ALTERNATE);
    HRGN outline = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(outline, body, pointer, RGN_OR);
    DeleteObject(body);
    DeleteObject(pointer);
    return outline;
}

void measure_text(HWND window) {
    HDC dc = GetDC(window);
    HGDIOBJ font = GetStockObject(ANSI_VAR_FONT);
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    balloon.text_rect = {balloon_text_start.left, balloon_text_start.top, balloon_text_start.right,
                         balloon_text_start.bottom};
    DrawTextW(dc, info_balloon_text_wide(), -1, &balloon.text_rect, DT_CALCRECT | DT_NOPREFIX);
    if (previous != nullptr) SelectObject(dc, previous);
    ReleaseDC(window, dc);
}

void close_balloon(HWND window) {
    ReleaseCapture();
    PostMessageA(window, WM_CLOSE, 0, 0);
}

LRESULT on_timer(HWND window) {
    RECT now;
    GetWindowRect(window, &now);
    const BalloonTick tick = balloon_tick(balloon.motion, {now.left, now.top});
    if (tick.move) {
        SetWindowPos(window, HWND_TOP, tick.to.x, tick.to.y, 0, 0, SWP_NOSIZE);
    } else if (tick.close) {
        KillTimer(window, balloon_timer);
        close_balloon(window);
    }
    return 0;
}

LRESULT on_click(HWND window, LPARAM lparam) {
    const int x = LOWORD(lparam);
    const int y = HIWORD(lparam);
    if (PtInRegion(balloon.outline, x, y) && IsWindow(balloon.host)) {
        post_to_host(balloon.host, InfoBalloonRequest::click_message, InfoBalloonRequest::click_wparam,
                     InfoBalloonRequest::click_lparam);
    }
    close_balloon(window);
    return 0;
}

LRESULT on_paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SelectClipRgn(dc, balloon.outline);
    FrameRgn(dc, balloon.outline, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 1, 1);
    HGDIOBJ font = GetStockObject(ANSI_VAR_FONT);
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    DrawTextW(dc, info_balloon_text_wide(), -1, &balloon.text_rect, DT_NOPREFIX);
    if (previous != nullptr) SelectObject(dc, previous);
    EndPaint(window, &paint);
    return 0;
}

LRESULT on_destroy(HWND window) {
    KillTimer(window, balloon_timer);
    PostQuitMessage(0);
    return 0;
}

LRESULT on_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_TIMER: return on_timer(window);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CAPTURECHANGED: close_balloon(window); return 0;
    case WM_ACTIVATE:
        // A click on another program's window (the part of our rectangle outside the outline
        // belongs to the window below) makes that window active; where the system keeps the
        // mouse capture through that, this is what closes the balloon.
        if (LOWORD(wparam) == WA_INACTIVE) close_balloon(window);
        return DefWindowProcA(window, message, wparam, lparam);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: return on_click(window, lparam);
    case WM_PAINT: return on_paint(window);
    case WM_DESTROY: return on_destroy(window);
    default: return DefWindowProcA(window, message, wparam, lparam);
    }
}

LRESULT CALLBACK balloon_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return guarded([&] { return on_message(window, message, wparam, lparam); });
}

BOOL CALLBACK add_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    return guarded([&]() -> BOOL {
        MONITORINFO info {};
        info.cbSize = sizeof info;
        if (GetMonitorInfoA(monitor, &info)) {
            reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(
                {rect_of(info.rcMonitor), rect_of(info.rcWork)});
        }
        return TRUE;
    });
}

// The work area of the monitor where the balloon comes to rest.
BalloonRect work_area_for(BalloonPoint target) {
    RECT primary;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &primary, 0);
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&monitors));
    return work_area_at(target, monitors.data(), monitors.size(), rect_of(primary));
}

bool show_balloon(char* arguments) {
    const InfoBalloonRequest request = parse_info_balloon_request(arguments);
    trace::line("info balloon: host %ld, button %ld", static_cast<long>(request.host_window),
                static_cast<long>(request.button_window));
    HWND host = existing_window(request.host_window);
    HWND button = existing_window(request.button_window);
    if (host == nullptr || button == nullptr) return stop(Failure::absent, "host window or no button"), false;
    // A minimised host, or a button that cannot be seen, has nothing to point at: a balloon
    // there would travel to -32000 and hold the mouse capture where nobody sees it.
    if (IsIconic(host)) return stop(Failure::minimised, "the host window"), false;
    if (!IsWindowVisible(button)) return stop(Failure::not_visible, "the button"), false;
    balloon.host = host;

    RECT button_rect;
    GetWindowRect(button, &button_rect);
    const BalloonPoint centre = button_centre(rect_of(button_rect));

    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, info_balloon_class, "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                  program_instance(), nullptr);
    if (window == nullptr) return false;
    measure_text(window);
    const BalloonRect text = rect_of(balloon.text_rect);
    const std::int32_t width = balloon_width(text);
    const std::int32_t height = balloon_height(text);

    SetWindowRgn(window, make_outline(width, height), TRUE);  // the system owns this one now
    balloon.outline = make_outline(width, height);

    balloon.motion.target = clamp_to_work_area(centre, width, height, work_area_for(centre));
    RECT host_rect;
    GetWindowRect(host, &host_rect);
    const BalloonPoint start = balloon_start(rect_of(host_rect), width, height);
    balloon.motion.step = balloon_steps(start, balloon.motion.target);

    trace::line("balloon of %ld x %ld from (%ld, %ld) to (%ld, %ld)", static_cast<long>(width),
                static_cast<long>(height), static_cast<long>(start.x), static_cast<long>(start.y),
                static_cast<long>(balloon.motion.target.x), static_cast<long>(balloon.motion.target.y));
    SetWindowPos(window, HWND_TOP, start.x, start.y, width, height, SWP_SHOWWINDOW);
    SetTimer(window, balloon_timer, balloon_timer_ms, nullptr);
    SetCapture(window);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return true;
}

}  // namespace

int run_info_balloon(char* arguments) {
    if (!register_window_class(info_balloon_class, balloon_procedure, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS,
                               CreateSolidBrush(GetSysColor(COLOR_INFOBK)))) {
        return 0;
    }
    if (!show_balloon(arguments)) return 0;
    const int quit_code = run_message_loop();
    DeleteObject(balloon.outline);
    return quit_code;
}

}  // namespace korvif
