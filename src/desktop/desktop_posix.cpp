// The Linux build has no Windows shell, windows, dialogs or help: the desktop commands read their
// arguments and do nothing, which the trace says.
#include "desktop/commands.h"
#include "desktop/requests.h"
#include "command/stop.h"

namespace korvif {

namespace {

int nothing_done(const char* keyword) { return stop({Failure::not_in_this_build, keyword}, "Windows desktop"); }

}  // namespace

int run_tray_icon(char* arguments) {
    static_cast<void>(parse_tray_icon_request(arguments));
    return nothing_done("STI");
}

int run_tray_menu(char* arguments) {
    static_cast<void>(parse_tray_menu_request(arguments));
    return nothing_done("STM");
}

int run_info_balloon(char* arguments) {
    parse_info_balloon_request(arguments);
    return nothing_done("INFO");
}

int run_open_dialog(char* arguments) {
    parse_file_dialog_request(arguments, FileDialogRequest::open_mode);
    return nothing_done("FDOPEN");
}

int run_save_dialog(char* arguments) {
    parse_file_dialog_request(arguments, FileDialogRequest::save_mode);
    return nothing_done("FDSAVE");
}

int run_help(char* arguments) {
    static_cast<void>(parse_help_request(arguments));
    return nothing_done("HELP");
}

}  // namespace korvif
