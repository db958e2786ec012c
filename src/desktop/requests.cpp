#include "desktop/requests.h"

#include <cstring>
#include <string_view>

#include "command/arguments.h"

namespace korvif {

Outcome<TrayIconRequest> parse_tray_icon_request(char* arguments) {
    const Fields fields = split_fields(arguments, "..[..$");
    if (!fields) return Failure::missing;
    TrayIconRequest request;
    request.action = read_number(fields[1]);
    request.window = read_number(fields[2]);
    request.callback_message = read_number(fields[3]);
    request.icon_number = read_number(fields[4]);
    const char* tip = fields[5];
    if (tip != nullptr && std::strlen(tip) <= sizeof request.tip - 1) {
        std::strcpy(request.tip, tip);
        request.flags |= TrayIconRequest::flag_tip;
    }
    if (request.callback_message != 0) request.flags |= TrayIconRequest::flag_message;
    if (request.icon_number >= 1 && request.icon_number <= 5) {
        request.flags |= TrayIconRequest::flag_icon;
    } else {
        request.icon_number = 0;
    }
    return request;
}

Outcome<TrayMenuRequest> parse_tray_menu_request(char* arguments) {
    const Fields fields = split_fields(arguments, ".[.$");
    TrayMenuRequest request;
    request.window = read_number(fields[1]);
    request.base_message = read_number(fields[2]);
    request.grey_flags = read_number(fields[3]);
    if (request.window == 0 || request.base_message == 0) return Failure::absent;
    return request;
}

InfoBalloonRequest parse_info_balloon_request(char* arguments) {
    const Fields fields = split_fields(arguments, ":[$");
    InfoBalloonRequest request;
    request.host_window = read_number(fields[1]);
    request.button_window = read_number(fields[2]);
    return request;
}

namespace {

// "betätigen": the a umlaut is the single byte 0xE4 of the Windows ANSI code page, and the
// character U+00E4 of the wide text.
constexpr char hint_text[] =
    "Zum Ein- bzw. Ausschalten der automatischen||"
    "Rufannahme bet\xE4tigen Sie bitte diese Taste.||"
    "(Damit dieser Hinweis in Zukunft nicht mehr||"
    "angezeigt wird, klicken Sie auf diesen Text.)";
static_assert(sizeof hint_text - 1 == 180);

// The hint with each "||" as CR LF, in characters of the given type (bytes above 0x7F are
// Latin-1, which cp1252 agrees with for this text).
template <typename Char>
struct HintText {
    Char text[sizeof hint_text];
    constexpr HintText() : text {} {
        for (std::size_t i = 0; i < sizeof hint_text; ++i) {
            const bool pair = hint_text[i] == '|' && hint_text[i + 1] == '|';
            const auto byte = static_cast<unsigned char>(hint_text[i]);
            text[i] = pair                                                        ? Char('\r')
                      : (i > 0 && hint_text[i] == '|' && hint_text[i - 1] == '|') ? Char('\n')
                                                                                  : static_cast<Char>(byte);
        }
    }
};
constexpr HintText<char> hint_with_line_breaks;
constexpr HintText<wchar_t> wide_hint_with_line_breaks;

}  // namespace

const char* info_balloon_text() { return hint_with_line_breaks.text; }
const wchar_t* info_balloon_text_wide() { return wide_hint_with_line_breaks.text; }

void end_initial_directory(char* buffer, int characters_read) {
    int length = characters_read < 0 ? 0 : characters_read;
    if (length > FileDialogRequest::initial_directory_size - 2) length = FileDialogRequest::initial_directory_size - 2;
    buffer[length] = '\0';
}

std::string filter_list(const char* filter, platform::LeadByteTest lead) {
    std::string list = filter;
    bool closed = false;  // the last character is a "|"
    for (std::size_t i = 0; i < list.size(); i = platform::next_character(list, i, lead)) {
        closed = list[i] == '|';
        if (closed) list[i] = '\0';
    }
    // The platform reads strings up to an empty one: the text's own terminator ends the list
    // after a final "|"; without it the list gets its empty string here.
    if (!closed) list.push_back('\0');
    list.push_back('\0');
    return list;
}

namespace {

// The first pattern's extension: the whole characters after the first "|*.", at most `room`
// bytes, up to a "|" or ";". Empty without such a pattern.
std::string_view first_extension(std::string_view filter, std::size_t room, platform::LeadByteTest lead) {
    std::size_t start = 0;
    while (start < filter.size() && filter.compare(start, 3, "|*.") != 0)
        start = platform::next_character(filter, start, lead);
    if (start >= filter.size()) return {};
    start += 3;
    std::size_t end = start;
    while (end < filter.size() && filter[end] != '|' && filter[end] != ';') {
        const std::size_t next = platform::next_character(filter, end, lead);
        if (next - start > room) break;
        end = next;
    }
    return filter.substr(start, end - start);
}

}  // namespace

FileDialogRequest parse_file_dialog_request(char* arguments, int mode, platform::LeadByteTest lead) {
    const Fields fields = split_fields(arguments, ":[..$");
    FileDialogRequest request;
    request.mode = mode;
    request.owner = read_number(fields[1]);
    request.edit = read_number(fields[2]);
    request.flags = read_number(fields[3]);
    const char* filter = fields[4];
    if (filter == nullptr) return request;
    request.has_filter = true;
    if (mode == FileDialogRequest::save_mode) {
        const std::string_view extension = first_extension(filter, sizeof request.default_extension - 1, lead);
        extension.copy(request.default_extension, extension.size());
    }
    request.filter = filter_list(filter, lead);
    return request;
}

HelpRequest::DataForm HelpRequest::data_form() const {
    switch (command) {
    case 0x101:  // HELP_KEY
    case 0x102:  // HELP_COMMAND
    case 0x105:  // HELP_PARTIALKEY
        return DataForm::text;
    case 0x0A:   // HELP_CONTEXTMENU
    case 0x0C:   // HELP_WM_HELP
    case 0x201:  // HELP_MULTIKEY
    case 0x203:  // HELP_SETWINPOS
        return DataForm::unusable;
    default: return DataForm::number;
    }
}

Outcome<HelpRequest> parse_help_request(char* arguments) {
    const Fields fields = split_fields(arguments, ":..$");
    if (!fields) return Failure::too_few;
    HelpRequest request;
    request.window = read_number(fields[1]);
    request.command = read_number(fields[2]);
    request.data = read_number(fields[3]);
    request.help_file = fields[4];
    if (request.help_file.empty()) return Failure::too_few;
    return request;
}

}  // namespace korvif
