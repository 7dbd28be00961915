#include "window/window_input.h"

#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "menus/popup_menus.h"
#include "model/defaults.h"
#include "playback/player.h"
#include "window/window_layout.h"

namespace tw {
namespace {

struct App : test::TestApp {
    App() {
        SetDefaults(ctx.live.Settings, 1024, 768);
        ctx.live.Settings.WindowLeft = 300;
        ctx.live.Settings.WindowTop = 200;
        ApplyWindowSettings(ctx);
        ctx.run.AppState = 31;
    }
    void SetPlayList(int n) {
        ctx.live.PlayList.Clear();
        ctx.live.PlayCount = 0;
        for (int i = 0; i < n; ++i)
            AppendCapped(ctx.live.PlayList, ctx.live.PlayCount,
                         SearchHit{"C:\\m\\", "", std::to_string(i) + ".mp3"});
    }
    int16_t Key(int16_t code) {
        Form_KeyDown(ctx, code, 0);
        return code;
    }
};

TEST(Window_Keys, EnterStartsASearchOrConfirmsARename) {
    struct Case {
        int16_t state, after;
    } cases[] = {{21, 50}, {31, 50}, {91, 95}, {41, 41}, {51, 51}, {10, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        App app;
        app.ctx.run.AppState = c.state;
        EXPECT_EQ(app.Key(kKeyReturn), 0);  // swallowed
        EXPECT_EQ(app.ctx.run.AppState, c.after);
        EXPECT_TRUE(app.window.boxSelected);
        EXPECT_TRUE(app.ctx.run.WakeRequest);
    }
    // A disabled box (nothing registered): Enter only wakes the window.
    App app;
    app.window.boxEnabled = false;
    EXPECT_EQ(app.Key(kKeyReturn), kKeyReturn);
    EXPECT_EQ(app.ctx.run.AppState, 31);
    EXPECT_TRUE(app.ctx.run.WakeRequest);
}

TEST(Window_Keys, EscCancelsAJobARenameOrADrag) {
    struct Case {
        int16_t state, after;
        bool cancel;
    } cases[] = {{41, 41, true}, {42, 42, true}, {51, 51, true}, {64, 64, true},
                 {91, 98, false}, {31, 31, false}, {21, 21, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        App app;
        app.ctx.run.AppState = c.state;
        EXPECT_EQ(app.Key(kKeyEscape), 0);
        EXPECT_EQ(app.ctx.run.AppState, c.after);
        EXPECT_EQ(app.ctx.run.CancelRequested, c.cancel);
        EXPECT_TRUE(app.ctx.run.WakeRequest);
    }

    // During a drag Esc puts the window back and cancels nothing else.
    App app;
    app.ctx.run.AppState = 41;
    Form_MouseDown(app.ctx, kButtonLeft, 0, 10, 30);
    app.window.cursor = {400, 260};
    MoveTimer_Timer(app.ctx);
    EXPECT_EQ(app.window.left, 390);
    EXPECT_EQ(app.Key(kKeyEscape), 0);
    EXPECT_FALSE(app.ctx.win.Dragging);
    EXPECT_FALSE(app.ctx.run.CancelRequested);
    EXPECT_FALSE(app.window.timers[TimerId::Move]);
    EXPECT_EQ(app.window.left, 300);
    EXPECT_EQ(app.window.top, 200);
    // The release that follows stores nothing.
    app.window.cursor = {500, 500};
    Form_MouseUp(app.ctx, kButtonLeft, 0, 10, 30);
    EXPECT_EQ(app.window.left, 300);
    EXPECT_EQ(app.ctx.live.Settings.WindowLeft, 300);
    EXPECT_EQ(app.ctx.live.Settings.WindowTop, 200);
}

TEST(Window_Keys, AWindowHidingOnRequestTakesNoKeys) {
    for (int16_t vis : {30, 31}) {
        App app;
        app.ctx.win.VisibilityState = vis;
        EXPECT_EQ(app.Key(kKeyReturn), kKeyReturn);
        EXPECT_EQ(app.ctx.run.AppState, 31);
        EXPECT_FALSE(app.ctx.run.WakeRequest);
    }
}

TEST(Window_Keys, EnterAndEscNeverReachTheBoxAsCharacters) {
    for (int16_t ch : {13, 27}) {
        int16_t k = ch;
        Tb_KeyPress(k);
        EXPECT_EQ(k, 0);
    }
    for (int16_t ch : {int16_t{'a'}, int16_t{10}, int16_t{8}, int16_t{0x3042}}) {
        int16_t k = ch;
        Tb_KeyPress(k);
        EXPECT_EQ(k, ch);
    }
}

TEST(Window_Drag, TheWindowFollowsThePointerAndKeepsWhereItWasLeft) {
    App app;
    Form_MouseDown(app.ctx, kButtonLeft, 0, 12, 40);
    EXPECT_TRUE(app.ctx.win.Dragging);
    EXPECT_TRUE(app.window.timers[TimerId::Move]);
    app.window.cursor = {700, 500};
    MoveTimer_Timer(app.ctx);
    EXPECT_EQ(app.window.left, 688);
    EXPECT_EQ(app.window.top, 460);
    EXPECT_EQ(app.ctx.live.Settings.WindowLeft, 300);  // not stored while moving
    // Off the screen is allowed: nothing clamps it.
    app.window.cursor = {-50, 2000};
    Form_MouseUp(app.ctx, kButtonLeft, 0, 0, 0);
    EXPECT_FALSE(app.ctx.win.Dragging);
    EXPECT_FALSE(app.window.timers[TimerId::Move]);
    EXPECT_EQ(app.window.left, -62);
    EXPECT_EQ(app.ctx.live.Settings.WindowLeft, -62);
    EXPECT_EQ(app.ctx.live.Settings.WindowTop, 1960);

    // A click without movement leaves the window where it is.
    app.window.cursor = {-62 + 5, 1960 + 5};
    Form_MouseDown(app.ctx, kButtonLeft, 0, 5, 5);
    Form_MouseUp(app.ctx, kButtonLeft, 0, 5, 5);
    EXPECT_EQ(app.window.left, -62);
    EXPECT_EQ(app.window.top, 1960);
}

TEST(Window_Drag, NoDragOrMenuWhileAMenuIsOpenOrTheWindowHides) {
    App app;
    app.ctx.run.OpenMenuCount = 1;
    Form_MouseDown(app.ctx, kButtonLeft, 0, 5, 5);
    Form_MouseDown(app.ctx, kButtonRight, 0, 5, 5);
    EXPECT_FALSE(app.ctx.win.Dragging);
    EXPECT_FALSE(app.window.timers[TimerId::Popup]);

    App hiding;
    hiding.ctx.win.VisibilityState = 31;
    Form_MouseDown(hiding.ctx, kButtonLeft, 0, 5, 5);
    Form_MouseDown(hiding.ctx, kButtonRight, 0, 5, 5);
    EXPECT_FALSE(hiding.ctx.win.Dragging);
    EXPECT_FALSE(hiding.window.timers[TimerId::Popup]);

    // A right press while dragging asks for no menu.
    App dragging;
    Form_MouseDown(dragging.ctx, kButtonLeft, 0, 5, 5);
    Form_MouseDown(dragging.ctx, kButtonRight, 0, 5, 5);
    EXPECT_FALSE(dragging.window.timers[TimerId::Popup]);
}

TEST(Window_Menu, ARightPressAsksForTheMainMenuOnceTheWindowShows) {
    App app;
    Form_MouseDown(app.ctx, kButtonRight, 0, 5, 5);
    EXPECT_EQ(app.ctx.run.PendingMenu, 1);
    EXPECT_TRUE(app.window.timers[TimerId::Popup]);
    // Hidden: the timer keeps trying.
    app.ctx.win.Opacity = 0;
    PopupTimer_Timer(app.ctx);
    EXPECT_TRUE(app.window.timers[TimerId::Popup]);
    EXPECT_EQ(app.window.broughtToFront, 0);
    app.ctx.win.Opacity = 0.001f;
    PopupTimer_Timer(app.ctx);
    EXPECT_FALSE(app.window.timers[TimerId::Popup]);
    EXPECT_EQ(app.window.broughtToFront, 1);
}

TEST(Window_ExtraButtons, PressAndReleaseIssueTheMappedCommandWithTheMouseCaptured) {
    App app;
    app.SetPlayList(3);
    // Fourth button: fast forward (4) while held.
    app.ctx.run.MessageTime = 1234;
    Form_MouseDown(app.ctx, kButtonFourth, 0, 0, 0);
    EXPECT_EQ(app.ctx.player.HeldCommand, kCmdFastForward);
    EXPECT_EQ(app.ctx.run.MessageTime, 0u);
    EXPECT_TRUE(app.window.captured);
    EXPECT_TRUE(app.ctx.win.ButtonCaptured);
    EXPECT_TRUE(app.ctx.win.ExtraButtonHeld[1]);
    Form_MouseUp(app.ctx, kButtonFourth, 0, 0, 0);
    EXPECT_EQ(app.ctx.player.HeldCommand, -1);
    EXPECT_FALSE(app.window.captured);
    EXPECT_FALSE(app.ctx.win.ExtraButtonHeld[1]);

    // Middle button: play/pause (1) at the press.
    Form_MouseDown(app.ctx, kButtonMiddle, 0, 0, 0);
    EXPECT_EQ(app.ctx.player.PlayerState, 10);
    Form_MouseUp(app.ctx, kButtonMiddle, 0, 0, 0);
    EXPECT_FALSE(app.window.captured);

    // Two buttons at once match none.
    Form_MouseDown(app.ctx, kButtonMiddle | kButtonFifth, 0, 0, 0);
    EXPECT_FALSE(app.window.captured);
}

TEST(Window_ExtraButtons, IgnoredWithoutAPlayListAndTheirReleaseToo) {
    struct Case {
        const char* name;
        int list;
        bool internal;
        int16_t vis;
    } cases[] = {{"empty play list", 0, true, 20}, {"external player", 3, false, 20},
                 {"hiding on request", 3, true, 30}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        App app;
        app.SetPlayList(c.list);
        app.ctx.live.Settings.UseInternalPlayer = ToVBool(c.internal);
        app.ctx.win.VisibilityState = c.vis;
        Form_MouseDown(app.ctx, kButtonFifth, 0, 0, 0);
        EXPECT_EQ(app.ctx.player.HeldCommand, -1);
        EXPECT_FALSE(app.window.captured);
        app.ctx.player.HeldCommand = 7;  // a release issues nothing either
        Form_MouseUp(app.ctx, kButtonFifth, 0, 0, 0);
        EXPECT_EQ(app.ctx.player.HeldCommand, 7);
    }
}

TEST(Window_Wheel, OneStepANotchRoundingPartsToEven) {
    struct Case {
        int delta, steps;
    } cases[] = {{0, 0}, {60, 1}, {120, 1}, {180, 1}, {240, 2}, {300, 3}, {420, 3}, {480, 4},
                 {-120, 1}, {-300, 3}, {-2147483647 - 1, 17895697}};
    for (const auto& c : cases) EXPECT_EQ(WheelSteps(c.delta), c.steps) << c.delta;
}

TEST(Window_Wheel, UpIsThePreviousTrackAndDownTheNext) {
    App app;
    app.SetPlayList(10);
    app.ctx.player.PlayIndex = 5;
    Form_MouseWheel(app.ctx, -240);  // towards the user: next, twice
    EXPECT_EQ(app.ctx.player.PlayIndex, 7);
    Form_MouseWheel(app.ctx, 120);
    EXPECT_EQ(app.ctx.player.PlayIndex, 6);
    Form_MouseWheel(app.ctx, 0);  // still a "down" turn, but no step
    EXPECT_EQ(app.ctx.player.PlayIndex, 6);

    app.ctx.live.Settings.UseInternalPlayer = kFalse;
    Form_MouseWheel(app.ctx, 120);
    EXPECT_EQ(app.ctx.player.PlayIndex, 6);
    App empty;
    Form_MouseWheel(empty.ctx, -120);
    EXPECT_EQ(empty.ctx.player.PlayIndex, 0);
}

TEST(Window_Pads, APadActsOnReleaseOverItselfAndADisabledPadNotAtAll) {
    App app;
    app.SetPlayList(2);
    app.ctx.win.PadState = {1, 1, 0, 1};

    // Play/pause: pressed, released over it.
    IM_MouseDown(app.ctx, 1, kButtonLeft, 0, 3, 3);
    EXPECT_EQ(app.ctx.win.PressedPad, 1);
    EXPECT_EQ(app.ctx.player.PlayerState, 0);
    app.ctx.win.HoverPad = 1;
    IM_MouseUp(app.ctx, 1, kButtonLeft, 0, 3, 3);
    EXPECT_EQ(app.ctx.win.PressedPad, -1);
    EXPECT_EQ(app.ctx.player.PlayerState, 10);

    // Released after the pointer left it: nothing.
    app.ctx.player.PlayerState = 0;
    IM_MouseDown(app.ctx, 1, kButtonLeft, 0, 3, 3);
    app.ctx.win.HoverPad = -1;
    IM_MouseUp(app.ctx, 1, kButtonLeft, 0, 3, 3);
    EXPECT_EQ(app.ctx.player.PlayerState, 0);

    // The disabled stop pad ignores both.
    IM_MouseDown(app.ctx, 2, kButtonLeft, 0, 3, 3);
    EXPECT_EQ(app.ctx.win.PressedPad, -1);

    // Right button on a pad: no command, but remembered for a double click.
    IM_MouseDown(app.ctx, 3, kButtonRight, 0, 3, 3);
    EXPECT_EQ(app.ctx.win.PressedPad, -1);
    EXPECT_EQ(app.ctx.win.LastPadButton, kButtonRight);
}

TEST(Window_Pads, EachClickOfADoubleClickIsAFullPress) {
    App app;
    app.SetPlayList(5);
    app.ctx.win.PadState = {1, 1, 1, 1};
    app.ctx.win.HoverPad = 3;
    // Next: down, up, double click, up (as the system reports a double click).
    IM_MouseDown(app.ctx, 3, kButtonLeft, 0, 1, 1);
    IM_MouseUp(app.ctx, 3, kButtonLeft, 0, 1, 1);
    IM_DblClick(app.ctx, 3);
    EXPECT_EQ(app.ctx.win.PressedPad, 3);
    IM_MouseUp(app.ctx, 3, kButtonLeft, 0, 1, 1);
    EXPECT_EQ(app.ctx.player.PlayIndex, 2);
}

struct DropApp : App {
    DropApp() {
        files.AddDir("C:\\a");
        files.AddFile("C:\\a\\b.mp3");
        files.AddDir("C:\\music");
        files.AddFile("C:\\music\\1.mp3");
        files.AddFile("C:\\music\\2.mp3");
        files.AddFile("C:\\music\\cover.jpg");
        files.AddDir("C:\\music\\sub");
        files.AddDir("C:\\empty");
        SetPlayList(10);
        ctx.player.PlayIndex = 4;
    }
};

TEST(Window_Drop, FilesAndFoldersReplaceThePlayListAndPlay) {
    DropApp app;
    Form_OLEDragDrop(app.ctx, {"C:\\a\\b.mp3", "C:\\music"});
    const StateRecord& live = app.ctx.live;
    ASSERT_EQ(live.PlayCount, 5);
    EXPECT_EQ(live.PlayList.size(), 5u);
    EXPECT_EQ(live.PlayList[0], (SearchHit{"", "C:\\a\\", "b.mp3"}));
    // A folder gives every entry of its own, sub-folders included.
    EXPECT_EQ(live.PlayList[1], (SearchHit{"", "C:\\music\\", "1.mp3"}));
    EXPECT_EQ(live.PlayList[3], (SearchHit{"", "C:\\music\\", "cover.jpg"}));
    EXPECT_EQ(live.PlayList[4], (SearchHit{"", "C:\\music\\", "sub"}));
    EXPECT_EQ(app.ctx.run.MessageText, "一括再生します  ( 5 曲 )");
    EXPECT_EQ(app.ctx.run.MessageTime, app.clock.now);
    EXPECT_EQ(app.ctx.player.PlayIndex, 0);
    EXPECT_EQ(app.ctx.player.PlayerState, 30);  // the list starts

    // A trailing backslash is not doubled; a path that cannot be read is
    // taken as a file, for the player to report.
    DropApp again;
    Form_OLEDragDrop(again.ctx, {"C:\\music\\sub\\", "D:\\gone\\x.mp3"});
    ASSERT_EQ(again.ctx.live.PlayCount, 1);
    EXPECT_EQ(again.ctx.live.PlayList[0], (SearchHit{"", "D:\\gone\\", "x.mp3"}));
    EXPECT_EQ(again.ctx.run.MessageText, "一括再生します  ( 1 曲 )");
}

TEST(Window_Drop, NothingUsableKeepsTheOldList) {
    DropApp app;
    const SearchHit fourth = app.ctx.live.PlayList[4];
    Form_OLEDragDrop(app.ctx, {"C:\\empty"});
    EXPECT_EQ(app.ctx.live.PlayCount, 10);
    EXPECT_EQ(app.ctx.live.PlayList[4], fourth);
    EXPECT_EQ(app.ctx.run.MessageText, "再生できませんでした");
    EXPECT_EQ(app.ctx.player.PlayIndex, 4);
    Form_OLEDragDrop(app.ctx, {});
    EXPECT_EQ(app.ctx.live.PlayCount, 10);
}

TEST(Window_Drop, AListThatWouldPassTheLimitStopsThereAndSaysWhatWasLeftOut) {
    DropApp app;
    app.files.AddDir("C:\\big");
    for (int i = 0; i < 32767 + 5; ++i) app.files.AddFile("C:\\big\\" + std::to_string(100000 + i) + ".mp3");
    Form_OLEDragDrop(app.ctx, {"C:\\big", "C:\\a\\b.mp3"});
    EXPECT_EQ(app.ctx.live.PlayCount, 32767);
    EXPECT_EQ(app.ctx.run.MessageText,
              "一括再生します  ( 32767 曲 )\r\n上限を超えたため 6 個のファイルを再生リストに入れられませんでした");
}

TEST(Window_Drop, WithoutTheInternalPlayerTheShellPlaysTheMp3Files) {
    DropApp app;
    app.ctx.live.Settings.UseInternalPlayer = kFalse;
    Form_OLEDragDrop(app.ctx, {"C:\\music"});
    EXPECT_EQ(app.ctx.live.PlayCount, 4);
    ASSERT_EQ(app.shell.executed.size(), 2u);
    EXPECT_EQ(app.shell.executed[0].file, "C:\\music\\1.mp3");
    EXPECT_EQ(app.shell.executed[1].file, "C:\\music\\2.mp3");
    EXPECT_TRUE(app.shell.executed[0].ownedByMainWindow);
    EXPECT_EQ(app.ctx.run.MessageText, "一括再生完了 (外部) 2 / 2");
    EXPECT_EQ(app.ctx.player.PlayerState, 0);

    DropApp one;
    one.ctx.live.Settings.UseInternalPlayer = kFalse;
    Form_OLEDragDrop(one.ctx, {"C:\\a\\SONG.MP3"});
    EXPECT_EQ(one.ctx.run.MessageText, "再生完了 (外部)\r\nSONG.MP3 ( C:\\a\\)");
    DropApp mixed;
    mixed.ctx.live.Settings.UseInternalPlayer = kFalse;
    Form_OLEDragDrop(mixed.ctx, {"C:\\a\\x.Mp3", "C:\\a\\y.mP3"});
    EXPECT_EQ(mixed.shell.executed.size(), 2u);
}

}  // namespace
}  // namespace tw
