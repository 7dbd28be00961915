// The main window's messages as its hook's events: the wheel's signed
// delta, the extra buttons' numbers and the whole identifier word of a
// command, whatever else the message carries.
#include <gtest/gtest.h>

#include "views/win32/win_hook_messages.h"

namespace tw::win {
namespace {

TEST(Win32_HookMessages, DecodeIntoTheHooksEvents) {
    using K = HookEvent::Kind;
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        K kind;
        int32_t value;
    } cases[] = {
        {WM_MOUSEWHEEL, 0xFF880008u, 0, K::Wheel, -120},  // towards the user, key flags below
        {WM_MOUSEWHEEL, 0x00F00000u, 0, K::Wheel, 240},
        {WM_XBUTTONDOWN, 0x00010020u, 0, K::ExtraButtonDown, 8},
        {WM_XBUTTONUP, 0x00010000u, 0, K::ExtraButtonUp, 8},
        {WM_XBUTTONDBLCLK, 0x00020040u, 0, K::ExtraButtonDown, 16},  // a second press
        {WM_XBUTTONUP, 0x00020000u, 0, K::ExtraButtonUp, 16},
        {WM_COMMAND, 105, 0, K::MenuCommand, 105},
        {WM_COMMAND, 0x03000064u, 0x1234, K::MenuCommand, 0x03000064},  // a box's notification
        {WM_INITMENUPOPUP, 0, 0, K::MenuOpened, 0},
        {WM_UNINITMENUPOPUP, 0, 0, K::MenuClosed, 0},
        {kTrayMessage, 1, WM_RBUTTONDOWN, K::TrayIcon, WM_RBUTTONDOWN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const std::optional<HookEvent> e = DecodeHookMessage(c.message, c.wParam, c.lParam);
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->kind, c.kind);
        EXPECT_EQ(e->value, c.value);
    }
    for (UINT other : {UINT{WM_PAINT}, UINT{WM_TIMER}, UINT{WM_LBUTTONDOWN}, UINT{WM_KEYDOWN}})
        EXPECT_FALSE(DecodeHookMessage(other, 0, 0).has_value()) << other;
}

}  // namespace
}  // namespace tw::win
