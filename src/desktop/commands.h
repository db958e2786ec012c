// The desktop services for the host; each takes the argument text after its keyword. In the
// Linux build they do nothing.
#pragma once

namespace korvif {

int run_tray_icon(char* arguments);     // STI:
int run_tray_menu(char* arguments);     // STM:
int run_info_balloon(char* arguments);  // INFO:
int run_open_dialog(char* arguments);   // FDOPEN:
int run_save_dialog(char* arguments);   // FDSAVE:
int run_help(char* arguments);          // HELP:

}  // namespace korvif
