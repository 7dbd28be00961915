#include "menus/window_hook.h"

#include "menus/menu_commands.h"
#include "menus/tray_icon.h"
#include "model/app_context.h"
#include "platform/main_window.h"
#include "window/window_input.h"

namespace tw {

namespace {

void Dispatch(AppContext& ctx, const HookEvent& e) {
    RuntimeState& run = ctx.run;
    switch (e.kind) {
    case HookEvent::Kind::MenuCommand: RunMenuCommand(ctx, e.value); break;
    case HookEvent::Kind::MenuOpened: ++run.OpenMenuCount; break;
    case HookEvent::Kind::MenuClosed:
        if (--run.OpenMenuCount == 0) ctx.platform.window->RepaintNow();
        if (run.OpenMenuCount < 0) run.OpenMenuCount = 0;
        break;
    case HookEvent::Kind::Wheel: Form_MouseWheel(ctx, e.value); break;
    case HookEvent::Kind::ExtraButtonDown: Form_MouseDown(ctx, static_cast<int16_t>(e.value), 0, 0, 0); break;
    case HookEvent::Kind::ExtraButtonUp: Form_MouseUp(ctx, static_cast<int16_t>(e.value), 0, 0, 0); break;
    case HookEvent::Kind::TrayIcon: OnTrayIconMessage(ctx, static_cast<uint32_t>(e.value)); break;
    }
}

}  // namespace

void InstallHook(AppContext& ctx) { ctx.run.HookInstalled = true; }

void RemoveHook(AppContext& ctx) { ctx.run.HookInstalled = false; }

void HookWindowProc(AppContext& ctx, const HookEvent& event) {
    RuntimeState& run = ctx.run;
    if (!run.HookInstalled || run.HookBusy) return;
    run.HookBusy = true;
    Dispatch(ctx, event);
    run.HookBusy = false;
}

}  // namespace tw
