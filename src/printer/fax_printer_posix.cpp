// The Linux build has no print spooler: INSTALLFAXPRINTER does nothing there.
#include "printer/commands.h"

namespace korvif {

int run_install_fax_printer(char*) { return 0; }

}  // namespace korvif
