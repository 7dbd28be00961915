#pragma once
// The main window's hook: picks the menu commands, the menus opening and
// closing, the wheel, the fourth and fifth mouse buttons and the
// notification icon's clicks out of the window's messages and hands them to
// the program. The window passes every message here while the hook is
// installed and then goes on with its own handling of it.
#include <cstdint>

namespace tw {

struct AppContext;

// The messages the hook acts on (their Windows numbers).
enum : uint32_t {
    kMsgCommand = 0x0111,
    kMsgInitMenuPopup = 0x0117,
    kMsgUninitMenuPopup = 0x0125,
    kMsgMouseWheel = 0x020A,
    kMsgXButtonDown = 0x020B,
    kMsgXButtonUp = 0x020C,
    kMsgXButtonDblClk = 0x020D,
    kMsgTrayCallback = 0x0401,  // the notification icon's own message
};

// From the main window's load to its unload.
void InstallHook(AppContext& ctx);
void RemoveHook(AppContext& ctx);

// One message of the main window. Does nothing while the hook is not
// installed, or while it is still handling an earlier message (a modal
// dialog opened from the menu pumps the window's messages meanwhile).
void HookWindowProc(AppContext& ctx, uint32_t message, uint64_t wParam, int64_t lParam);

}  // namespace tw
