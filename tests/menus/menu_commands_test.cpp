#include "menus/menu_commands.h"

#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "menus/window_hook.h"
#include "model/defaults.h"
#include "playback/file_ops.h"
#include "playback/player.h"
#include "window/window_layout.h"

namespace tw {
namespace {

struct App : test::TestApp {
    App() {
        SetDefaults(ctx.live.Settings, 1024, 768);
        ApplyWindowSettings(ctx);  // loads the window: the hook is installed
        ctx.run.AppState = 31;
        for (const char* name : {"a.mp3", "b.mp3"})
            AppendCapped(ctx.live.Search.SearchHits, ctx.live.Search.SearchHitCount,
                         SearchHit{"C:\\m\\", "", name});
        for (int i = 0; i < 8; ++i)
            AppendCapped(ctx.live.PlayList, ctx.live.PlayCount,
                         SearchHit{"D:\\music\\", "sub dir\\", std::to_string(i) + ".mp3"});
        ctx.player.PlayIndex = 3;
    }
    void Hook(HookEvent::Kind kind, int32_t value = 0) { HookWindowProc(ctx, HookEvent{kind, value}); }
};

TEST(Menus_Commands, FixedCommandsStartJobsWhenIdleAndStopThemWhileTheyRun) {
    struct Case {
        int32_t id;
        int16_t state, after;
        bool cancel;
        int16_t chosen;
    } cases[] = {
        {kMenuExit, 31, -1, false, 9},   {kMenuExit, 41, -1, false, 9},
        {kMenuPlayAll, 31, 60, false, -1}, {kMenuPlayAll, 21, 60, false, -1},
        {kMenuPlayAll, 64, 64, true, 9},  {kMenuPlayAll, 51, 51, false, 9},
        {kMenuSearch, 31, 50, false, 9},  {kMenuSearch, 51, 51, true, 9},
        {kMenuSearch, 41, 41, false, 9},  {kMenuRegister, 21, 40, false, 9},
        {kMenuRegister, 41, 41, true, 9}, {kMenuRegister, 51, 51, false, 9},
        {kMenuRename, 31, 90, false, 9},  {kMenuRename, 91, 98, false, 9},
        {kMenuRename, 41, 41, false, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " in " + std::to_string(c.state));
        App app;
        app.ctx.run.AppState = c.state;
        app.ctx.run.ChosenHit = 9;
        RunMenuCommand(app.ctx, c.id);
        EXPECT_EQ(app.ctx.run.AppState, c.after);
        EXPECT_EQ(app.ctx.run.CancelRequested, c.cancel);
        EXPECT_EQ(app.ctx.run.ChosenHit, c.chosen);
    }
}

TEST(Menus_Commands, HideShuffleAndThePlayerCommands) {
    App app;
    RunMenuCommand(app.ctx, kMenuHide);
    EXPECT_EQ(app.ctx.win.VisibilityState, 30);

    const SearchHit current = app.ctx.live.PlayList[3];
    RunMenuCommand(app.ctx, kMenuShuffle);
    EXPECT_EQ(app.ctx.live.PlayList[app.ctx.player.PlayIndex], current);
    EXPECT_EQ(app.ctx.run.MessageText.rfind("曲順をシャッフルしました", 0), 0u) << app.ctx.run.MessageText;

    RunMenuCommand(app.ctx, 200 + kCmdPlayPause);
    EXPECT_EQ(app.ctx.player.PlayerState, 10);
    const int16_t shuffledTo = app.ctx.player.PlayIndex;
    RunMenuCommand(app.ctx, 200 + kCmdNextTrack);
    EXPECT_EQ(app.ctx.player.PlayIndex, (shuffledTo + 1) % 8);
    RunMenuCommand(app.ctx, kMenuPlayerBase + 99);  // no such command: nothing
    EXPECT_EQ(app.ctx.player.PlayIndex, (shuffledTo + 1) % 8);
}

TEST(Menus_Commands, AHitPlaysOnlyWhenIdle) {
    for (int16_t state : {31, 21, 41, 51, 91}) {
        SCOPED_TRACE(state);
        App app;
        app.ctx.run.AppState = state;
        app.ctx.run.ChosenHit = 9;
        RunMenuCommand(app.ctx, kMenuHitBase + 1);
        const bool idle = state == 31 || state == 21;
        EXPECT_EQ(app.ctx.run.AppState, idle ? 60 : state);
        EXPECT_EQ(app.ctx.run.ChosenHit, idle ? 1 : 9);
    }
}

TEST(Menus_Commands, APlayListEntryPlaysEvenDuringARegistration) {
    App app;
    app.ctx.run.AppState = 41;
    RunMenuCommand(app.ctx, kMenuPlayListBase + 6);
    EXPECT_EQ(app.ctx.player.PlayIndex, 6);
    EXPECT_EQ(app.ctx.player.PlayerState, 30);  // the list (re)starts there
    // Past the list, or past what identifiers can carry: nothing.
    RunMenuCommand(app.ctx, kMenuPlayListBase + 8);
    RunMenuCommand(app.ctx, 3000);
    RunMenuCommand(app.ctx, 3001);
    EXPECT_EQ(app.ctx.player.PlayIndex, 6);
}

TEST(Menus_Commands, ShiftWithAnEntryOpensTheCurrentEntrysFolderQuoted) {
    App app;
    app.system.shift = true;
    RunMenuCommand(app.ctx, kMenuPlayListBase + 6);
    EXPECT_EQ(app.ctx.player.PlayIndex, 3);  // unchanged: the current entry's folder
    ASSERT_EQ(app.shell.started.size(), 1u);
    EXPECT_EQ(app.shell.started[0], "explorer.exe \"D:\\music\\sub dir\"");
    EXPECT_EQ(app.ctx.run.MessageText, "フォルダを開きます... \r\nsub dir\\3.mp3");
    EXPECT_EQ(app.ctx.run.MessageTime, app.clock.now);
}

TEST(Menus_Commands, DeleteHandsTheCurrentFileToTheRecycleBinWhenIdle) {
    App app;
    RunMenuCommand(app.ctx, kMenuDelete);
    ASSERT_EQ(app.shell.deleted.size(), 1u);
    EXPECT_EQ(app.shell.deleted[0].first, "D:\\music\\sub dir\\3.mp3");
    EXPECT_EQ(app.shell.deleted[0].second, "Tunewhistle 3.10");
    EXPECT_FALSE(app.ctx.run.Renaming);
    EXPECT_EQ(app.ctx.live.PlayCount, 8);  // the entry stays

    app.ctx.run.AppState = 51;
    RunMenuCommand(app.ctx, kMenuDelete);
    App empty;
    empty.ctx.live.PlayCount = 0;
    RunMenuCommand(empty.ctx, kMenuDelete);
    EXPECT_EQ(app.shell.deleted.size() + empty.shell.deleted.size(), 1u);
}

TEST(Menus_Commands, SettingsNotAppliedRestoreTheColoursAndWakeTheWindow) {
    App app;
    app.window.SetColors({1, 1, 1}, {2, 2, 2});  // a preview left behind
    RunMenuCommand(app.ctx, kMenuSettings);
    EXPECT_FALSE(app.ctx.run.SettingsDialogOpen);
    EXPECT_TRUE(app.ctx.run.WakeRequest);
    EXPECT_EQ(app.window.back, (RgbColor{200, 200, 255}));
    EXPECT_EQ(app.window.line, (RgbColor{0, 0, 255}));
    EXPECT_EQ(app.ctx.run.AppState, 31);
    RunMenuCommand(app.ctx, kMenuVersion);
    EXPECT_FALSE(app.ctx.run.VersionDialogOpen);
}

TEST(Menus_ExplorerCommandLine, QuotesTheFolderAndTakesNothingButAPath) {
    struct Case {
        const char* folder;
        const char* line;
    } cases[] = {
        {"C:\\Music\\", "explorer.exe \"C:\\Music\""},
        {"C:\\My Music\\a,b\\", "explorer.exe \"C:\\My Music\\a,b\""},
        {"D:\\", "explorer.exe \"D:\\.\""},
        {"\\\\server\\share\\mp3\\", "explorer.exe \"\\\\server\\share\\mp3\""},
        {"/select,C:\\x\\", ""},
        {"C:music\\", ""},
        {"", ""},
        {"C:\\a\"b\\", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExplorerCommandLine(c.folder), c.line) << c.folder;
}

TEST(Menus_Hook, HandsTheWindowsEventsToTheProgramsHandlers) {
    using K = HookEvent::Kind;
    App app;
    ASSERT_TRUE(app.ctx.run.HookInstalled);
    app.Hook(K::Wheel, -120);  // towards the user: the next track
    EXPECT_EQ(app.ctx.player.PlayIndex, 4);
    app.Hook(K::Wheel, 240);  // two notches away: back twice
    EXPECT_EQ(app.ctx.player.PlayIndex, 2);

    // The fourth button holds fast forward, the fifth rewind.
    app.Hook(K::ExtraButtonDown, 8);
    EXPECT_EQ(app.ctx.player.HeldCommand, kCmdFastForward);
    app.Hook(K::ExtraButtonUp, 8);
    EXPECT_EQ(app.ctx.player.HeldCommand, -1);
    app.Hook(K::ExtraButtonDown, 16);
    EXPECT_EQ(app.ctx.player.HeldCommand, kCmdRewind);
    app.Hook(K::ExtraButtonUp, 16);

    // A command; the keyword box's notifications carry a code in the high
    // word and match nothing.
    app.Hook(K::MenuCommand, kMenuSearch);
    EXPECT_EQ(app.ctx.run.AppState, 50);
    app.ctx.run.AppState = 31;
    app.Hook(K::MenuCommand, 0x03000000 | kMenuExit);
    EXPECT_EQ(app.ctx.run.AppState, 31);
}

TEST(Menus_Hook, CountsOpenMenusAndRepaintsWhenTheLastCloses) {
    App app;
    app.Hook(HookEvent::Kind::MenuOpened);
    app.Hook(HookEvent::Kind::MenuOpened);  // a sub-menu inside the menu
    EXPECT_EQ(app.ctx.run.OpenMenuCount, 2);
    app.Hook(HookEvent::Kind::MenuClosed);
    EXPECT_EQ(app.window.repaints, 0);
    app.Hook(HookEvent::Kind::MenuClosed);
    EXPECT_EQ(app.ctx.run.OpenMenuCount, 0);
    EXPECT_EQ(app.window.repaints, 1);
}

TEST(Menus_Hook, TheIconsClicksAndWhenTheHookStandsAside) {
    using K = HookEvent::Kind;
    App app;
    app.Hook(K::TrayIcon, 0x0204);  // right button
    EXPECT_TRUE(app.ctx.run.WakeRequest);
    EXPECT_EQ(app.ctx.run.PendingMenu, 1);
    EXPECT_TRUE(app.window.timers[TimerId::Popup]);

    // Busy with an earlier message (a dialog opened from the menu is open):
    // the window's messages pass by.
    App busy;
    busy.ctx.run.HookBusy = true;
    busy.Hook(K::MenuCommand, kMenuExit);
    busy.Hook(K::TrayIcon, 0x0201);
    busy.Hook(K::Wheel, -120);
    EXPECT_EQ(busy.ctx.run.AppState, 31);
    EXPECT_FALSE(busy.ctx.run.WakeRequest);
    EXPECT_EQ(busy.ctx.player.PlayIndex, 3);

    // Unloaded: nothing at all.
    App unloaded;
    unloaded.window.UnloadAll();
    EXPECT_FALSE(unloaded.ctx.run.HookInstalled);
    unloaded.Hook(K::MenuCommand, kMenuExit);
    EXPECT_EQ(unloaded.ctx.run.AppState, 31);
}

}  // namespace
}  // namespace tw
