#include "window/rest.h"

#include "model/app_context.h"
#include "platform/main_window.h"

namespace tw {

bool MainTickRests(const AppContext& ctx) {
    const RuntimeState& run = ctx.run;
    const PlayerRuntime& p = ctx.player;
    if (run.AppState != 21 && run.AppState != 31) return false;
    if (run.Busy || run.MessageTime != 0 || run.WakeRequest || run.InMainTick) return false;
    if (ctx.typeAhead.Pending || p.HeldCommand != -1) return false;
    // Stopped at the start of an entry shows a still text; playing, paused
    // (the time blinks) or waiting after a failed open do not.
    const bool stillPlayer = ctx.live.PlayCount == 0 || (p.PlayerState == 0 && p.PlayPosition == 0);
    return run.AppState == 21 || stillPlayer;
}

bool VisibilityRests(const AppContext& ctx) {
    const WindowRuntime& win = ctx.win;
    const RuntimeState& run = ctx.run;
    if (run.WakeRequest || run.OpenMenuCount != 0 || run.SettingsDialogOpen || run.VersionDialogOpen ||
        run.Renaming)
        return false;
    if (win.PointerOver || win.HoverPad >= 0 || win.PressedPad >= 0 || win.Dragging || win.ButtonCaptured)
        return false;
    const bool hidden = win.VisibilityState == 0 && win.Opacity == 0.0f;
    const bool shownForGood = win.VisibilityState == 20 && win.Opacity == 1.0f && !ctx.live.Settings.AutoHide;
    return hidden || shownForGood;
}

void SettleTimers(AppContext& ctx) {
    MainWindow& window = *ctx.platform.window;
    window.SetTimerResting(TimerId::Main, MainTickRests(ctx));
    window.SetTimerResting(TimerId::Win, VisibilityRests(ctx));
}

}  // namespace tw
