// FDOPEN and FDSAVE: the common Open and Save As dialogs. The host's edit control carries the
// initial directory in and the chosen file's short path out, as ANSI text: a path that has no
// exact ANSI form (or holds a comma) is not handed over, so the host never gets a name of
// another file. Message 0x0208 tells the host that the dialog is over.
#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "desktop/commands.h"
#include "desktop/host_window_win32.h"
#include "desktop/new_file_removal.h"
#include "desktop/requests.h"
#include "platform/files/file.h"
#include "platform/files/host_text.h"
#include "platform/process/process.h"
#include "platform/files/wide_path_win32.h"
#ifdef KORVIF_CRASH_TRIGGER
#include "desktop/crash_trigger_win32.h"
#endif

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
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, host_timeout_ms,
                        &ignored);
}

// The dialog works with wide names, so that any file can be chosen; the host's ANSI texts (filter,
// default extension, initial directory) are converted once on the way in.
bool choose_file(const FileDialogRequest& request, HWND owner, std::wstring& file_name,
                 const std::wstring& initial_directory) {
    const auto filter = platform::wide_of_ansi(request.filter);
    const auto default_extension = platform::wide_of_ansi(std::string_view(
        request.default_extension, ::strnlen(request.default_extension, sizeof request.default_extension)));
    file_name.assign(FileDialogRequest::file_buffer_size, L'\0');
    OPENFILENAMEW record {};
    record.lStructSize = FileDialogRequest::record_size;
    record.hwndOwner = owner;
    record.lpstrFilter = request.has_filter && filter ? filter->c_str() : nullptr;
    record.lpstrFile = file_name.data();
    record.nMaxFile = FileDialogRequest::file_buffer_size;
    record.lpstrInitialDir = initial_directory.empty() ? nullptr : initial_directory.c_str();
    record.Flags = request.dialog_flags();
    record.lpstrDefExt = default_extension ? default_extension->c_str() : nullptr;
    const bool chosen = request.mode == FileDialogRequest::save_mode ? GetSaveFileNameW(&record) != FALSE
                                                                     : GetOpenFileNameW(&record) != FALSE;
    file_name.resize(::wcsnlen(file_name.c_str(), file_name.size()));
    return chosen;
}

std::optional<FoundFile> look_through(HANDLE file);

// Closes a handle when it goes.
struct Closer {
    void operator()(HANDLE file) const { CloseHandle(file); }
};
using OwnedHandle = std::unique_ptr<void, Closer>;

