// Commands whose conversions are not built yet: they accept their arguments and do nothing.
#include "faxdoc/commands.h"

namespace korvif {

int run_document_to_sff(char*) { return 0; }    // not built yet
int run_bmp_to_fax_data(char*) { return 0; }    // not built yet
int run_change_resolution(char*) { return 0; }  // not built yet

}  // namespace korvif
