#include "desktop/requests.h"

#include <cstring>

#include "app/arguments.h"

namespace korvif {

std::optional<TrayIconRequest> parse_tray_icon_request(char* arguments) {
    TrayIconRequest request;
    request.action = read_number(arguments);
    char* comma = next_comma(arguments);
    if (comma == nullptr) return std::nullopt;
    request.window = read_number(comma + 1);
    bool has_tip = false;
    const char* tip = nullptr;
    if ((comma = next_comma(comma + 1)) != nullptr) {
        request.callback_message = read_number(comma + 1);
        if ((comma = next_comma(comma + 1)) != nullptr) {
            request.icon_number = read_number(comma + 1);
            if ((comma = next_comma(comma + 1)) != nullptr) {
                tip = comma + 1;
                has_tip = std::strlen(tip) <= sizeof request.tip - 1;
            }
        }
    }
    if (has_tip) {
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

std::optional<TrayMenuRequest> parse_tray_menu_request(char* arguments) {
    TrayMenuRequest request;
    request.window = read_number(arguments);
    if (request.window == 0) return std::nullopt;
    if (char* comma = next_comma(arguments)) {
        request.base_message = read_number(comma + 1);
        if ((comma = next_comma(comma + 1)) != nullptr) request.grey_flags = read_number(comma + 1);
    }
    if (request.base_message == 0) return std::nullopt;
    return request;
}

InfoBalloonRequest parse_info_balloon_request(char* arguments) {
    InfoBalloonRequest request;
    request.host_window = read_number(arguments);
    if (char* comma = next_comma_after_first(arguments)) request.button_window = read_number(comma + 1);
    return request;
}

namespace {

// "betätigen": the a umlaut is the single byte 0xE4 of the Windows ANSI code page.
constexpr char hint_text[] =
    "Zum Ein- bzw. Ausschalten der automatischen||"
    "Rufannahme bet\xE4tigen Sie bitte diese Taste.||"
    "(Damit dieser Hinweis in Zukunft nicht mehr||"
    "angezeigt wird, klicken Sie auf diesen Text.)";
static_assert(sizeof hint_text - 1 == 180);

struct HintText {
    char text[sizeof hint_text];
    constexpr HintText() : text {} {
        for (std::size_t i = 0; i < sizeof hint_text; ++i) {
            const bool pair = hint_text[i] == '|' && hint_text[i + 1] == '|';
            text[i] = pair ? '\r' : (i > 0 && hint_text[i] == '|' && hint_text[i - 1] == '|') ? '\n' : hint_text[i];
        }
    }
};
constexpr HintText hint_with_line_breaks;

}  // namespace

const char* info_balloon_text() { return hint_with_line_breaks.text; }

}  // namespace korvif
