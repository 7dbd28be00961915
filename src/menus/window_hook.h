#pragma once
// The main window's hook: the menu commands, the menus opening and
// closing, the wheel, the fourth and fifth mouse buttons and the
// notification icon's clicks, handed to the program. The window decodes
// its messages into these events and passes each here while the hook is
// installed, then goes on with its own handling of the message.
#include <cstdint>

namespace tw {

struct AppContext;

struct HookEvent {
    enum class Kind {
        MenuCommand,      // value: the command message's whole identifier word
        MenuOpened,
        MenuClosed,
        Wheel,            // value: the signed delta, 120 a notch away from the user
        ExtraButtonDown,  // value: 8 for the fourth button, 16 for the fifth
        ExtraButtonUp,
        TrayIcon,         // value: the mouse message the icon reports
    };
    Kind kind = Kind::MenuCommand;
    int32_t value = 0;
};

// From the main window's load to its unload.
void InstallHook(AppContext& ctx);
void RemoveHook(AppContext& ctx);

// One event of the main window. Does nothing while the hook is not
// installed, or while it is still handling an earlier one (a modal dialog
// opened from the menu pumps the window's messages meanwhile).
void HookWindowProc(AppContext& ctx, const HookEvent& event);

}  // namespace tw
