#include "app/command_line.h"

namespace korvif {

const char* command_text_of(const char* raw_command_line) {
    const char* text = raw_command_line;
    if (*text == '"') {
        // A quoted program path (a host under "C:\Program Files\...") ends at its closing quote.
        ++text;
        while (*text != '\0' && *text != '"') ++text;
        if (*text == '"') ++text;
    } else {
        while (*text != '\0' && *text != ' ') ++text;
    }
    while (*text == ' ') ++text;
    return text;
}

}  // namespace korvif
