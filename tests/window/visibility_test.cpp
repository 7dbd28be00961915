#include "window/visibility.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fakes/fakes.h"
#include "menus/popup_menus.h"
#include "menus/tray_icon.h"
#include "model/defaults.h"
#include "window/window_input.h"
#include "window/window_layout.h"

namespace tw {
namespace {

// A window laid out at (300, 200), translucent and hidden as at a start,
// the pointer far away, on the simulated clock.
struct App : test::TestApp {
    explicit App(uint32_t startTick = 1000) {
        clock.now = startTick;
        SetDefaults(ctx.live.Settings, 1024, 768);
        ctx.live.Settings.WindowLeft = 300;
        ctx.live.Settings.WindowTop = 200;
        ApplyWindowSettings(ctx);
        window.SetBounds(300, 200, 180, 109);
        SetOpacity(ctx, 0.0f);
    }
    void Tick(uint32_t ms = 1) {
        clock.Advance(ms);
        RunVisibilityTick(ctx);
    }
    // Ticks every millisecond for `ms`.
    void Run(uint32_t ms) {
        for (uint32_t i = 0; i < ms; ++i) Tick();
    }
    // Wakes the window and runs until it is fully shown and counting.
    void WakeToCountdown() {
        ctx.run.WakeRequest = true;
        for (int i = 0; i < 1000 && ctx.win.VisibilityState != 21; ++i) Tick();
        ASSERT_EQ(ctx.win.VisibilityState, 21);
    }
    float Opacity() const { return ctx.win.Opacity; }
    void PointerOver() { window.cursor = {350, 250}; }
    void PointerAway() { window.cursor = {-1000, -1000}; }
};

TEST(Window_Visibility, AWindowLeftAloneDimsThenHides) {
    // The same timeline wherever the tick counter is, across its wrap too.
    for (uint32_t start : {1000u, 0xFFFFF000u, 0x7FFFF000u}) {
        SCOPED_TRACE(start);
        App app(start);
        app.WakeToCountdown();
        EXPECT_EQ(app.Opacity(), 1.0f);
        EXPECT_TRUE(app.window.visible);
        EXPECT_FALSE(app.window.layered);  // opaque is an ordinary window
        struct Point {
            uint32_t at;
            float opacity;
        } points[] = {{1000, 1.0f}, {3000, 1.0f}, {3100, 0.7f}, {3200, 0.4f},
                      {5000, 0.4f}, {6500, 0.4f}, {6600, 0.2f}};
        uint32_t t = 0;
        for (const Point& p : points) {
            app.Run(p.at - t);
            t = p.at;
            EXPECT_NEAR(app.Opacity(), p.opacity, 0.006f) << "at " << p.at << " ms";
            EXPECT_TRUE(app.window.visible);
        }
        app.Run(102);  // 6.7 s and the step after it
        EXPECT_EQ(app.Opacity(), 0.0f);
        EXPECT_FALSE(app.window.visible);
        EXPECT_EQ(app.ctx.win.VisibilityState, 0);
        app.Run(10000);
        EXPECT_FALSE(app.window.visible);
    }
}

TEST(Window_Visibility, TranslucencyIsAppliedAsAnAlphaOfTheLayeredWindow) {
    App app;
    app.WakeToCountdown();
    app.Run(3100);
    EXPECT_TRUE(app.window.layered);
    EXPECT_NEAR(app.window.alpha, 178, 1);
    app.Run(200);
    EXPECT_EQ(app.window.alpha, 102);  // 40 %
}

TEST(Window_Visibility, UseDuringTheFirstSecondsRestartsTheCount) {
    App app;
    app.WakeToCountdown();
    app.Run(2900);
    app.ctx.run.WakeRequest = true;  // a key
    app.Run(2900);
    EXPECT_EQ(app.Opacity(), 1.0f);
    app.Run(200);
    EXPECT_LT(app.Opacity(), 1.0f);
}

TEST(Window_Visibility, ThePointerOnTheDimmedWindowBringsItBack) {
    App app;
    app.WakeToCountdown();
    app.Run(4000);
    ASSERT_NEAR(app.Opacity(), 0.4f, 0.001f);
    app.PointerOver();
    app.Run(119);
    EXPECT_NEAR(app.Opacity(), 1.0f, 0.01f);  // 0.2 s x (1 - 0.4)
    app.Run(5);
    EXPECT_EQ(app.Opacity(), 1.0f);
    // It stays while the pointer stays, and the count starts over after.
    app.Run(5000);
    EXPECT_EQ(app.Opacity(), 1.0f);
    app.PointerAway();
    app.Run(2990);
    EXPECT_EQ(app.Opacity(), 1.0f);
    app.Run(200);
    EXPECT_LT(app.Opacity(), 1.0f);
}

TEST(Window_Visibility, DraggingKeepsTheDimmedOpacityUntilTheRelease) {
    App app;
    app.WakeToCountdown();
    app.Run(3100);
    const float dimmed = app.Opacity();
    app.PointerOver();
    Form_MouseDown(app.ctx, kButtonLeft, 0, 50, 50);
    app.Run(8000);
    EXPECT_EQ(app.Opacity(), dimmed);
    EXPECT_TRUE(app.window.visible);
    // Released with the pointer over it: it fades back in.
    Form_MouseUp(app.ctx, kButtonLeft, 0, 50, 50);
    app.Run(300);
    EXPECT_EQ(app.Opacity(), 1.0f);
}

TEST(Window_Visibility, WithoutAutoHideItNeverDimsButTheHideCommandStillFades) {
    App app;
    app.ctx.live.Settings.AutoHide = kFalse;
    app.ctx.run.WakeRequest = true;
    app.Run(60000);
    EXPECT_EQ(app.Opacity(), 1.0f);
    EXPECT_EQ(app.ctx.win.VisibilityState, 20);
    app.ctx.win.VisibilityState = 30;  // the menu's hide command
    app.Run(101);
    EXPECT_NEAR(app.Opacity(), 0.5f, 0.01f);
    EXPECT_EQ(app.ctx.win.VisibilityState, 31);
    app.Run(101);
    EXPECT_EQ(app.Opacity(), 0.0f);
    EXPECT_FALSE(app.window.visible);
    EXPECT_EQ(app.ctx.win.VisibilityState, 0);
    // Keys and presses cannot reach a window hiding on request.
    app.ctx.win.VisibilityState = 31;
    int16_t key = kKeyReturn;
    Form_KeyDown(app.ctx, key, 0);
    EXPECT_FALSE(app.ctx.run.WakeRequest);
}

TEST(Window_Visibility, WithoutTranslucencyItAppearsAndVanishesAtOnce) {
    App app;
    app.ctx.live.Settings.UseTransparency = kFalse;
    ApplyWindowSettings(app.ctx);  // as after the settings dialog
    app.window.alphas.clear();
    app.ctx.run.WakeRequest = true;
    app.Tick();
    EXPECT_EQ(app.Opacity(), 1.0f);
    EXPECT_TRUE(app.window.visible);
    app.Run(6600);
    EXPECT_TRUE(app.window.visible);  // the dimming steps show nothing
    EXPECT_FALSE(app.window.layered);
    app.Run(200);
    EXPECT_EQ(app.Opacity(), 0.0f);
    EXPECT_FALSE(app.window.visible);
    EXPECT_TRUE(app.window.alphas.empty());
    // Wakes at once; the hide command hides at once.
    app.ctx.run.WakeRequest = true;
    app.Run(3);
    EXPECT_TRUE(app.window.visible);
    app.ctx.win.VisibilityState = 30;
    app.Tick();
    EXPECT_FALSE(app.window.visible);
    EXPECT_TRUE(app.window.alphas.empty());
}

TEST(Window_Visibility, AWakeUpShowsAHiddenWindowAndBringsItForward) {
    App app;
    app.ctx.run.WakeRequest = true;  // a click on the notification icon
    app.Tick();
    EXPECT_TRUE(app.window.visible);
    EXPECT_GT(app.Opacity(), 0.0f);
    EXPECT_LT(app.Opacity(), 0.01f);
    EXPECT_EQ(app.window.broughtToFront, 1);
    EXPECT_TRUE(app.window.boxSelected);
    app.Run(200);
    EXPECT_EQ(app.Opacity(), 1.0f);
    EXPECT_FALSE(app.ctx.run.WakeRequest);

    // A menu waiting to open brings the window forward itself.
    App menu;
    menu.ctx.run.WakeRequest = true;
    menu.window.timers[TimerId::Popup] = true;
    menu.Tick();
    EXPECT_EQ(menu.window.broughtToFront, 0);
    EXPECT_EQ(menu.Opacity(), 0.0f);
}

TEST(Window_Visibility, TheNotificationIconBringsTheHiddenWindowBackAndItsMenu) {
    constexpr uint32_t kLeftDown = 0x0201, kRightDown = 0x0204, kMove = 0x0200;
    App app;
    app.WakeToCountdown();
    app.Run(7000);
    ASSERT_FALSE(app.window.visible);
    OnTrayIconMessage(app.ctx, kMove);
    app.Tick();
    EXPECT_FALSE(app.window.visible);
    OnTrayIconMessage(app.ctx, kLeftDown);
    app.Tick();
    EXPECT_TRUE(app.window.visible);
    EXPECT_EQ(app.window.broughtToFront, 2);  // at the start and now
    app.Run(200);
    EXPECT_EQ(app.Opacity(), 1.0f);

    // Right: the main menu is asked for and opens once the window shows.
    app.Run(7000);
    ASSERT_FALSE(app.window.visible);
    OnTrayIconMessage(app.ctx, kRightDown);
    EXPECT_EQ(app.ctx.run.PendingMenu, 1);
    PopupTimer_Timer(app.ctx);  // still hidden: waits
    EXPECT_TRUE(app.window.timers[TimerId::Popup]);
    app.Run(2);  // waking, then the fade-in's first step
    EXPECT_TRUE(app.window.visible);
    PopupTimer_Timer(app.ctx);
    EXPECT_FALSE(app.window.timers[TimerId::Popup]);

    // Fading out on request: clicks are ignored.
    app.Run(300);
    app.ctx.win.VisibilityState = 30;
    app.Tick();
    OnTrayIconMessage(app.ctx, kLeftDown);
    EXPECT_FALSE(app.ctx.run.WakeRequest);
}

TEST(Window_Visibility, TheFirstRunNoticeComesOnceEvenWithTicksBehindIt) {
    App app;
    app.ctx.live.Settings.UseTransparency = kFalse;
    app.ctx.run.FirstRun = true;
    int ticksDuringTheBox = 0;
    app.boxes.whileOpen = [&] {
        for (int i = 0; i < 50; ++i, ++ticksDuringTheBox) app.Tick();
    };
    app.ctx.run.WakeRequest = true;
    app.Run(6800);  // shown, then hidden at rest
    ASSERT_EQ(app.boxes.shown.size(), 1u);
    EXPECT_EQ(ticksDuringTheBox, 50);
    EXPECT_EQ(app.boxes.shown[0].text,
              "Tunewhistle はタスクバーの中に格納されました。\r\n"
              "タスクバーの中の音符のアイコンをクリックすることにより再度表示されます。");
    EXPECT_EQ(app.boxes.shown[0].caption, "Tunewhistle 3.10");
    EXPECT_EQ(app.boxes.shown[0].icon, BoxIcon::Information);
    EXPECT_FALSE(app.window.visible);  // gone before the notice speaks of it
    app.ctx.run.WakeRequest = true;
    app.Run(8000);
    EXPECT_EQ(app.boxes.shown.size(), 1u);
}

TEST(Window_Visibility, ZeroLengthFadesAndDimsDoNotStopTheWindow) {
    App app;
    app.ctx.live.Settings.AutoHideParams = {0, 0, 0, 0, 0, 0};
    app.ctx.run.WakeRequest = true;
    app.Run(2000);
    EXPECT_EQ(app.Opacity(), 0.0f);  // through every state to hidden
    EXPECT_EQ(app.ctx.win.VisibilityState, 0);
    app.ctx.live.Settings.AutoHideParams = {2, 30, 10, 65, 60, -5};  // ends before starts
    app.ctx.run.WakeRequest = true;
    app.Run(8000);
    EXPECT_EQ(app.ctx.win.VisibilityState, 0);
    EXPECT_TRUE(std::isfinite(app.Opacity()));
}

// Pads: pointer positions over pad i of the window at (300, 200).
PixelPoint OverPad(int i) { return {300 + 6 + 18 * i + 9, 200 + 5 + 9}; }

TEST(Window_Pads, PicturesFollowThePlayListAndThePlayer) {
    App app;
    app.ctx.run.WakeRequest = true;
    app.Run(300);
    EXPECT_EQ(app.window.padPictures, (std::array<int, 4>{1, 2, 3, 4}));  // nothing to play

    AppendCapped(app.ctx.live.PlayList, app.ctx.live.PlayCount, SearchHit{"C:\\", "", "a.mp3"});
    app.Tick();
    // Stopped at the start: nothing to stop.
    EXPECT_EQ(app.window.padPictures, (std::array<int, 4>{6, 7, 3, 9}));
    app.ctx.player.PlayerState = 11;
    app.Tick();
    EXPECT_EQ(app.window.padPictures, (std::array<int, 4>{6, 10, 8, 9}));  // pause instead of play
    const int calls = app.window.padPictureCalls;
    app.Run(50);
    EXPECT_EQ(app.window.padPictureCalls, calls);  // unchanged pads are not redrawn
    app.ctx.player.PlayerState = 0;
    app.ctx.player.PlayPosition = 5000;  // paused
    app.Tick();
    EXPECT_EQ(app.window.padPictures, (std::array<int, 4>{6, 7, 8, 9}));
    // Waiting after a failed open: stop ends the wait.
    app.ctx.player.PlayerState = 81;
    app.ctx.player.PlayPosition = 0;
    app.Tick();
    EXPECT_EQ(app.window.padPictures, (std::array<int, 4>{6, 10, 8, 9}));
}

TEST(Window_Pads, HoverAndPressTurnHotAndPressedAndBack) {
    App app;
    AppendCapped(app.ctx.live.PlayList, app.ctx.live.PlayCount, SearchHit{"C:\\", "", "a.mp3"});
    app.ctx.run.WakeRequest = true;
    app.Run(300);
    app.window.cursor = OverPad(0);
    app.Tick();
    EXPECT_EQ(app.ctx.win.HoverPad, 0);
    EXPECT_EQ(app.ctx.win.PadState[0], 2);
    EXPECT_EQ(app.window.padPictures[0], 11);
    IM_MouseDown(app.ctx, 0, kButtonLeft, 0, 9, 9);
    app.Tick();
    EXPECT_EQ(app.ctx.win.PadState[0], 3);
    EXPECT_EQ(app.window.padPictures[0], 16);
    // Held while the pointer leaves: hot; let go outside: normal.
    app.window.cursor = OverPad(3);
    app.Tick();
    EXPECT_EQ(app.ctx.win.PadState[0], 2);
    EXPECT_EQ(app.ctx.win.PadState[3], 1) << "another pad stays cold while one is held";
    IM_MouseUp(app.ctx, 0, kButtonLeft, 0, 9, 9);
    app.window.cursor = {0, 0};
    app.Tick();
    EXPECT_EQ(app.ctx.win.PadState[0], 1);
    EXPECT_EQ(app.window.padPictures[0], 6);
    // The disabled stop pad never turns hot.
    app.window.cursor = OverPad(2);
    app.Tick();
    EXPECT_EQ(app.ctx.win.PadState[2], 0);
    // A hidden window has nothing under the pointer.
    app.ctx.win.VisibilityState = 30;
    app.Run(300);
    app.window.cursor = OverPad(1);
    app.Tick();
    EXPECT_EQ(app.ctx.win.HoverPad, -1);
}

}  // namespace
}  // namespace tw