// Opens `name` as asked, reads the file's identity and size, and closes it again; nothing when
// it does not open.
std::optional<FoundFile> open_and_look(const std::wstring& name, DWORD access, DWORD sharing, DWORD creation) {
    const HANDLE opened = CreateFileW(name.c_str(), access, sharing, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    const OwnedHandle file(opened);
    return look_through(file.get());
}

// The identity and size of the file open through `file`: nothing unless it is a file on a disk.
std::optional<FoundFile> look_through(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!platform::is_disk_file(file) || !GetFileInformationByHandle(file, &information)) return std::nullopt;
    FoundFile found;
    found.identity.volume = information.dwVolumeSerialNumber;
    found.identity.index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    found.size = (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    return found;
}

// Save: makes the chosen file, empty and unshared, when it does not exist (an existing one is
// left as it is). Gives the new file's identity, or nothing when no file was made or its
// identity is unknown (such a file is never removed again). Reading the identity needs the
// attributes, which writing alone does not grant.
std::optional<FileIdentity> create_empty(const std::wstring& name) {
    // The same device rule as every other output: a device's or a pipe's name is never opened.
    if (!platform::file_path(name)) return std::nullopt;
    const std::optional<FoundFile> made = open_and_look(name, GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, CREATE_NEW);
    if (!made) return std::nullopt;
    return made->identity;
}

class WindowsNewFile final : public NewFileCalls {
public:
    WindowsNewFile(const std::wstring& name, const FileIdentity& created) : name_(name), created_(created) {}

    // Reading the attributes only, the look is never refused for another program's sharing.
    std::optional<FoundFile> look() override {
        return open_and_look(name_, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             OPEN_EXISTING);
    }
    // Checked again and removed through one handle (Windows Vista and later), so that a file put
    // under the name after the look is never the one removed; Windows XP removes by the name.
    RemoveResult remove() override {
        const HANDLE opened = CreateFileW(name_.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (opened == INVALID_HANDLE_VALUE) return refusal();
        OwnedHandle file(opened);
        const std::optional<FoundFile> found = look_through(file.get());
        if (!found || found->identity != created_ || found->size != 0) return RemoveResult::failed;
        const Outcome<void> marked = platform::delete_when_closed(file.get());
        if (marked) return RemoveResult::removed;
        if (marked.failure() != Failure::absent) return refusal();
        file.reset();
        if (DeleteFileW(name_.c_str())) return RemoveResult::removed;
        return refusal();
    }
    void wait(unsigned milliseconds) override { Sleep(milliseconds); }

private:
    static RemoveResult refusal() {
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? RemoveResult::held
                                                                                 : RemoveResult::failed;
    }

    const std::wstring& name_;
    const FileIdentity& created_;
};

std::optional<std::string> ansi_or_nothing(std::wstring_view wide) { return platform::exact_ansi(wide); }
std::wstring wide_or_nothing(std::string_view ansi) { return platform::wide_of_ansi(ansi).value_or(std::wstring()); }

// The text the host gets for the chosen file: its short path, and only when that names exactly
// this file in the host's code page and holds no comma. Empty otherwise, with the reason traced.
std::string path_for_host(const std::wstring& chosen) {
    std::wstring short_path(MAX_PATH, L'\0');
    const DWORD length = GetShortPathNameW(chosen.c_str(), short_path.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        trace::line("no short path for the chosen file: %s", trace::system_error().c_str());
        return {};
    }
    short_path.resize(length);
    std::string text;
    const platform::HostPathCheck check = platform::host_path_text(short_path, ansi_or_nothing, wide_or_nothing, text);
    if (check != platform::HostPathCheck::exact) {
        trace::utf8_line("\"%s\" is not given to the host: %s", platform::printable(short_path).c_str(),
                         platform::describe(check));
    }
    return text;
}

// The host waits for the dialog's end message whatever happens: it is posted once, when the
// command ends, also by an exception; a crash meanwhile posts it through the host notice, and
// while the dialog is open enables the owner's top-level window again, which the dialog disables
// (unless the host had disabled it itself). An owner that is no window (0, 65535, closed
// meanwhile) gets no message.
class EndMessage {
public:
    explicit EndMessage(std::int32_t owner) : number_(owner), owner_(existing_window(owner)) {
        HWND top_level = owner_ != nullptr ? GetAncestor(owner_, GA_ROOT) : nullptr;
        notice_ = {owner_, FileDialogRequest::end_message, 0, -1,
                   top_level != nullptr && IsWindowEnabled(top_level) ? top_level : nullptr};
        platform::set_host_notice(notice_);
    }
    EndMessage(const EndMessage&) = delete;
    EndMessage& operator=(const EndMessage&) = delete;
    ~EndMessage() {
        platform::set_host_notice({});
        if (owner_ != nullptr && existing_window(number_) != nullptr)
            post_to_host(owner_, FileDialogRequest::end_message, 0, -1);
        platform::lower_process_priority_to_idle();
    }

    HWND owner() const { return owner_; }

    // The dialog has enabled its owner again.
    void dialog_closed() {
        notice_.disabled_window = nullptr;
        platform::set_host_notice(notice_);
    }

private:
    std::int32_t number_;
    HWND owner_;
    platform::HostNotice notice_;
};

int run_file_dialog(char* arguments, int mode) {
    const FileDialogRequest request = parse_file_dialog_request(arguments, mode);
    trace::line("%s dialog: owner %ld, edit control %ld, flags %ld, filter %s",
                mode == FileDialogRequest::save_mode ? "save" : "open", static_cast<long>(request.owner),
                static_cast<long>(request.edit), static_cast<long>(request.flags),
                request.has_filter ? "given" : "none");
    HWND edit = existing_window(request.edit);
    char initial_text[FileDialogRequest::initial_directory_size] = {};
    end_initial_directory(initial_text, read_text(edit, initial_text, FileDialogRequest::initial_directory_size - 1));
    write_text(edit, "");
    trace::line("initial directory \"%s\"", initial_text);
    const std::wstring initial_directory = platform::wide_of_ansi(initial_text).value_or(std::wstring());

    EndMessage end_message(request.owner);
#ifdef KORVIF_CRASH_TRIGGER
    arm_crash_trigger();
#endif
    std::wstring file_name;
    const bool chosen = choose_file(request, end_message.owner(), file_name, initial_directory);
    end_message.dialog_closed();
    if (!chosen) {
        trace::line("dialog cancelled or failed (code %lu)", static_cast<unsigned long>(CommDlgExtendedError()));
    } else {
        trace::utf8_line("dialog chose \"%s\"", platform::printable(file_name).c_str());
        const std::optional<FileIdentity> created =
            mode == FileDialogRequest::save_mode ? create_empty(file_name) : std::nullopt;
        const std::string text = path_for_host(file_name);
        if (!text.empty()) {
            trace::line("short path \"%s\" given to the edit control", text.c_str());
            write_text(edit, text.c_str());
        } else if (created) {
            // The host cannot name the file: the empty file made for it goes again.
            WindowsNewFile calls(file_name, *created);
            trace::utf8_line("\"%s\", made empty by this dialog: %s", platform::printable(file_name).c_str(),
                             describe(remove_new_file(calls, *created)));
        }
    }
    return 0;
}

}  // namespace

int run_open_dialog(char* arguments) { return run_file_dialog(arguments, FileDialogRequest::open_mode); }
int run_save_dialog(char* arguments) { return run_file_dialog(arguments, FileDialogRequest::save_mode); }

}  // namespace korvif
