// The Linux build has no Windows shell, windows, dialogs or help: the desktop commands read their
// arguments and do nothing.
#include "desktop/commands.h"
#include "desktop/requests.h"

namespace korvif {

int run_tray_icon(char* arguments) {
    parse_tray_icon_request(arguments);
    return 0;
}

int run_tray_menu(char* arguments) {
    parse_tray_menu_request(arguments);
    return 0;
}

int run_info_balloon(char* arguments) {
    parse_info_balloon_request(arguments);
    return 0;
}
int run_open_dialog(char* arguments) {
    parse_file_dialog_request(arguments, FileDialogRequest::open_mode);
    return 0;
}

int run_save_dialog(char* arguments) {
    parse_file_dialog_request(arguments, FileDialogRequest::save_mode);
    return 0;
}

int run_help(char* arguments) {
    parse_help_request(arguments);
    return 0;
}

}  // namespace korvif
