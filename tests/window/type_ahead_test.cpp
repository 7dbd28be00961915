#include "window/type_ahead.h"

#include <gtest/gtest.h>

#include "app/main_tick.h"
#include "app/work_scheduler.h"
#include "fakes/fakes.h"
#include "menus/menu_commands.h"
#include "model/menu_items.h"
#include "model/defaults.h"
#include "search/keyword_search.h"
#include "window/window_layout.h"

namespace tw {
namespace {

struct App : test::TestApp {
    App() {
        Settings& s = ctx.live.Settings;
        SetDefaults(s, 1024, 768);
        s.SearchAsYouType = kTrue;
        ApplyWindowSettings(ctx);
        RootEntry root;
        root.Path = "D:\\m\\";
        AppendCapped(root.Folders, root.FolderCount, FolderEntry{"", -1, ""});
        for (const char* name : {"rock1.mp3", "blues.mp3", "rock2.mp3", "rocket.mp3", "roll.mp3", "jazz.mp3"})
            AppendCapped(root.Tracks, root.TrackCount, TrackEntry{name, 0, "", "", "", ""});
        TrackLibrary& lib = ctx.live.Library;
        AppendCapped(lib.LibraryRoots, lib.RootCount, std::move(root));
        lib.RegisteredFileCount = 6;
        ctx.run.AppState = 21;
        ctx.live.Settings.Keyword = "before";
    }
    // The user types: the box holds `text` and says it changed.
    void Type(const std::string& text) {
        window.boxText = text;
        Tb_Change(ctx);
    }
    void After(uint32_t ms) {
        clock.Advance(ms);
        TypeAheadTick(ctx);
    }
};

TEST(Window_TypeAhead, SearchesAfterAPauseAndShowsTheCountAndHits) {
    App app;
    app.Type("rock");
    app.After(149);
    EXPECT_TRUE(app.ctx.run.MessageText.empty());
    app.After(1);
    EXPECT_EQ(app.ctx.run.MessageText, "3 個のファイルが見つかりました\r\nrock1.mp3\r\nrock2.mp3\r\nrocket.mp3");
    EXPECT_EQ(app.ctx.run.MessageTime, app.clock.now);
    // Neither the keyword nor the hits, and no menu.
    EXPECT_EQ(app.ctx.live.Settings.Keyword, "before");
    EXPECT_EQ(app.ctx.live.Search.SearchHitCount, 0);
    EXPECT_EQ(app.ctx.run.PendingMenu, -1);
    // Only once for one change.
    app.ctx.run.MessageText.clear();
    app.After(500);
    EXPECT_TRUE(app.ctx.run.MessageText.empty());

    // The cap, as Enter's search says it; the names as the lines allow.
    app.ctx.live.Settings.MaxHits = 3;
    app.ctx.live.Settings.TextLines = 3;
    app.Type("ro");
    app.After(150);
    EXPECT_EQ(app.ctx.run.MessageText, "3 個以上のファイルが見つかりました\r\nrock1.mp3\r\nrock2.mp3");
}

TEST(Window_TypeAhead, WaitsForTheTypingTheImeAndARestingProgram) {
    const struct {
        const char* what;
        void (*edit)(App&);
    } quiet[] = {
        {"the setting off", [](App& a) { a.ctx.live.Settings.SearchAsYouType = kFalse; }},
        {"a composition open", [](App& a) { Tb_Composition(a.ctx, true); }},
        {"a job running", [](App& a) { a.ctx.run.AppState = 41; }},
        {"renaming", [](App& a) { a.ctx.run.Renaming = true; }},
        {"another key within the pause", [](App& a) {
             a.After(100);
             a.Type("rocke");
         }},
    };
    for (const auto& c : quiet) {
        SCOPED_TRACE(c.what);
        App app;
        app.Type("rock");
        c.edit(app);
        app.After(149);
        EXPECT_TRUE(app.ctx.run.MessageText.empty());
    }
    // The composition's end is a change: the pause starts from there.
    App ime;
    ime.Type("rock");
    Tb_Composition(ime.ctx, true);
    ime.After(1000);
    Tb_Composition(ime.ctx, false);
    ime.After(149);
    EXPECT_TRUE(ime.ctx.run.MessageText.empty());
    ime.After(1);
    EXPECT_EQ(ime.ctx.run.MessageText.substr(0, 1), "3");
}

// Enter right after the result opens the hit menu (or plays the single
// hit) without a search; a text changed since is searched as ever.
TEST(Window_TypeAhead, EnterTakesTheResultOfTheSameText) {
    enum Then { Menu, Plays, Searches };
    const struct {
        const char* typed;
        const char* atEnter;
        bool changedSince;
        Then then;
        int16_t hits;  // after one main tick
    } cases[] = {
        {"rock", "rock", false, Menu, 3},
        {"jazz", "jazz", false, Plays, 1},      // by the shell's player here
        {"rock", "rocke", true, Searches, 0},  // the job runs, as ever
        {"rock", "rock", true, Searches, 0},   // typed again, not searched yet
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.atEnter);
        App app;
        app.ctx.live.Settings.UseInternalPlayer = kFalse;
        app.Type(c.typed);
        app.After(150);
        if (c.changedSince) app.Type(c.atEnter);
        app.ctx.run.AppState = 50;
        MainTick(app.ctx);
        EXPECT_EQ(app.ctx.run.AppState, c.then == Searches ? 51 : 21);
        EXPECT_EQ(app.ctx.live.Search.SearchHitCount, c.hits);
        EXPECT_EQ(app.ctx.live.Settings.Keyword, c.atEnter);
        EXPECT_EQ(app.window.timers[TimerId::Next], c.then == Searches);
        EXPECT_EQ(app.window.timers[TimerId::Popup], c.then == Menu);
        EXPECT_EQ(app.shell.executed.size(), c.then == Plays ? 1u : 0u);
        if (c.then == Menu && app.ctx.live.Search.SearchHitCount > 1) {
            EXPECT_EQ(app.ctx.live.Search.SearchHits[1].FileName, "rock2.mp3");
        }
    }
}

// Narrowing keystroke by keystroke ends with what a fresh search finds,
// at the cap too, and looks only at what the last result held.
TEST(Window_TypeAhead, NarrowingFindsWhatAFreshSearchFinds) {
    const std::vector<std::vector<std::string>> sequences = {
        {"r", "ro", "roc", "rock", "rock2"},
        {"o", "o ", "o r", "o ro", "o roc"},
        {"ro", "rol", "ro"},  // back to a shorter text: searched afresh
        {"j", "ja", "jb"},
        {"jazz", "rock1"},  // longer, but another keyword
    };
    for (int16_t cap : {30, 2}) {
        for (const auto& typed : sequences) {
            SCOPED_TRACE(typed.back() + " at a cap of " + std::to_string(cap));
            App app;
            app.ctx.live.Settings.MaxHits = cap;
            for (const std::string& t : typed) {
                app.Type(t);
                app.After(150);
            }
            App fresh;
            fresh.ctx.live.Settings.MaxHits = cap;
            SearchTracks(fresh.ctx.live.Search, fresh.ctx.live.Library, fresh.ctx.live.Settings, fresh.codec,
                         JobOf(fresh.ctx), typed.back());
            ASSERT_TRUE(TakeTypeAheadResult(app.ctx, typed.back()));
            const SearchState &got = app.ctx.live.Search, &want = fresh.ctx.live.Search;
            ASSERT_EQ(got.SearchHitCount, want.SearchHitCount);
            for (int16_t i = 0; i < want.SearchHitCount; ++i) EXPECT_EQ(got.SearchHits[i], want.SearchHits[i]);
        }
    }
    // A track added behind the search's back is not looked at by a
    // narrowing keystroke, only by a fresh search.
    App app;
    app.Type("roc");
    app.After(150);
    RootEntry& root = app.ctx.live.Library.LibraryRoots[0];
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"rock9.mp3", 0, "", "", "", ""});
    app.Type("rock");
    app.After(150);
    EXPECT_EQ(app.ctx.run.MessageText.substr(0, 1), "3");
    app.Type("ro");
    app.After(150);
    EXPECT_EQ(app.ctx.run.MessageText.substr(0, 1), "5");
}

TEST(Window_TypeAhead, AJobOrNewSettingsDropTheResult) {
    App app;
    app.Type("rock");
    app.After(150);
    app.ctx.run.AppState = 41;  // a registration
    TypeAheadTick(app.ctx);
    app.ctx.run.AppState = 21;
    EXPECT_FALSE(TakeTypeAheadResult(app.ctx, "rock"));
    // Settings applied through the menu: the search targets may differ.
    app.Type("rock");
    app.After(150);
    app.dialogs.settings = [](SettingsDialog& d) {
        test::ScriptedSettingsUi ui;
        d.OnCheck(4, false);
        EXPECT_TRUE(d.OnOk(ui));
    };
    RunMenuCommand(app.ctx, kMenuSettings);
    app.ctx.run.AppState = 21;
    EXPECT_FALSE(TakeTypeAheadResult(app.ctx, "rock"));
}

}  // namespace
}  // namespace tw
