// Finding the command in the raw command line.
#pragma once

namespace korvif {

// The command text: what follows the program name and the blanks after it. The program name runs
// to the first blank, or, when the line begins with a quote, to the closing quote (a program path
// with blanks, quoted as Windows' conventions ask). Tabs are not skipped.
const char* command_text_of(const char* raw_command_line);

}  // namespace korvif
