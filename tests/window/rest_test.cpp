#include "window/rest.h"

#include <gtest/gtest.h>

#include "app/main_tick.h"
#include "fakes/fakes.h"
#include "window/visibility.h"

namespace tw {
namespace {

using test::TestApp;

// The idle program, shown for good with the pointer elsewhere: both ticks
// rest. Each case changes one thing that gives a tick work.
TEST(Window_Rest, TheTicksRestOnlyWhenNothingCanChangeByItself) {
    const struct Case {
        const char* what;
        void (*change)(AppContext&);
        bool mainRests, visibilityRests;
    } cases[] = {
        {"nothing", [](AppContext&) {}, true, true},
        {"hidden", [](AppContext& c) { c.win.VisibilityState = 0, c.win.Opacity = 0.0f; }, true, true},
        {"a job", [](AppContext& c) { c.run.AppState = 41, c.run.Busy = true; }, false, true},
        {"a fresh message", [](AppContext& c) { c.run.MessageTime = 5000; }, false, true},
        {"playing", [](AppContext& c) { c.player.PlayerState = 11; }, false, true},
        {"paused", [](AppContext& c) { c.player.PlayPosition = 65000; }, false, true},
        {"stopped at the start", [](AppContext& c) { c.player.PlayIndex = 1; }, true, true},
        {"typed, not searched yet", [](AppContext& c) { c.typeAhead.Pending = true; }, false, true},
        {"a held button", [](AppContext& c) { c.player.HeldCommand = 4; }, false, true},
        {"the external player idle", [](AppContext& c) { c.run.AppState = 21, c.live.PlayCount = 0; }, true, true},
        {"a wake asked for", [](AppContext& c) { c.run.WakeRequest = true; }, false, false},
        {"the pointer over it", [](AppContext& c) { c.win.PointerOver = true; }, true, false},
        {"a menu open", [](AppContext& c) { c.run.OpenMenuCount = 1; }, true, false},
        {"the settings open", [](AppContext& c) { c.run.SettingsDialogOpen = true; }, true, false},
        {"dragged", [](AppContext& c) { c.win.Dragging = true; }, true, false},
        {"auto-hide counting down", [](AppContext& c) { c.live.Settings.AutoHide = kTrue; }, true, false},
        {"dimmed", [](AppContext& c) { c.win.VisibilityState = 23, c.win.Opacity = 0.4f; }, true, false},
        {"fading in", [](AppContext& c) { c.win.VisibilityState = 2, c.win.Opacity = 0.5f; }, true, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        TestApp app;
        AppContext& ctx = app.ctx;
        ctx.live.Settings.UseInternalPlayer = kTrue;
        ctx.live.Settings.AutoHide = kFalse;
        AppendCapped(ctx.live.PlayList, ctx.live.PlayCount, SearchHit{"C:\\m\\", "", "a.mp3"});
        AppendCapped(ctx.live.PlayList, ctx.live.PlayCount, SearchHit{"C:\\m\\", "", "b.mp3"});
        ctx.run.AppState = 31;
        ctx.win.VisibilityState = 20;
        ctx.win.Opacity = 1.0f;
        k.change(ctx);
        EXPECT_EQ(MainTickRests(ctx), k.mainRests);
        EXPECT_EQ(VisibilityRests(ctx), k.visibilityRests);
    }
}

// The ticks set the rates themselves; a resting visibility tick of a
// hidden window asks the window nothing.
TEST(Window_Rest, TicksSettleTheirRatesAndAHiddenOneAsksNothing) {
    TestApp app;
    AppContext& ctx = app.ctx;
    ctx.live.Settings.UseInternalPlayer = kTrue;
    ctx.live.Settings.AutoHide = kFalse;
    ctx.run.AppState = 31;
    ctx.win.VisibilityState = 0;
    ctx.win.Opacity = 0.0f;
    RunVisibilityTick(ctx);
    EXPECT_TRUE(app.window.resting[TimerId::Win]);
    MainTick(ctx);
    EXPECT_TRUE(app.window.resting[TimerId::Main]);
    app.window.cursor = {5, 5};
    const size_t events = app.window.events.size();
    RunVisibilityTick(ctx);
    EXPECT_EQ(app.window.events.size(), events);
    ctx.run.WakeRequest = true;  // as the icon's click asks
    MainTick(ctx);
    EXPECT_FALSE(app.window.resting[TimerId::Win]);
    RunVisibilityTick(ctx);
    EXPECT_TRUE(app.window.visible);
}

}  // namespace
}  // namespace tw
