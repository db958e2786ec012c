// Desktop services that are not built yet: they accept their arguments and do nothing.
#include "desktop/commands.h"

namespace korvif {

int run_tray_icon(char*) { return 0; }     // not built yet
int run_tray_menu(char*) { return 0; }     // not built yet
int run_info_balloon(char*) { return 0; }  // not built yet
int run_open_dialog(char*) { return 0; }   // not built yet
int run_save_dialog(char*) { return 0; }   // not built yet
int run_help(char*) { return 0; }          // not built yet

}  // namespace korvif
