#include "core/main_tick.h"

#include "core/app_context.h"
#include "core/startup.h"
#include "platform/clock.h"
#include "platform/main_window.h"

namespace tw {

void ShowStatus(AppContext& ctx) {
    RuntimeState& run = ctx.run;
    MainWindow& window = *ctx.platform.window;
    if (run.Busy) {
        window.ShowStatusText(run.MessageText);
        run.MessageTime = 0;
        return;
    }
    const uint32_t now = ctx.platform.clock->GetTickCount();
    if (run.MessageTime == 0 || ElapsedMs(now, run.MessageTime) >= 2500) {
        run.MessageTime = 0;
        window.ShowStatusText(run.IdleText);
    } else {
        window.ShowStatusText(run.MessageText);
    }
}

void MainTick(AppContext& ctx) {
    RuntimeState& run = ctx.run;
    switch (run.AppState) {
    case -1:
        run.MessageText = "終了処理中です";
        run.Busy = true;
        ShowStatus(ctx);
        run.AppState = -2;
        break;
    case -2:
        run.AppState = 10;
        ExitProgram(ctx);
        if (!run.Quitting) {
            run.Busy = false;
            run.MessageTime = ctx.platform.clock->GetTickCount();
        }
        return;  // after a completed exit the windows are gone
    default:
        break;
    }
    if (!run.Quitting) ShowStatus(ctx);
}

}  // namespace tw
