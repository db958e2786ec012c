// What the desktop commands ask of the system, read from their argument text. Plain data and
// functions, so that the Win32 code that carries the requests out stays thin.
#pragma once

#include <cstdint>
#include <string>

#include "platform/outcome.h"
#include "platform/files/path.h"

namespace korvif {

// STI: one request to the shell's notification area, in the terms of its 88-byte record.
struct TrayIconRequest {
    static constexpr std::uint32_t record_size = 88;
    static constexpr std::uint32_t icon_id = 1;
    static constexpr std::uint32_t flag_message = 1;  // NIF_MESSAGE
    static constexpr std::uint32_t flag_icon = 2;     // NIF_ICON
    static constexpr std::uint32_t flag_tip = 4;      // NIF_TIP

    std::int32_t action = 0;  // NIM_ADD, NIM_MODIFY or NIM_DELETE, passed on as given
    std::int32_t window = 0;  // the host window that owns the icon
    std::uint32_t flags = 0;
    std::int32_t callback_message = 0;  // with flag_message
    int icon_number = 0;                // 1 to 5 (STATUS_1 .. STATUS_5), with flag_icon
    char tip[64] = {};                  // with flag_tip
};

// action,window[,callback message[,icon number[,tip]]]. Fails with `missing` without the first
// comma (the second field is missing). A tip of 64 characters or more is left out whole; an icon
// number outside 1 to 5 loads no icon.
Outcome<TrayIconRequest> parse_tray_icon_request(char* arguments);

// STM: the tray menu and where its result goes.
struct TrayMenuRequest {
    static constexpr int grey_first = 1;
    static constexpr int grey_second = 2;

    std::int32_t window = 0;  // receives base_message or base_message + 1
    std::int32_t base_message = 0;
    std::int32_t grey_flags = 0;
};

// window,base message[,grey flags]. Fails with `absent` when the window or the base message is 0.
Outcome<TrayMenuRequest> parse_tray_menu_request(char* arguments);

// INFO: the host window and the button that the hint balloon points at.
struct InfoBalloonRequest {
    static constexpr std::uint32_t click_message = 1025;  // WM_USER + 1
    static constexpr std::int32_t click_wparam = 123;
    static constexpr std::int32_t click_lparam = 456;

    std::int32_t host_window = 0;
    std::int32_t button_window = 0;  // 0 when the field is missing
};

// host window[,button window]; the comma is searched from the second character.
InfoBalloonRequest parse_info_balloon_request(char* arguments);

// The hint text in the Windows ANSI code page, each "||" turned into a line break (CR LF).
const char* info_balloon_text();
// The same text for drawing with the wide-character functions, whatever the system code page.
const wchar_t* info_balloon_text_wide();

// FDOPEN (mode 0) and FDSAVE (mode 1): the common Open or Save As dialog for the host.
struct FileDialogRequest {
    static constexpr int open_mode = 0;
    static constexpr int save_mode = 1;
    static constexpr std::uint32_t record_size = 76;  // the first form of OPENFILENAME
    static constexpr std::uint32_t file_buffer_size = 4096;
    static constexpr std::uint32_t no_change_dir = 8;     // OFN_NOCHANGEDIR
    static constexpr std::uint32_t end_message = 0x0208;  // posted to the owner in every case
    static constexpr int initial_directory_size = 256;    // the edit control's text: 254 characters

    int mode = open_mode;
    std::int32_t owner = 0;
    std::int32_t edit = 0;
    std::int32_t flags = 0;  // as given; the dialog gets them with no_change_dir added
    bool has_filter = false;
    std::string filter;  // the list of zero-terminated strings, ending with an empty one
    char default_extension[4] = {};

    std::uint32_t dialog_flags() const { return static_cast<std::uint32_t>(flags) | no_change_dir; }
};

// owner[,edit control[,flags[,filter]]]; the comma after the owner is searched from the second
// character. The filter "Description|pattern|...|" becomes the platform's list of strings. In
// save mode the default extension is the first pattern's extension after "|*.", at most three
// bytes of whole characters, cut at "|" or ";". The filter is read character by character with
// `lead`: in a double-byte code page the second byte of a character may be a "|" (code page 932:
// 0x83 0x7C), which separates nothing.
FileDialogRequest parse_file_dialog_request(char* arguments, int mode,
                                            platform::LeadByteTest lead = platform::host_lead_byte);

// Ends the initial directory read from the edit control after the characters read, at most 254.
void end_initial_directory(char* buffer, int characters_read);

// The filter with each "|" character turned into a zero byte; the list always ends with an empty
// string (two zero bytes), also when the text does not end with "|".
std::string filter_list(const char* filter, platform::LeadByteTest lead = platform::host_lead_byte);

// HELP: one request to Windows Help.
struct HelpRequest {
    std::int32_t window = 0;
    std::int32_t command = 0;
    std::int32_t data = 0;
    std::string help_file;

    // What Windows Help takes as the command's data. Where it reads a text, the number goes as
    // its decimal text (the number itself would be taken for the text's address); where it reads
    // a structure or an array, no number can stand for one and the request is not made.
    enum class DataForm { number, text, unusable };
    DataForm data_form() const;
    std::string data_text() const { return std::to_string(data); }
};

// window,command,data,help file (the rest, commas included). Fails with `too_few` with fewer
// fields or an empty help file.
Outcome<HelpRequest> parse_help_request(char* arguments);

}  // namespace korvif
