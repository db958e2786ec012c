// Desktop services of the Windows program that are not built yet: they do nothing.
#include "desktop/commands.h"

namespace korvif {

int run_open_dialog(char*) { return 0; }   // not built yet
int run_save_dialog(char*) { return 0; }   // not built yet
int run_help(char*) { return 0; }          // not built yet

}  // namespace korvif
