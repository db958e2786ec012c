#include "app/dispatch.h"

#include <exception>

#include "command/stop.h"
#include "commands/commands.h"
#include "desktop/commands.h"
#include "platform/process/module.h"
#include "platform/process/process.h"
#include "platform/trace/trace.h"
#include "printer/commands.h"

namespace korvif {

namespace {

constexpr std::string_view info_keyword = "INFO:";

char to_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool starts_with_keyword(const char* text, std::string_view keyword) {
    for (const char expected : keyword) {
        if (*text == '\0' || to_upper(*text) != to_upper(expected)) return false;
        ++text;
    }
    return true;
}

}  // namespace

// The order is fixed; no keyword is a prefix of another, so the first match is the only one.
const std::array<Command, 17> command_table = {{
    {"S2F:", run_sff_to_document},
    {"F2S:", run_document_to_sff},
    {"STI:", run_tray_icon},
    {"STM:", run_tray_menu},
    {"F2D:", run_document_page_to_bmp},
    {"ROT:", run_rotate},
    {"SCL:", run_scale},
    {"INV:", run_invert},
    {"RES:", run_change_resolution},
    {"D2F:", run_bmp_to_fax_data},
    {"F2P:", run_document_to_pdf},
    {"F2T:", run_document_to_tiff},
    {"HELP:", run_help},
    {"FDOPEN:", run_open_dialog},
    {"FDSAVE:", run_save_dialog},
    {info_keyword, run_info_balloon},
    {"INSTALLFAXPRINTER", run_install_fax_printer},
}};

const Command* find_command(const char* command_text) {
    if (command_text == nullptr) return nullptr;
    for (const Command& command : command_table) {
        if (starts_with_keyword(command_text, command.keyword)) return &command;
    }
    return nullptr;
}

namespace {

// Runs the command that the text begins with. A command that fails (memory that cannot be had)
// ends quietly like any other failure, never with the runtime's message box; its work files are
// removed as the stack unwinds.
std::int32_t run_command(char* command_text) {
    const Command* command = find_command(command_text);
    if (command == nullptr) return stop(Failure::absent, "command keyword at the start of the command text");
    try {
        const int result = command->run(command_text + command->keyword.size());
        return command->keyword == info_keyword ? result : 0;
    } catch (const std::exception& failure) {
        return stop({Failure::failed, failure.what()}, "the command");
    } catch (...) {
        return stop(Failure::failed, "the command");
    }
}

}  // namespace

std::int32_t dispatch_command(void* instance, void*, char* command_text, int) {
    platform::set_instance_handle(instance);
    trace::begin(command_text);
    platform::raise_process_priority();
    const std::int32_t result = run_command(command_text);
    trace::end();
    return result;
}

}  // namespace korvif
