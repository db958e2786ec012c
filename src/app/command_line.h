// Finding the command in the raw command line.
#pragma once

namespace korvif {

// The command text: what follows the program name (everything up to the first blank; quotes
// get no special treatment) and the blanks after it. Tabs are not skipped.
const char* command_text_of(const char* raw_command_line);

}  // namespace korvif
