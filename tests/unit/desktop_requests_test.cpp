#include <gtest/gtest.h>

#include <string>

#include "desktop/requests.h"

namespace korvif {
namespace {

std::optional<TrayIconRequest> tray_icon(std::string text) { return parse_tray_icon_request(text.data()); }
std::optional<TrayMenuRequest> tray_menu(std::string text) { return parse_tray_menu_request(text.data()); }

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
        {"2,1234", 2, 1234, 0, 0, 0, ""},                                  // all that NIM_DELETE needs
        {"0,77,32769,1,Fax bereit", 0, 77, 1 | 2 | 4, 32769, 1, "Fax bereit"},
        {"1,77,0,3", 1, 77, 2, 0, 3, ""},                                  // no message, icon only
        {"1,77,0,3,", 1, 77, 2 | 4, 0, 3, ""},                             // empty tip, sent
        {"1,77,0,0,a,b,c", 1, 77, 4, 0, 0, "a,b,c"},                        // commas stay in the tip
        {"1,77,5,0," + tip63, 1, 77, 1 | 4, 5, 0, tip63},
        {"1,77,5,2," + tip64, 1, 77, 1 | 2, 5, 2, ""},                     // too long: no tip at all
        {"1,77,5,6,x", 1, 77, 1 | 4, 5, 0, "x"},                           // icon 6: no icon
        {"1,77,5,-1", 1, 77, 1, 5, 0, ""},
        {"9,77,5", 9, 77, 1, 5, 0, ""},                                    // actions are passed on
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
    EXPECT_EQ(TrayIconRequest::record_size, 88u);
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

}  // namespace
}  // namespace korvif
