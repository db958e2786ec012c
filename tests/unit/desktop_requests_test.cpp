#include <gtest/gtest.h>

#include <string>

#include "desktop/html_help.h"
#include "desktop/requests.h"

namespace korvif {
namespace {

Outcome<TrayIconRequest> tray_icon(std::string text) { return parse_tray_icon_request(text.data()); }
Outcome<TrayMenuRequest> tray_menu(std::string text) { return parse_tray_menu_request(text.data()); }
Outcome<HelpRequest> help(std::string text) { return parse_help_request(text.data()); }

TEST(TrayIconRequest, FieldsAndFlags) {
    struct Case {
        std::string text;
        std::int32_t action, window;
        std::uint32_t flags;
        std::int32_t callback;
        int icon;
        std::string tip;
    };
    const std::string tip63(63, 'x');
    const std::string tip64(64, 'x');
    const Case cases[] = {
        {"2,1234", 2, 1234, 0, 0, 0, ""},  // all that NIM_DELETE needs
        {"0,77,32769,1,Fax bereit", 0, 77, 1 | 2 | 4, 32769, 1, "Fax bereit"},
        {"1,77,0,3", 1, 77, 2, 0, 3, ""},             // no message, icon only
        {"1,77,0,3,", 1, 77, 2 | 4, 0, 3, ""},        // empty tip, sent
        {"1,77,0,0,a,b,c", 1, 77, 4, 0, 0, "a,b,c"},  // commas stay in the tip
        {"1,77,5,0," + tip63, 1, 77, 1 | 4, 5, 0, tip63},
        {"1,77,5,2," + tip64, 1, 77, 1 | 2, 5, 2, ""},  // too long: no tip at all
        {"1,77,5,6,x", 1, 77, 1 | 4, 5, 0, "x"},        // icon 6: no icon
        {"1,77,5,-1", 1, 77, 1, 5, 0, ""},
        {"9,77,5", 9, 77, 1, 5, 0, ""},  // actions are passed on
    };
    for (const Case& c : cases) {
        const auto request = tray_icon(c.text);
        ASSERT_TRUE(request) << c.text;
        EXPECT_EQ(request->action, c.action) << c.text;
        EXPECT_EQ(request->window, c.window) << c.text;
        EXPECT_EQ(request->flags, c.flags) << c.text;
        EXPECT_EQ(request->callback_message, c.callback) << c.text;
        EXPECT_EQ(request->icon_number, c.icon) << c.text;
        EXPECT_EQ(std::string(request->tip), c.tip) << c.text;
    }
    EXPECT_FALSE(tray_icon("0"));
    EXPECT_FALSE(tray_icon(""));
}

TEST(TrayMenuRequest, NeedsAWindowAndABaseMessage) {
    const auto full = tray_menu("4711,1025,3");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->window, 4711);
    EXPECT_EQ(full->base_message, 1025);
    EXPECT_EQ(full->grey_flags, 3);
    const auto no_flags = tray_menu("4711,1025");
    ASSERT_TRUE(no_flags);
    EXPECT_EQ(no_flags->grey_flags, 0);
    for (const char* refused : {"4711", "4711,0,3", "0,1025,0", "", ",1025", "abc,1025"}) {
        EXPECT_FALSE(tray_menu(refused)) << refused;
    }
}

TEST(InfoBalloonRequest, FieldsAndText) {
    struct Case {
        std::string text;
        std::int32_t host, button;
    };
    for (const Case& c : {Case {"100,200", 100, 200}, Case {"100", 100, 0}, Case {",5,6", 0, 6}, Case {"", 0, 0}}) {
        std::string text = c.text;
        const InfoBalloonRequest request = parse_info_balloon_request(text.data());
        EXPECT_EQ(request.host_window, c.host) << c.text;
        EXPECT_EQ(request.button_window, c.button) << c.text;
    }
    const std::string hint = info_balloon_text();
    EXPECT_EQ(hint,
              "Zum Ein- bzw. Ausschalten der automatischen\r\n"
              "Rufannahme bet\xE4tigen Sie bitte diese Taste.\r\n"
              "(Damit dieser Hinweis in Zukunft nicht mehr\r\n"
              "angezeigt wird, klicken Sie auf diesen Text.)");
    const std::wstring wide = info_balloon_text_wide();
    ASSERT_EQ(wide.size(), hint.size());
    for (std::size_t i = 0; i < hint.size(); ++i)
        EXPECT_EQ(wide[i], static_cast<wchar_t>(static_cast<unsigned char>(hint[i]))) << i;
    EXPECT_NE(wide.find(L"bet\u00E4tigen Sie"), std::wstring::npos);
}

TEST(HelpRequest, FourFieldsAndAFile) {
    const auto request = help("10,1,42,C:\\Hilfe\\fax, neu.hlp");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->window, 10);
    EXPECT_EQ(request->command, 1);
    EXPECT_EQ(request->data, 42);
    EXPECT_EQ(request->help_file, "C:\\Hilfe\\fax, neu.hlp");
    for (const char* refused : {"10,1,42,", "10,1,42", "10,1", "10", ""}) EXPECT_FALSE(help(refused)) << refused;
    // Help commands whose data is a text get the number's text; those whose data is a structure
    // or an array are not made at all.
    using Form = HelpRequest::DataForm;
    const std::pair<std::int32_t, Form> forms[] = {
        {1, Form::number},       {0x101, Form::text},     {0x102, Form::text},
        {0x105, Form::text},     {0x0A, Form::unusable},  {0x0C, Form::unusable},
        {0x201, Form::unusable}, {0x203, Form::unusable}, {0x103, Form::number}};
    for (const auto& [command, form] : forms) {
        HelpRequest r;
        r.command = command;
        EXPECT_EQ(r.data_form(), form) << command;
    }
    HelpRequest negative;
    negative.data = -12345;
    EXPECT_EQ(negative.data_text(), "-12345");
    const auto shifted = help(",5,1,2,x.hlp");
    ASSERT_TRUE(shifted);
    EXPECT_EQ(shifted->command, 1);
    EXPECT_EQ(shifted->help_file, "x.hlp");
}

