// test_host.exe SCRIPT LOG: a stand-in for the fax application in the GUI tests. It owns a
// top-level window with a button and an edit control, runs korvif32.exe (from its own directory)
// with exact command lines that carry its window handles, and writes to LOG, line by line, what
// it sees: the messages its window receives, exit codes, the tray icon's presence, the edit
// control's text, window positions.
//
// SCRIPT lines:
//   run COMMAND     start "korvif32.exe COMMAND" ({HOST}, {BUTTON}, {EDIT} become the decimal
//                   handles, {NOWINDOW} a handle that names no window) and wait for it
//   program NAME    run NAME (from the same directory) instead of korvif32.exe from now on
//   log-enabled     log whether the host window is enabled now, and whether it was disabled at
//                   some time during the last run
//   tray            log whether the tray icon (host window, identifier 1) exists
//   edit TEXT       put TEXT into the edit control
//   log-edit        log the edit control's text
//   log-title       log the host window's title
//   wait MS         let MS milliseconds pass, handling messages
//   button X Y W H  move the button (client coordinates)
//   profile S K     log WIN.INI's value for key K in section S, or <missing>
//   drivers ENV     log the printer drivers installed for environment ENV
#include <windows.h>
#include <shellapi.h>
#include <winspool.h>

#include <vector>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::FILE* log_file = nullptr;
HWND host = nullptr;
HWND button = nullptr;
HWND edit = nullptr;
std::string program_name = "korvif32.exe";
bool disabled_during_run = false;

void log_line(const std::string& line) {
    std::fprintf(log_file, "%s\n", line.c_str());
    std::fflush(log_file);
}

LRESULT CALLBACK host_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message >= WM_USER || message == WM_MBUTTONUP) {
        log_line("message " + std::to_string(message) + " " + std::to_string(static_cast<long long>(wparam)) + " " +
                 std::to_string(static_cast<long long>(lparam)));
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void wait_handling_messages(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    for (;;) {
        pump();
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

std::string handle_text(HWND window) { return std::to_string(reinterpret_cast<INT_PTR>(window)); }

void replace_all(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

std::string program_path() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text = path;
    return text.substr(0, text.find_last_of('\\') + 1) + program_name;
}

void run(std::string command) {
    replace_all(command, "{HOST}", handle_text(host));
    replace_all(command, "{BUTTON}", handle_text(button));
    replace_all(command, "{EDIT}", handle_text(edit));
    replace_all(command, "{NOWINDOW}", "123456");
    std::string line = program_path() + " " + command;
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        log_line("cannot start " + line);
        return;
    }
    log_line("started " + command);
    // Looked at every 50 ms: a modal dialog of the program disables the host window while it is open.
    disabled_during_run = false;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) {
        pump();
        if (!IsWindowEnabled(host)) disabled_during_run = true;
    }
    wait_handling_messages(300);
    DWORD code = 999;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    log_line("exit " + std::to_string(code));
}

void log_tray() {
    NOTIFYICONDATAA data {};
    data.cbSize = 88;
    data.hWnd = host;
    data.uID = 1;
    log_line(Shell_NotifyIconA(NIM_MODIFY, &data) ? "tray present" : "tray absent");
}

void log_rect(const char* name, HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    log_line(std::string(name) + " " + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
             std::to_string(rect.right) + " " + std::to_string(rect.bottom));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 100;
    log_file = std::fopen(argv[2], "wb");  // plain \n line ends for the shell scripts
    if (log_file == nullptr) return 101;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA window_class {};
    window_class.lpfnWndProc = host_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = "KorvifTestHost";
    RegisterClassA(&window_class);
    host = CreateWindowExA(0, "KorvifTestHost", "Korvif Test Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 560,
                           380, nullptr, nullptr, instance, nullptr);
    button = CreateWindowExA(0, "BUTTON", "Auto", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 380, 260, 120, 36, host,
                             nullptr, instance, nullptr);
    edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 20, 20, 500, 26, host,
                           nullptr, instance, nullptr);
    wait_handling_messages(200);
    log_line("host " + handle_text(host) + " button " + handle_text(button) + " edit " + handle_text(edit));
    log_rect("host-rect", host);
    log_rect("button-rect", button);

    std::ifstream script(argv[1]);
    std::string line;
    while (std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string word = line.substr(0, line.find(' '));
        const std::string rest = line.find(' ') == std::string::npos ? "" : line.substr(line.find(' ') + 1);
        if (word == "run") {
            run(rest);
        } else if (word == "program") {
            program_name = rest;
        } else if (word == "log-enabled") {
            log_line(std::string("enabled ") + (IsWindowEnabled(host) ? "1" : "0") + " disabled-during-run " +
                     (disabled_during_run ? "1" : "0"));
        } else if (word == "tray") {
            log_tray();
        } else if (word == "edit") {
            SetWindowTextA(edit, rest.c_str());
        } else if (word == "log-edit") {
            char text[1024] = {};
            GetWindowTextA(edit, text, sizeof text);
            log_line(std::string("edit ") + text);
        } else if (word == "log-title") {
            char text[1024] = {};
            GetWindowTextA(host, text, sizeof text);
            log_line(std::string("title ") + text);
        } else if (word == "wait") {
            wait_handling_messages(static_cast<DWORD>(std::stoul(rest)));
        } else if (word == "profile") {
            const std::string section = rest.substr(0, rest.find(' '));
            const std::string key = rest.substr(rest.find(' ') + 1);
            char value[256];
            GetProfileStringA(section.c_str(), key.c_str(), "<missing>", value, sizeof value);
            log_line("profile " + key + " [" + value + "]");
        } else if (word == "drivers") {
            DWORD needed = 0, count = 0;
            EnumPrinterDriversA(nullptr, const_cast<char*>(rest.c_str()), 1, nullptr, 0, &needed, &count);
            std::vector<BYTE> buffer(needed + 1);
            if (EnumPrinterDriversA(nullptr, const_cast<char*>(rest.c_str()), 1, buffer.data(), needed, &needed,
                                    &count)) {
                const auto* drivers = reinterpret_cast<const DRIVER_INFO_1A*>(buffer.data());
                for (DWORD i = 0; i < count; ++i) log_line(std::string("driver ") + drivers[i].pName);
            }
            log_line("drivers listed");
        } else if (word == "button") {
            int x, y, w, h;
            if (std::sscanf(rest.c_str(), "%d %d %d %d", &x, &y, &w, &h) == 4) MoveWindow(button, x, y, w, h, TRUE);
            wait_handling_messages(100);
            log_rect("button-rect", button);
        }
    }
    log_line("done");
    DestroyWindow(host);
    std::fclose(log_file);
    return 0;
}
