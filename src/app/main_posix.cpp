// The Linux build: the command text is the program's arguments joined with single blanks.
#include <string>

#include "app/dispatch.h"

int main(int argc, char** argv) {
    std::string command_text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) command_text += ' ';
        command_text += argv[i];
    }
    return korvif::dispatch_command(nullptr, nullptr, command_text.data(), 1);
}
