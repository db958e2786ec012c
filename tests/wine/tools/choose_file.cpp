// Chooses a file in the open file dialog of another program, the way a user who types its name
// does: the name, given as UTF-16 on the command line, goes into the dialog's file name field
// and the dialog is told "OK". Keyboard simulation cannot be trusted with letters outside the
// keyboard's layout; this reaches any name.
//   choose_file NAME
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

namespace {

struct Search {
    HWND dialog = nullptr;
};

BOOL CALLBACK find_dialog(HWND window, LPARAM data) {
    wchar_t class_name[16] = {};
    GetClassNameW(window, class_name, 16);
    if (IsWindowVisible(window) && lstrcmpW(class_name, L"#32770") == 0) {
        reinterpret_cast<Search*>(data)->dialog = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 2) {
        std::fprintf(stderr, "usage: choose_file NAME\n");
        return 2;
    }
    Search search;
    for (int tries = 0; tries < 100 && search.dialog == nullptr; ++tries) {
        EnumWindows(find_dialog, reinterpret_cast<LPARAM>(&search));
        if (search.dialog == nullptr) Sleep(100);
    }
    if (search.dialog == nullptr) {
        std::fprintf(stderr, "no file dialog found\n");
        return 1;
    }
    // The file name field: the combo box cmb13 (0x47C) of the Explorer-style dialog, or the edit
    // edt1 (0x480) of the older one.
    HWND field = GetDlgItem(search.dialog, 0x47C);
    if (field == nullptr) field = GetDlgItem(search.dialog, 0x480);
    if (field == nullptr) {
        std::fprintf(stderr, "the dialog has no file name field\n");
        return 1;
    }
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(arguments[1]));
    PostMessageW(search.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(search.dialog, IDOK)));
    LocalFree(arguments);
    return 0;
}
