// The bitmap commands; each takes the argument text after its keyword.
#pragma once

namespace korvif {

int run_invert(char* arguments);  // INV:
int run_rotate(char* arguments);  // ROT:
int run_scale(char* arguments);   // SCL:

}  // namespace korvif
