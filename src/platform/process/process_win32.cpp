#include "platform/process/process.h"

#include <windows.h>

#include <exception>

#include "platform/files/file.h"
#include "platform/trace/trace.h"

namespace korvif::platform {

namespace {

// Copied in whole by set_host_notice and only read by the crash path.
HostNotice host_notice;

// "0x" and eight hexadecimal digits, without the heap.
char* put_hex(char* at, std::uintptr_t value) {
    *at++ = '0';
    *at++ = 'x';
    for (int shift = 28; shift >= 0; shift -= 4) *at++ = "0123456789ABCDEF"[(value >> shift) & 0xF];
    return at;
}

char* put_text(char* at, const char* text) {
    while (*text != '\0') *at++ = *text++;
    return at;
}

LONG WINAPI on_unhandled_exception(EXCEPTION_POINTERS* pointers) {
    char what[64];
    char* at = put_text(what, "exception ");
    const EXCEPTION_RECORD* record = pointers != nullptr ? pointers->ExceptionRecord : nullptr;
    at = put_hex(at, record != nullptr ? record->ExceptionCode : 0);
    at = put_text(at, " at ");
    at = put_hex(at, record != nullptr ? reinterpret_cast<std::uintptr_t>(record->ExceptionAddress) : 0);
    *at = '\0';
    end_run_now(trace::crash, what);
}

// Reached when a C++ exception finds no handler or leaves a noexcept function; the runtime
// would otherwise abort with its own box.
[[noreturn]] void on_terminate() { end_run_now(trace::crash, "the C++ runtime ended the run (std::terminate)"); }

// Enables the window a dialog of this run disabled and posts the message the host is owed.
void deliver_host_notice() {
    const HostNotice notice = host_notice;
    if (notice.disabled_window != nullptr) EnableWindow(static_cast<HWND>(notice.disabled_window), TRUE);
    if (notice.window != nullptr) {
        PostMessageA(static_cast<HWND>(notice.window), notice.message, static_cast<WPARAM>(notice.wparam),
                     static_cast<LPARAM>(notice.lparam));
    }
}

}  // namespace

void raise_process_priority() { SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS); }

void silence_system_error_boxes() {
    // Windows XP has no GetErrorMode: the host's mode is what the first call returns.
    constexpr UINT ours = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;
    const UINT inherited = SetErrorMode(ours);
    SetErrorMode(inherited | ours);
}

void lower_process_priority_to_idle() { SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS); }

void set_host_notice(const HostNotice& notice) { host_notice = notice; }

void install_crash_handlers() {
    SetUnhandledExceptionFilter(on_unhandled_exception);
    std::set_terminate(on_terminate);
}

void end_run_now(LastLine last_line, const char* what) {
    end_steps({deliver_host_notice, remove_guarded_work_file}, last_line, what);
    TerminateProcess(GetCurrentProcess(), 0);
    ExitProcess(0);  // not reached: TerminateProcess of the own process does not return
}

}  // namespace korvif::platform
