#pragma once

namespace korvif {

// INSTALLFAXPRINTER: takes no arguments; whatever follows the keyword is ignored.
int run_install_fax_printer(char* ignored);

}  // namespace korvif
