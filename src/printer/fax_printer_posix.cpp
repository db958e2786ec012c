// The Linux build has no print spooler: INSTALLFAXPRINTER does nothing there, which the trace says.
#include "platform/trace.h"
#include "printer/commands.h"

namespace korvif {

int run_install_fax_printer(char*) {
    return trace::stop("this build has no print spooler: INSTALLFAXPRINTER does nothing");
}

}  // namespace korvif
