// HELP: one request to Windows Help for the host, or, where Windows no longer has Windows Help
// and the host ships an HTML Help file beside its help file, to the HTML Help viewer.
#include <windows.h>

#include "command/stop.h"
#include "desktop/commands.h"
#include "desktop/host_window_win32.h"
#include "desktop/html_help.h"
#include "desktop/requests.h"
#include "platform/files/file.h"
#include "platform/files/host_text.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

// Windows Help went with Windows Vista (6.0): its requests open a notice that the format is not
// supported.
bool windows_help_gone() {
    const DWORD version = GetVersion();
    const unsigned major = LOBYTE(LOWORD(version));
    const unsigned minor = HIBYTE(LOWORD(version));
    trace::line("Windows %u.%u%s", major, minor, major >= 6 ? ": Windows Help is gone" : "");
    return major >= 6;
}

// The result of a path function called as call(buffer, size), which returns the path's length,
// or the size it needs when the buffer is too small; nothing when it fails.
template <typename Call>
std::optional<std::wstring> path_from(Call call) {
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length);
        length = call(buffer.data(), length);
    }
    if (length == 0 || length >= buffer.size()) return std::nullopt;
    buffer.resize(length);
    return buffer;
}

// The HTML Help file beside the help file, found by its long full name; nothing when there is
// none.
std::optional<std::wstring> html_help_file(const std::string& help_file) {
    const auto wide = platform::wide_of_ansi(help_file);
    if (!wide) {
        trace::line("the help file's name is no text of the ANSI code page");
        return std::nullopt;
    }
    std::wstring name(without_window_part(*wide));
    // The viewer gets a full path, whatever its own current directory; a file named by its 8.3
    // name has its sibling under the long name (FAXHEL~1.HLP: Faxhelp.chm). A help file that is
    // missing keeps the name as given.
    if (auto full = path_from(
            [&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(name.c_str(), size, buffer, nullptr); })) {
        name = *full;
    }
    if (auto long_name =
            path_from([&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(name.c_str(), buffer, size); })) {
        name = *long_name;
    }
    const auto chm = html_help_sibling(name);
    if (!chm) {
        trace::utf8_line("no HTML Help file can be named beside \"%s\"", platform::printable(name).c_str());
        return std::nullopt;
    }
    const DWORD attributes = GetFileAttributesW(chm->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        trace::utf8_line(
            "no HTML Help file \"%s\": %s", platform::printable(*chm).c_str(),
            attributes == INVALID_FILE_ATTRIBUTES ? trace::utf8(trace::system_error()).c_str() : "a directory");
        return std::nullopt;
    }
    return chm;
}

struct ProcessHandles {
    PROCESS_INFORMATION info {};
    ProcessHandles() = default;
    ProcessHandles(const ProcessHandles&) = delete;
    ProcessHandles& operator=(const ProcessHandles&) = delete;
    ~ProcessHandles() {
        if (info.hThread != nullptr) CloseHandle(info.hThread);
        if (info.hProcess != nullptr) CloseHandle(info.hProcess);
    }
};

// Hands the request to the HTML Help viewer, a window of its own that the program neither waits
// for nor closes. False when the viewer cannot be started, so that Windows Help at least tells
// the user why there is no help.
bool run_html_help(const HelpRequest& request, const std::wstring& chm) {
    const auto directory =
        path_from([](wchar_t* buffer, DWORD size) { return GetSystemWindowsDirectoryW(buffer, size); });
    if (!directory) {
        trace::line("HTML Help: no Windows directory: %s", trace::system_error().c_str());
        return false;
    }
    const auto launch = html_help_launch(*directory, request.command, request.data, chm);
    if (!launch) {
        trace::utf8_line("HTML Help: file \"%s\", command %ld opens no viewer", platform::printable(chm).c_str(),
                         static_cast<long>(request.command));
        return true;
    }
    std::wstring command_line = launch->command_line;  // the system may write into it
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    ProcessHandles process;
    // The viewer gets the system's error boxes back, which this program silenced for itself.
    const BOOL started = CreateProcessW(launch->viewer.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                                        CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process.info);
    const std::string error = started ? std::string() : trace::utf8(trace::system_error());
    trace::utf8_line("HTML Help: %s: %s", platform::printable(command_line).c_str(),
                     started ? "started" : error.c_str());
    return started != 0;
}

void run_windows_help(const HelpRequest& request) {
    ULONG_PTR data = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(request.data));
    const std::string data_text = request.data_text();
    switch (request.data_form()) {
    case HelpRequest::DataForm::number: break;
    case HelpRequest::DataForm::text: data = reinterpret_cast<ULONG_PTR>(data_text.c_str()); break;
    case HelpRequest::DataForm::unusable:
        stop(Failure::needs_a_structure, "help command %ld", static_cast<long>(request.command));
        return;
    }
    const BOOL done =
        WinHelpA(existing_window(request.window), request.help_file.c_str(), static_cast<UINT>(request.command), data);
    trace::line("Windows Help: file \"%s\", command %ld, data %s%s: %s", request.help_file.c_str(),
                static_cast<long>(request.command), request.data_form() == HelpRequest::DataForm::text ? "text " : "",
                data_text.c_str(), done ? "done" : "refused");
}

}  // namespace

int run_help(char* arguments) {
    const auto request = parse_help_request(arguments);
    if (!request) return stop(request.failed(), "four fields, or no help file");
    if (windows_help_gone()) {
        if (const auto chm = html_help_file(request->help_file); chm && run_html_help(*request, *chm)) return 0;
    }
    run_windows_help(*request);
    return 0;
}

}  // namespace korvif
