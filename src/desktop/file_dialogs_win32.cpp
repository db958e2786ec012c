// FDOPEN and FDSAVE: the common Open and Save As dialogs. The host's edit control carries the
// initial directory in and the chosen file's short path out; message 0x0208 tells the host that
// the dialog is over.
#include <windows.h>
#include <commdlg.h>

#include "desktop/commands.h"
#include "desktop/host_window_win32.h"
#include "desktop/requests.h"
#include "platform/process.h"

namespace korvif {

namespace {

// How long the host's edit control is waited for.
constexpr UINT host_timeout_ms = 5000;

// The edit control belongs to the host, another process: GetWindowText and SetWindowText do not
// reach the text of another program's control, the WM_GETTEXT and WM_SETTEXT messages do. A host
// that does not answer within five seconds is taken to have an empty control.
int read_text(HWND edit, char* buffer, int size) {
    DWORD_PTR length = 0;
    if (edit == nullptr) return 0;
    if (!SendMessageTimeoutA(edit, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, host_timeout_ms, &length)) {
        return 0;
    }
    return static_cast<int>(length);
}

void write_text(HWND edit, const char* text) {
    DWORD_PTR ignored = 0;
    if (edit == nullptr) return;
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, host_timeout_ms, &ignored);
}

bool choose_file(const FileDialogRequest& request, char* file_name, char* initial_directory) {
    char default_extension[sizeof request.default_extension];
    CopyMemory(default_extension, request.default_extension, sizeof default_extension);
    OPENFILENAMEA record {};
    record.lStructSize = FileDialogRequest::record_size;
    record.hwndOwner = existing_window(request.owner);
    record.lpstrFilter = request.has_filter ? request.filter.c_str() : nullptr;
    record.lpstrFile = file_name;
    record.nMaxFile = FileDialogRequest::file_buffer_size;
    record.lpstrInitialDir = initial_directory;
    record.Flags = request.dialog_flags();
    record.lpstrDefExt = default_extension;
    return request.mode == FileDialogRequest::save_mode ? GetSaveFileNameA(&record) != FALSE : GetOpenFileNameA(&record) != FALSE;
}

int run_file_dialog(char* arguments, int mode) {
    const FileDialogRequest request = parse_file_dialog_request(arguments, mode);
    trace::line("%s dialog: owner %ld, edit control %ld, flags %ld, filter %s", mode == FileDialogRequest::save_mode ? "save" : "open",
                static_cast<long>(request.owner), static_cast<long>(request.edit), static_cast<long>(request.flags),
                request.has_filter ? "given" : "none");
    HWND edit = existing_window(request.edit);
    char initial_directory[FileDialogRequest::initial_directory_size] = {};
    end_initial_directory(initial_directory, read_text(edit, initial_directory, FileDialogRequest::initial_directory_size - 1));
    write_text(edit, "");

    trace::line("initial directory %s", initial_directory);
    char file_name[FileDialogRequest::file_buffer_size] = {};
    if (!choose_file(request, file_name, initial_directory)) {
        trace::line("dialog cancelled or failed (code %lu)", static_cast<unsigned long>(CommDlgExtendedError()));
    } else {
        trace::line("dialog chose %s", file_name);
        if (mode == FileDialogRequest::save_mode) {
            // An empty new file; an existing one is left as it is.
            HANDLE created = CreateFileA(file_name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (created != INVALID_HANDLE_VALUE) CloseHandle(created);
        }
        const DWORD short_length = GetShortPathNameA(file_name, file_name, sizeof file_name);
        if (short_length != 0 && short_length < sizeof file_name) {
            trace::line("short path %s given to the edit control", file_name);
            write_text(edit, file_name);
        } else {
            trace::line("no short path for the chosen file: %s", trace::system_error().c_str());
        }
    }
    // An owner that is no window (0, 65535, closed meanwhile) gets no message.
    if (HWND owner = existing_window(request.owner)) post_to_host(owner, FileDialogRequest::end_message, 0, static_cast<LPARAM>(-1));
    platform::lower_process_priority_to_idle();
    return 0;
}

}  // namespace

int run_open_dialog(char* arguments) { return run_file_dialog(arguments, FileDialogRequest::open_mode); }
int run_save_dialog(char* arguments) { return run_file_dialog(arguments, FileDialogRequest::save_mode); }

}  // namespace korvif
