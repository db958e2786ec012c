// The fax printer installation is not built yet: the command does nothing.
#include "printer/commands.h"

namespace korvif {

int run_install_fax_printer(char*) { return 0; }  // not built yet

}  // namespace korvif