TEST(HtmlHelp, SiblingOfTheHelpFile) {
    const std::wstring stem255 = L"C:\\" + std::wstring(252, L'h');
    const std::pair<std::wstring, std::optional<std::wstring>> cases[] = {
        {L"C:\\Hilfe, neu\\Fax Hilfe.HLP", L"C:\\Hilfe, neu\\Fax Hilfe.chm"},
        {L"C:/Hilfe/fax.hlp", L"C:/Hilfe/fax.chm"},
        {L"C:fax.hlp", L"C:fax.chm"},
        {L"fax.v2.hlp", L"fax.v2.chm"},
        {L"fax.h", L"fax.chm"},
        {L"C:\\Hilfe.d\\fax", std::nullopt},  // the point is the directory's
        {L"C:\\Hilfe\\fax.", std::nullopt},
        {L"C:\\Hilfe\\fax", std::nullopt},
        {L"\"C:\\Hilfe\\fax.hlp\"", std::nullopt},  // a quote would end the viewer's argument
        {stem255 + L".hlp", stem255 + L".chm"},     // 259 characters
        {stem255 + L"h.hlp", std::nullopt},
        {stem255 + L".html", stem255 + L".chm"},
        {stem255 + L"h.html", std::nullopt},
    };
    for (const auto& [name, sibling] : cases) EXPECT_EQ(html_help_sibling(name), sibling) << name.size();
    EXPECT_EQ(without_window_part(L"C:\\Hilfe\\fax.hlp>proc4"), L"C:\\Hilfe\\fax.hlp");
    EXPECT_EQ(without_window_part(L"C:\\Hilfe\\fax.hlp"), L"C:\\Hilfe\\fax.hlp");
    EXPECT_EQ(without_window_part(L">proc4"), L"");
}

TEST(HtmlHelp, ViewerCommandLine) {
    const std::wstring chm = L"C:\\Hilfe, neu\\Fax Hilfe.chm";
    struct Case {
        std::int32_t command, data;
        std::optional<std::wstring> options;
    };
    const Case cases[] = {
        // clang-format off
        {1, 42, L" -mapid 42"},          {8, 7, L" -mapid 7"},   {1, -1, L" -mapid 4294967295"},
        {3, 42, L""},                    {11, 0, L""},           {0x101, 12345, L""},
        {0x105, 5, L""},                 {2, 0, std::nullopt},   {0x102, 5, std::nullopt},
        {9, 0, std::nullopt},            {0x0A, 5, std::nullopt}, {0, 0, std::nullopt},
        // clang-format on
    };
    for (const Case& c : cases) {
        const auto launch = html_help_launch(L"C:\\WINDOWS", c.command, c.data, chm);
        ASSERT_EQ(launch.has_value(), c.options.has_value()) << c.command;
        if (!launch) continue;
        EXPECT_EQ(launch->viewer, L"C:\\WINDOWS\\hh.exe");
        EXPECT_EQ(launch->command_line, L"\"C:\\WINDOWS\\hh.exe\"" + *c.options + L" \"" + chm + L"\"") << c.command;
    }
    EXPECT_EQ(html_help_launch(L"D:\\", 3, 0, L"x.chm")->command_line, L"\"D:\\hh.exe\" \"x.chm\"");
}

}  // namespace
}  // namespace korvif
