// The Linux build has no print spooler: INSTALLFAXPRINTER does nothing there, which the trace says.
#include "command/stop.h"
#include "printer/commands.h"

namespace korvif {

int run_install_fax_printer(char*) { return stop({Failure::not_in_this_build, "INSTALLFAXPRINTER"}, "print spooler"); }

}  // namespace korvif
