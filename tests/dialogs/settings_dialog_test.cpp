#include "dialogs/settings_dialog.h"

#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "menus/menu_commands.h"
#include "menus/menu_model.h"
#include "model/defaults.h"
#include "playback/player.h"
#include "window/window_layout.h"

namespace tw {
namespace {

using test::ScriptedSettingsUi;

WatchFolderSet Folders(std::vector<WatchFolder> list) {
    WatchFolderSet set;
    for (WatchFolder& f : list) AppendCapped(set.WatchFolders, set.WatchFolderCount, std::move(f));
    return set;
}

TEST(Dialogs_CompareFolders, AFolderAndOneInsideItOrTheSameOneTwice) {
    struct Case {
        WatchFolder j, k;
        int result;
    } cases[] = {
        {{"c:\\music\\", kTrue}, {"c:\\music\\rock\\", kFalse}, 2},   // inside j, which reads it
        {{"c:\\music\\", kFalse}, {"c:\\music\\rock\\", kTrue}, 0},   // j does not read its sub-folders
        {{"c:\\music\\rock\\", kFalse}, {"c:\\music\\", kTrue}, 1},   // j lies inside k
        {{"c:\\music\\rock\\", kTrue}, {"c:\\music\\", kFalse}, 0},
        {{"c:\\music\\", kFalse}, {"c:\\music\\", kTrue}, 1},         // the same twice
        {{"c:\\music\\", kTrue}, {"c:\\music\\", kFalse}, 2},
        {{"C:\\Music\\", kTrue}, {"c:\\music\\Rock\\", kFalse}, 2},   // case does not count
        {{"c:\\music\\", kTrue}, {"c:\\music2\\", kTrue}, 0},
        {{"c:\\music2\\", kTrue}, {"c:\\music\\", kTrue}, 0},
        {{"d:\\music\\", kTrue}, {"c:\\music\\", kTrue}, 0},
    };
    for (const auto& c : cases) {
        const WatchFolderSet set = Folders({c.j, c.k});
        EXPECT_EQ(CompareFolders(set, 0, 1), c.result) << c.j.Path << " / " << c.k.Path;
    }
}

TEST(Dialogs_LayoutTag, PageAndFourNumbersOrNothing) {
    const auto t = ParseLayoutTag("Search,720,2520,4455,255");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->page, "Search");
    EXPECT_EQ(t->left, 720);
    EXPECT_EQ(t->top, 2520);
    EXPECT_EQ(t->width, 4455);
    EXPECT_EQ(t->height, 255);
    const auto negative = ParseLayoutTag("Play,-15,0,0,0");
    ASSERT_TRUE(negative);
    EXPECT_EQ(negative->left, -15);
    for (const char* bad : {"", "Folder", "Folder,1,2,3", "Folder,1,2,3,x", "Folder,1,,3,4", ",1,2,3,4",
                            "Folder,1,2,3,4,5", "Folder,99999999999,2,3,4", "Folder,1,2,3,4x"})
        EXPECT_FALSE(ParseLayoutTag(bad)) << bad;
    // Every control of a page carries a sound tag; the others carry none.
    // The five pages keep their 36; the sixth holds the label, the hotkey
    // control and five boxes.
    int placed = 0, sixth = 0;
    for (const SettingsControl& c : SettingsControls()) {
        const auto tag = ParseLayoutTag(c.tag);
        placed += tag && tag->page != "More";
        sixth += tag && tag->page == "More";
        EXPECT_EQ(tag.has_value(), std::string(c.tag).find(',') != std::string::npos) << c.tag;
    }
    EXPECT_EQ(placed, 36);
    EXPECT_EQ(sixth, 7);
}

TEST(Dialogs_LayoutTag, TwipsToPixelsAtTheDisplaysScale) {
    EXPECT_EQ(TwipsToPixels(15, 96), 1);
    EXPECT_EQ(TwipsToPixels(6000, 96), 400);
    EXPECT_EQ(TwipsToPixels(4545, 96), 303);
    EXPECT_EQ(TwipsToPixels(720, 144), 72);
    EXPECT_EQ(TwipsToPixels(255, 96), 17);  // 16.9
    EXPECT_EQ(TwipsToPixels(-15, 96), -1);
    EXPECT_EQ(TwipsToPixels(0, 192), 0);
}

TEST(Dialogs_LayoutTag, FolderColumnsTakeTheirShareOfTheListRounded) {
    // The list is 5295 twips wide: 353, 530 and 706 pixels at 100, 150, 200 %.
    struct Case { int dpi, folder, subfolders; } cases[] = {{96, 229, 71}, {144, 345, 106}, {192, 459, 141}};
    for (const auto& c : cases) {
        const FolderColumns w = FolderColumnWidths(TwipsToPixels(5295, c.dpi));
        EXPECT_EQ(w.folder, c.folder) << c.dpi;
        EXPECT_EQ(w.subfolders, c.subfolders) << c.dpi;
    }
}

struct App : test::TestApp {
    SettingsDialog dialog{ctx};
    ScriptedSettingsUi ui;
    App() {
        SetDefaults(ctx.live.Settings, 1024, 768);
        ApplyWindowSettings(ctx);
        ctx.run.AppState = 31;
        dialog.Start();
    }
    Settings& Stored() { return ctx.live.Settings; }
    // With c:\a\ (and its sub-folders) stored: deletes it in the dialog and
    // adds `path` in its place, answering the sub-folder question.
    void Replace(const std::string& path, BoxAnswer subfolders) {
        Stored().WatchFolderSet = Folders({{"c:\\a\\", kTrue}});
        dialog.Start();
        dialog.OnDeleteFolders({true});
        ui.folders = {path};
        ui.answers = {subfolders};
        dialog.OnAddFolder(ui);
    }
};

TEST(Dialogs_Settings, EditsACopyUntilOk) {
    App app;
    app.dialog.OnCheck(4, false);  // always on top
    app.dialog.OnMapping(0, 9);
    EXPECT_EQ(app.Stored().AlwaysOnTop, kTrue);
    EXPECT_EQ(app.Stored().ButtonMap[0], 7);
    ASSERT_TRUE(app.dialog.OnOk(app.ui));
    EXPECT_TRUE(app.ctx.run.SettingsApplied);
    EXPECT_FALSE(app.ctx.run.FoldersChanged);
    EXPECT_EQ(app.Stored().AlwaysOnTop, kFalse);
    EXPECT_EQ(app.Stored().ButtonMap[0], 9);

    App cancelled;
    cancelled.dialog.OnCheck(4, false);
    cancelled.dialog.OnCancel();
    EXPECT_EQ(cancelled.Stored().AlwaysOnTop, kTrue);
    EXPECT_FALSE(cancelled.ctx.run.SettingsApplied);
}

TEST(Dialogs_Settings, OkWithoutASearchTargetIsRefused) {
    struct Case {
        const char* name;
        void (*edit)(SettingsDialog&);
        bool accepted;
    } cases[] = {
        {"name and path off, tags on with no field",
         [](SettingsDialog& d) {
             for (int i : {8, 9, 11, 12, 13, 14}) d.OnCheck(i, false);
         },
         false},
        {"name, path and tags off",
         [](SettingsDialog& d) {
             for (int i : {8, 9, 10}) d.OnCheck(i, false);
         },
         false},
        {"tags on with the album", [](SettingsDialog& d) {
             for (int i : {8, 9, 11, 12, 14}) d.OnCheck(i, false);
         }, true},
        {"tags on with the comment alone", [](SettingsDialog& d) {
             for (int i : {8, 9, 11, 12, 13}) d.OnCheck(i, false);
         }, true},
        {"tags off, the path on", [](SettingsDialog& d) {
             for (int i : {8, 10}) d.OnCheck(i, false);
         }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        App app;
        c.edit(app.dialog);
        EXPECT_EQ(app.dialog.OnOk(app.ui), c.accepted);
        EXPECT_EQ(app.ctx.run.SettingsApplied, c.accepted);
        if (!c.accepted) {
            ASSERT_EQ(app.ui.asked.size(), 1u);
            EXPECT_EQ(app.ui.asked[0], "検索対象が一つも選ばれていません。最低一つの検索対象を選んでください。");
            EXPECT_EQ(app.Stored().MatchFileName, kTrue);  // nothing stored
        }
    }
}

TEST(Dialogs_Settings, OnlyFoldersAndTheUseOfTagsAskForANewRegistration) {
    struct Case {
        const char* name;
        void (*edit)(App&);
        bool changed;
    } cases[] = {
        {"other check boxes", [](App& a) { for (int i : {1, 2, 3, 4, 5, 6, 7, 11}) a.dialog.OnCheck(i, !a.dialog.View(false).checks[i]); }, false},
        {"the mapping", [](App& a) { a.dialog.OnMapping(2, 0); }, false},
        {"a colour", [](App& a) { a.ui.colors = {0x010203}; a.dialog.OnPickColor(a.ui, true); }, false},
        {"the use of tags", [](App& a) { a.dialog.OnCheck(10, false); }, true},
        {"ID3v2 preferred or not", [](App& a) { a.dialog.OnCheck(17, false); }, true},
        {"the keyboard page", [](App& a) {
             a.dialog.OnCheck(15, false);
             a.dialog.OnCheck(16, true);
             a.dialog.OnHotkey(0x0641);
         }, false},
        {"a folder added", [](App& a) { a.ui.folders = {"C:\\Music"}; a.dialog.OnAddFolder(a.ui); }, true},
        {"a folder replaced by another", [](App& a) { a.Replace("C:\\b", BoxAnswer::Yes); }, true},
        {"a folder taken again without its sub-folders", [](App& a) { a.Replace("C:\\a", BoxAnswer::No); }, true},
        {"a folder taken again as it was", [](App& a) { a.Replace("C:\\a", BoxAnswer::Yes); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        App app;
        c.edit(app);
        ASSERT_TRUE(app.dialog.OnOk(app.ui));
        EXPECT_EQ(app.ctx.run.FoldersChanged, c.changed);
    }
}

// The sixth page: its three boxes and the hotkey, which needs a modifier
// and a key.
TEST(Dialogs_Settings, TheSixthPageEditsTheKeyboardAndTheTagChoice) {
    App app;
    const SettingsView before = app.dialog.View(false);
    EXPECT_TRUE(before.checks[15]);
    EXPECT_FALSE(before.checks[16]);
    EXPECT_TRUE(before.checks[17]);
    EXPECT_EQ(before.hotkey, kDefaultHotkey);
    app.dialog.OnCheck(15, false);
    app.dialog.OnCheck(16, true);
    app.dialog.OnCheck(17, false);
    const struct {
        int32_t chord, kept;
    } chords[] = {{0x0641, 0x0641}, {0x0041, 0}, {0x0600, 0}, {0, 0}, {0x1641, 0}, {0x0A2D, 0x0A2D}};
    for (const auto& c : chords) {
        app.dialog.OnHotkey(c.chord);
        EXPECT_EQ(app.dialog.View(false).hotkey, c.kept) << c.chord;
    }
    app.dialog.OnHotkey(0x0641);
    ASSERT_TRUE(app.dialog.OnOk(app.ui));
    EXPECT_EQ(app.Stored().MediaKeys, kFalse);
    EXPECT_EQ(app.Stored().SearchAsYouType, kTrue);
    EXPECT_EQ(app.Stored().PreferId3v2, kFalse);
    EXPECT_EQ(app.Stored().Hotkey, 0x0641);
}

TEST(Dialogs_Settings, AddingAFolderAsksAboutItsSubFolders) {
    App app;
    app.ui.folders = {"C:\\Music", "D:\\Mp3\\", "E:\\x", ""};
    app.ui.answers = {BoxAnswer::Yes, BoxAnswer::No, BoxAnswer::Cancel};
    for (int i = 0; i < 4; ++i) app.dialog.OnAddFolder(app.ui);
    const SettingsView v = app.dialog.View(false);
    ASSERT_EQ(v.folders.size(), 2u);
    EXPECT_EQ(v.folders[0], (std::pair<std::string, bool>{"c:\\music\\", true}));
    EXPECT_EQ(v.folders[1], (std::pair<std::string, bool>{"d:\\mp3\\", false}));
    EXPECT_EQ(app.ui.asked, (std::vector<std::string>(3, "子フォルダも読み込みますか？")));

    // Any name, whatever the code page holds.
    for (const char* name : {"C:\\Musique\\Sigur Rós", "C:\\음악", "C:\\音楽"}) {
        App other;
        other.ui.folders = {name};
        other.dialog.OnAddFolder(other.ui);
        ASSERT_EQ(other.dialog.View(false).folders.size(), 1u) << name;
        EXPECT_EQ(other.ui.asked, (std::vector<std::string>{"子フォルダも読み込みますか？"}));
    }
}

TEST(Dialogs_Settings, DeletingFoldersTakesTheSelectedOnesOnly) {
    App app;
    app.ui.folders = {"C:\\a", "C:\\b", "C:\\c"};
    for (int i = 0; i < 3; ++i) app.dialog.OnAddFolder(app.ui);
    app.dialog.OnDeleteFolders({false, false, false});  // none selected: nothing
    EXPECT_EQ(app.dialog.View(false).folders.size(), 3u);
    app.dialog.OnDeleteFolders({true, false, true});
    ASSERT_EQ(app.dialog.View(false).folders.size(), 1u);
    EXPECT_EQ(app.dialog.View(false).folders[0].first, "c:\\b\\");
    app.dialog.OnDeleteFolders({true});
    EXPECT_TRUE(app.dialog.View(false).folders.empty());
    app.dialog.OnDeleteFolders({true});  // and with none left
    ASSERT_TRUE(app.dialog.OnOk(app.ui));  // an empty list is stored as such
    EXPECT_EQ(app.Stored().WatchFolderSet.WatchFolderCount, 0);
}

TEST(Dialogs_Settings, OkResolvesFoldersRegisteredTwiceOnceAsked) {
    // c:\music\ with its sub-folders, then c:\music\rock\: one question, the
    // second goes.
    App app;
    app.ui.folders = {"c:\\music", "c:\\music\\rock", "c:\\music2"};
    app.ui.answers = {BoxAnswer::Yes, BoxAnswer::No, BoxAnswer::No};
    for (int i = 0; i < 3; ++i) app.dialog.OnAddFolder(app.ui);
    app.ui.asked.clear();
    app.ui.answers = {BoxAnswer::No};
    EXPECT_FALSE(app.dialog.OnOk(app.ui));  // No: the dialog stays, with both
    EXPECT_EQ(app.dialog.View(false).folders.size(), 3u);
    EXPECT_FALSE(app.ctx.run.SettingsApplied);
    app.ui.answers = {BoxAnswer::Yes};
    ASSERT_TRUE(app.dialog.OnOk(app.ui));
    EXPECT_EQ(app.ui.asked.size(), 2u);  // once a press of OK
    const WatchFolderSet& stored = app.Stored().WatchFolderSet;
    ASSERT_EQ(stored.WatchFolderCount, 2);
    EXPECT_EQ(stored.WatchFolders[0].Path, "c:\\music\\");
    EXPECT_EQ(stored.WatchFolders[1].Path, "c:\\music2\\");

    // The same folder twice, first without then with sub-folders: the first
    // goes, and one question covers every pair.
    App twice;
    twice.ui.folders = {"d:\\a", "d:\\a", "d:\\b", "d:\\b\\c"};
    twice.ui.answers = {BoxAnswer::No, BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::No};
    for (int i = 0; i < 4; ++i) twice.dialog.OnAddFolder(twice.ui);
    twice.ui.asked.clear();
    ASSERT_TRUE(twice.dialog.OnOk(twice.ui));
    EXPECT_EQ(twice.ui.asked.size(), 1u);
    const WatchFolderSet& kept = twice.Stored().WatchFolderSet;
    ASSERT_EQ(kept.WatchFolderCount, 2);
    EXPECT_EQ(kept.WatchFolders[0], (WatchFolder{"d:\\a\\", kTrue}));
    EXPECT_EQ(kept.WatchFolders[1], (WatchFolder{"d:\\b\\", kTrue}));
}

TEST(Dialogs_Settings, WhatIsEnabledFollowsTheCopy) {
    App app;
    SettingsView v = app.dialog.View(false);
    EXPECT_FALSE(v.deleteEnabled);
    EXPECT_TRUE(v.playerOptionsEnabled);
    EXPECT_TRUE(v.tagFieldsEnabled);
    EXPECT_TRUE(v.transparencyEnabled);
    EXPECT_FALSE(v.checks[7]);  // translucency on: "disable" unticked
    app.dialog.OnCheck(0, false);
    app.dialog.OnCheck(10, false);
    v = app.dialog.View(true);
    EXPECT_FALSE(v.deleteEnabled);  // no folder to delete
    EXPECT_FALSE(v.playerOptionsEnabled);
    EXPECT_FALSE(v.tagFieldsEnabled);
    EXPECT_TRUE(v.checks[11]);  // greyed, its value kept
    app.ui.folders = {"c:\\x"};
    app.dialog.OnAddFolder(app.ui);
    EXPECT_TRUE(app.dialog.View(true).deleteEnabled);
    EXPECT_FALSE(app.dialog.View(false).deleteEnabled);
    app.ctx.run.OsKind = kOsNt4;
    EXPECT_FALSE(app.dialog.View(false).transparencyEnabled);
}

TEST(Dialogs_Settings, DefaultResetsOnlyTheMapping) {
    App app;
    for (int i = 0; i < 5; ++i) app.dialog.OnMapping(i, 0);
    app.dialog.OnCheck(1, false);
    app.dialog.OnDefaultMapping();
    const SettingsView v = app.dialog.View(false);
    EXPECT_EQ(v.mapping, (std::array<int16_t, 5>{7, 6, 1, 4, 5}));
    EXPECT_FALSE(v.checks[1]);
    EXPECT_EQ(CommandNames().size(), 10u);
    EXPECT_EQ(CommandNames()[9], "前の曲/巻戻し");
}

TEST(Dialogs_Settings, AColourPreviewsOnTheWindowAndCancelPutsItBack) {
    App app;
    app.ui.colors = {0x112233, -1};
    app.dialog.OnPickColor(app.ui, false);
    EXPECT_EQ(app.window.line, (RgbColor{0x33, 0x22, 0x11}));  // red is the low byte
    EXPECT_EQ(app.Stored().TextColor, (RgbColor{0, 0, 255}));
    app.dialog.OnPickColor(app.ui, true);  // cancelled: nothing
    EXPECT_EQ(app.dialog.View(false).back, (RgbColor{200, 200, 255}));

    // Through the menu: the dialog cancelled after a preview.
    App menu;
    menu.dialogs.settings = [&menu](SettingsDialog& d) {
        menu.ui.colors = {0x000080};
        d.OnPickColor(menu.ui, true);
        EXPECT_EQ(menu.window.back, (RgbColor{0x80, 0, 0}));
        d.OnCancel();
    };
    RunMenuCommand(menu.ctx, kMenuSettings);
    EXPECT_EQ(menu.dialogs.settingsShown, 1);
    EXPECT_EQ(menu.window.back, (RgbColor{200, 200, 255}));
    EXPECT_TRUE(menu.ctx.run.WakeRequest);
}

TEST(Dialogs_Settings, OkThroughTheMenuRebuildsTheWindowAndRegistersWhenFoldersChanged) {
    App app;
    AppendCapped(app.ctx.live.PlayList, app.ctx.live.PlayCount, SearchHit{"C:\\", "", "a.mp3"});
    app.ctx.player.DeviceOpen = true;
    app.dialogs.settings = [&app](SettingsDialog& d) {
        EXPECT_TRUE(app.ctx.run.SettingsDialogOpen);
        d.OnCheck(0, false);  // the internal player off
        d.OnCheck(4, false);  // not on top
        EXPECT_TRUE(d.OnOk(app.ui));
    };
    RunMenuCommand(app.ctx, kMenuSettings);
    EXPECT_FALSE(app.ctx.run.SettingsDialogOpen);
    EXPECT_EQ(app.ctx.live.PlayCount, 0);
    EXPECT_FALSE(app.ctx.live.PlayList.hasStorage);
    EXPECT_FALSE(app.ctx.player.DeviceOpen);
    EXPECT_FALSE(app.window.topMost);  // laid out again
    EXPECT_EQ(app.ctx.run.AppState, 10);

    App folders;
    folders.dialogs.settings = [&folders](SettingsDialog& d) {
        folders.ui.folders = {"C:\\Music"};
        d.OnAddFolder(folders.ui);
        EXPECT_TRUE(d.OnOk(folders.ui));
    };
    RunMenuCommand(folders.ctx, kMenuSettings);
    EXPECT_EQ(folders.ctx.run.AppState, 40);
    EXPECT_EQ(folders.Stored().WatchFolderSet.WatchFolders[0].Path, "c:\\music\\");
}

TEST(Dialogs_Settings, TheCloseBoxHidesUnlessTheProgramEnds) {
    App app;
    app.dialog.OnCheck(4, false);
    EXPECT_TRUE(app.dialog.OnClose());
    EXPECT_EQ(app.Stored().AlwaysOnTop, kTrue);  // nothing stored
    app.ctx.run.Quitting = true;
    EXPECT_FALSE(app.dialog.OnClose());
}

}  // namespace
}  // namespace tw
