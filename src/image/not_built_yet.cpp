// Bitmap commands that are not built yet: they accept their arguments and do nothing.
#include "image/commands.h"

namespace korvif {

int run_scale(char*) { return 0; }  // not built yet

}  // namespace korvif
