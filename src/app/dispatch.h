// Picking the command handler by keyword.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace korvif {

using CommandHandler = int (*)(char* arguments);

struct Command {
    std::string_view keyword;  // compared over its whole length, letters regardless of case
    CommandHandler run;        // receives the text after the keyword
};

extern const std::array<Command, 17> command_table;

// The command whose keyword begins the command text, or null.
const Command* find_command(const char* command_text);

// Runs one command: keeps the instance handle, raises the priority, calls the matching handler.
// Returns the exit code: the INFO handler's result when INFO ran, otherwise 0.
std::int32_t dispatch_command(void* instance, void* previous_instance, char* command_text, int show_state);

}  // namespace korvif
