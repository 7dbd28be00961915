#include "menus/window_hook.h"

#include "core/app_context.h"
#include "menus/menu_commands.h"
#include "menus/tray_icon.h"
#include "platform/main_window.h"
#include "window/window_input.h"

namespace tw {

namespace {

// The signed high word of a 32-bit wParam: the wheel's delta.
int HighWordSigned(uint64_t wParam) { return static_cast<int16_t>((wParam >> 16) & 0xFFFF); }

// XBUTTON1 and XBUTTON2 in the high word become the button values 8 and 16
// (the key flags in the low word are far too small to round up).
int16_t ExtraButton(uint64_t wParam) {
    const uint32_t w = static_cast<uint32_t>(wParam);
    return static_cast<int16_t>((static_cast<uint64_t>(w) * 8 + 32768) / 65536);
}

void Dispatch(AppContext& ctx, uint32_t message, uint64_t wParam, int64_t lParam) {
    RuntimeState& run = ctx.run;
    switch (message) {
    case kMsgCommand:
        RunMenuCommand(ctx, static_cast<int32_t>(static_cast<uint32_t>(wParam)));
        break;
    case kMsgInitMenuPopup:
        ++run.OpenMenuCount;
        break;
    case kMsgUninitMenuPopup:
        if (--run.OpenMenuCount == 0) ctx.platform.window->RepaintNow();
        if (run.OpenMenuCount < 0) run.OpenMenuCount = 0;
        break;
    case kMsgMouseWheel:
        Form_MouseWheel(ctx, HighWordSigned(wParam));
        break;
    case kMsgXButtonDown:
    case kMsgXButtonDblClk:  // a double click is a second press
        Form_MouseDown(ctx, ExtraButton(wParam), 0, 0, 0);
        break;
    case kMsgXButtonUp:
        Form_MouseUp(ctx, ExtraButton(wParam), 0, 0, 0);
        break;
    case kMsgTrayCallback:
        OnTrayIconMessage(ctx, static_cast<uint32_t>(lParam));
        break;
    default:
        break;
    }
}

}  // namespace

void InstallHook(AppContext& ctx) { ctx.run.HookInstalled = true; }

void RemoveHook(AppContext& ctx) { ctx.run.HookInstalled = false; }

void HookWindowProc(AppContext& ctx, uint32_t message, uint64_t wParam, int64_t lParam) {
    RuntimeState& run = ctx.run;
    if (!run.HookInstalled || run.HookBusy) return;
    run.HookBusy = true;
    Dispatch(ctx, message, wParam, lParam);
    run.HookBusy = false;
}

}  // namespace tw
