#include "app/main_tick.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/work_scheduler.h"
#include "fakes/fakes.h"
#include "model/defaults.h"

namespace tw {
namespace {

// The application on fakes with the default settings, ticked by hand.
struct App : test::TestApp {
    App() { SetDefaults(ctx.live.Settings, 1024, 768); }
    void Tick(uint32_t afterMs = 0) {
        clock.Advance(afterMs);
        MainTick(ctx);
    }
    std::string Shown() const { return window.statusShown.empty() ? std::string() : window.statusShown.back(); }
    bool EverShown(const std::string& prefix) const {
        return std::any_of(window.statusShown.begin(), window.statusShown.end(),
                           [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
    }
    void SetHits(const std::vector<SearchHit>& hits) {
        ctx.live.Search.SearchHits.Clear();
        ctx.live.Search.SearchHitCount = 0;
        for (const SearchHit& h : hits)
            AppendCapped(ctx.live.Search.SearchHits, ctx.live.Search.SearchHitCount, h);
    }
    void SetPlayList(const std::vector<SearchHit>& list) {
        ctx.live.PlayList.Clear();
        ctx.live.PlayCount = 0;
        for (const SearchHit& h : list) AppendCapped(ctx.live.PlayList, ctx.live.PlayCount, h);
    }
};

std::vector<SearchHit> NumberedHits(int n) {
    std::vector<SearchHit> hits;
    for (int i = 0; i < n; ++i) hits.push_back({"D:\\m\\", "", std::to_string(i) + ".mp3"});
    return hits;
}

TEST(Core_FormatTime, MinutesOfAtLeastTwoDigitsAndSeconds) {
    struct Case { int32_t ms; const char* text; } cases[] = {
        {0, "00:00"}, {999, "00:00"}, {1000, "00:01"}, {59999, "00:59"}, {60000, "01:00"},
        {65432, "01:05"}, {3723000, "62:03"}, {6000000, "100:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatTime(c.ms), c.text) << c.ms;
}

TEST(Core_Tick, StartBannerAndFileCountGiveWayToTheIdleText) {
    struct Case {
        int32_t files;
        int16_t folders;
        bool internal;
        const char* report;
        const char* idle;
        int16_t rest;
    } cases[] = {
        {12, 1, false, "12 個のファイルから検索が出来ます", "検索する語句を入力してください", 21},
        {0, 0, false, "検索するフォルダの設定をしてください", "検索するフォルダの設定をしてください", 21},
        {0, 2, false, "検索するフォルダの設定を確認してください", "検索するフォルダの設定を確認してください", 21},
        {3, 1, true, "3 個のファイルから検索が出来ます", "停止  待機しています", 31},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.report);
        App app;
        app.ctx.live.Library.RegisteredFileCount = c.files;
        app.ctx.live.Settings.WatchFolderSet.WatchFolderCount = c.folders;
        app.ctx.live.Settings.UseInternalPlayer = ToVBool(c.internal);
        app.Tick();
        const std::string banner = std::string("Tunewhistle version 3.10\r\n") + c.report;
        EXPECT_EQ(app.Shown(), banner);
        EXPECT_TRUE(app.ctx.run.WakeRequest);
        app.Tick(16);
        EXPECT_EQ(app.ctx.run.AppState, c.rest);
        EXPECT_EQ(app.window.boxEnabled, c.files > 0);
        app.Tick(2499 - 16);
        EXPECT_EQ(app.Shown(), banner);
        app.Tick(1);
        EXPECT_EQ(app.Shown(), c.idle);
    }
}

TEST(Core_Tick, AMessageStaysFor2500MsAlsoAcrossTheTickWrap) {
    for (uint32_t start : {0x7FFFFF00u, 0xFFFFFC00u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(start);
        App app;
        app.clock.now = start;
        app.Tick();
        const std::string banner = app.Shown();
        app.Tick(2499);
        EXPECT_EQ(app.Shown(), banner);
        app.Tick(1);
        EXPECT_EQ(app.Shown(), "停止  待機しています");
        EXPECT_EQ(app.ctx.run.MessageTime, 0u);
    }
}

TEST(Core_Tick, AZeroStampIsNeverFreshAndBusyShowsTheMessageAtAnyAge) {
    App app;
    app.clock.now = 1000;  // less than 2.5 s after tick 0
    app.ctx.run.AppState = 21;
    app.ctx.run.MessageText = "old news";
    app.ctx.run.IdleText = "resting";
    app.ctx.run.MessageTime = 0;
    app.Tick();
    EXPECT_EQ(app.Shown(), "resting");

    app.ctx.run.AppState = 51;
    app.ctx.run.Busy = true;
    app.ctx.live.Search.SearchHitCount = 7;
    app.Tick(60000);
    EXPECT_EQ(app.Shown(), "検索中...\r\n7 個のファイルが見つかりました");
    EXPECT_EQ(app.ctx.run.AppState, 51);
}

TEST(Core_Tick, JobOutcomesAreReportedAndTheHitMenuAskedFor) {
    struct Case {
        const char* name;
        int16_t state;
        void (*setup)(App&);
        const char* text;
        bool menu;
    } cases[] = {
        {"registration cancelled, no tags", 47,
         [](App& a) {
             a.ctx.live.Settings.UseTagInfo = kFalse;
             a.ctx.live.Library.RegisteredFileCount = 4;
         },
         "登録中止\r\n4個のファイルを登録しました", false},
        {"some tags read", 48,
         [](App& a) {
             a.ctx.live.Library.RegisteredFileCount = 5;
             a.ctx.live.Library.TagsReadCount = 3;
         },
         "登録完了\r\n5個のファイルを登録し、3 個のファイルのタグ情報を読み込みました", false},
        {"entries over the limit", 48,
         [](App& a) {
             a.ctx.live.Settings.UseTagInfo = kFalse;
             a.ctx.live.Library.RegisteredFileCount = 32767;
             a.ctx.run.FilesOverLimit = 3;
             a.ctx.run.FoldersOverLimit = 2;
         },
         "登録完了\r\n32767個のファイルを登録しました"
         "\r\n上限を超えたため 3 個のファイルを登録できませんでした"
         "\r\n上限を超えたため 2 個のフォルダを登録できませんでした",
         false},
        {"search cancelled", 57, [](App& a) { a.SetHits(NumberedHits(4)); },
         "検索中止\r\n4 個のファイルが見つかりました", false},
        {"search reached the cap", 58, [](App& a) { a.SetHits(NumberedHits(30)); },
         "検索中止\r\n30 個以上のファイルが見つかりました", true},
        {"search found some", 58, [](App& a) { a.SetHits(NumberedHits(2)); },
         "検索完了\r\n2 個のファイルが見つかりました", true},
        {"search found none", 58, [](App&) {}, "検索完了\r\n0 個のファイルが見つかりました", false},
        {"play-all cancelled before the first", 65,
         [](App& a) {
             a.SetHits(NumberedHits(3));
             a.ctx.run.ChosenHit = -1;
         },
         "一括再生中止 (外部)", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        App app;
        app.ctx.live.Settings.UseInternalPlayer = kFalse;
        app.ctx.live.Library.RegisteredFileCount = 1;
        c.setup(app);
        app.ctx.run.Busy = true;
        app.ctx.run.AppState = c.state;
        app.Tick();
        EXPECT_EQ(app.Shown(), c.text);
        EXPECT_EQ(app.ctx.run.AppState, 21);
        EXPECT_FALSE(app.ctx.run.Busy);
        EXPECT_EQ(app.ctx.run.MessageTime, app.clock.now);
        EXPECT_EQ(app.window.timers[TimerId::Popup], c.menu);
        EXPECT_EQ(app.ctx.run.PendingMenu, c.menu ? 0 : -1);
        app.Tick(2500);
        EXPECT_NE(app.Shown(), c.text);
    }
}

// A small library to search: one file in the root folder, two below it.
struct SearchApp : App {
    SearchApp() {
        RootEntry root{"D:\\m\\", {}, 0, {}, 0, 0};
        AppendCapped(root.Folders, root.FolderCount, FolderEntry{"", -1, ""});
        AppendCapped(root.Folders, root.FolderCount, FolderEntry{"sub", 0, ""});
        for (auto [name, folder] : {std::pair{"top.mp3", 0}, {"x.mp3", 1}, {"y.mp3", 1}})
            AppendCapped(root.Tracks, root.TrackCount, TrackEntry{name, int16_t(folder), "", "", "", ""});
        AppendCapped(ctx.live.Library.LibraryRoots, ctx.live.Library.RootCount, root);
        ctx.live.Library.RegisteredFileCount = 3;
    }
    // Enter in the box, the job with the tick running inside its yields,
    // then the tick that reports.
    void Search(const std::string& keyword) {
        window.boxText = keyword;
        ctx.run.AppState = 50;
        Tick();
        ASSERT_EQ(ctx.run.AppState, 51);
        EXPECT_EQ(ctx.live.Settings.Keyword, keyword);
        EXPECT_TRUE(ctx.run.Busy);
        EXPECT_EQ(Shown(), "検索中...\r\n0 個のファイルが見つかりました");
        ASSERT_TRUE(window.timers[TimerId::Next]);
        pump.every = [&] { Tick(1); };
        RunWorkStep(ctx);
        pump.every = nullptr;
        Tick(1);
    }
};

TEST(Core_TickSearch, SeveralHitsAreCountedWhileSearchingAndOfferTheMenu) {
    SearchApp app;
    AppContext& ctx = app.ctx;
    app.Search("MP3");
    EXPECT_TRUE(app.EverShown("検索中...\r\n2 個のファイルが見つかりました"));
    EXPECT_EQ(app.Shown(), "検索完了\r\n3 個のファイルが見つかりました");
    EXPECT_EQ(ctx.run.PendingMenu, 0);
    EXPECT_TRUE(app.window.timers[TimerId::Popup]);
    EXPECT_FALSE(ctx.run.Busy);
    EXPECT_EQ(ctx.run.AppState, 31);
    app.Tick(2500);
    EXPECT_EQ(app.Shown(), "停止  待機しています");
}

TEST(Core_TickSearch, ExactlyOneHitIsPlayedOrItsFolderOpenedWithoutTheMenu) {
    struct Case {
        const char* name;
        bool internal, shift;
        const char* message;
        size_t playCount, shellCalls;
        std::vector<std::string> started;
        const char* idleAfter;
    } cases[] = {
        {"internal player", true, false, "再生します\r\nx.mp3 ( sub\\ )", 1, 0, {}, nullptr},
        {"shell", false, false, "再生完了 (外部)\r\nx.mp3 ( sub\\)", 0, 1, {}, "検索する語句を入力してください"},
        {"shift opens the folder", true, true, "フォルダを開きます... \r\nsub\\x.mp3", 0, 0,
         {"explorer.exe \"D:\\m\\sub\""}, "停止  待機しています"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SearchApp app;
        AppContext& ctx = app.ctx;
        ctx.live.Settings.UseInternalPlayer = ToVBool(c.internal);
        app.system.shift = c.shift;
        app.Search("x");
        EXPECT_EQ(ctx.run.MessageText, c.message);
        EXPECT_EQ(static_cast<size_t>(ctx.live.PlayCount), c.playCount);
        if (c.playCount) {
            EXPECT_EQ(ctx.live.PlayList[0], (SearchHit{"D:\\m\\", "sub\\", "x.mp3"}));
        }
        ASSERT_EQ(app.shell.executed.size(), c.shellCalls);
        if (c.shellCalls) {
            const test::ShellCall& call = app.shell.executed[0];
            EXPECT_TRUE(call.ownedByMainWindow);
            EXPECT_EQ(call.file, "D:\\m\\sub\\x.mp3");
            EXPECT_EQ(call.parameters, "");
            EXPECT_EQ(call.directory, "");
            EXPECT_EQ(call.showMode, 8);
        }
        EXPECT_EQ(app.shell.started, c.started);
        EXPECT_FALSE(app.window.timers[TimerId::Popup]);
        EXPECT_EQ(ctx.run.PendingMenu, -1);
        EXPECT_FALSE(app.EverShown("検索完了"));
        EXPECT_FALSE(ctx.run.Busy);
        if (c.idleAfter) {
            EXPECT_EQ(app.Shown(), c.message);
            app.Tick(2500);
            EXPECT_EQ(app.Shown(), c.idleAfter);
        }
    }
}

TEST(Core_Tick, PlayingAChoiceFromTheHitMenu) {
    const SearchHit inRoot{"D:\\m\\", "", "a.mp3"}, below{"D:\\m\\", "sub\\", "b.mp3"};
    const SearchHit old{"C:\\", "", "old.mp3"};
    struct Case {
        const char* name;
        int16_t chosen;
        bool shift, internal;
        const char* message;
        std::vector<SearchHit> playList;
        std::vector<std::string> started;
        const char* executed;
        int16_t state;
    } cases[] = {
        {"shift, root folder", 0, true, true, "フォルダを開きます... \r\na.mp3", {old},
         {"explorer.exe \"D:\\m\""}, nullptr, 31},
        {"shift, sub-folder", 1, true, false, "フォルダを開きます... \r\nsub\\b.mp3", {old},
         {"explorer.exe \"D:\\m\\sub\""}, nullptr, 21},
        {"shift does not apply to all", -1, true, true, "一括再生します  ( 2 曲 )", {inRoot, below},
         {}, nullptr, 31},
        {"one hit, internal", 1, false, true, "再生します\r\nb.mp3 ( sub\\ )", {below}, {}, nullptr, 31},
        {"one hit, shell", 0, false, false, "再生完了 (外部)\r\na.mp3 ( )", {old}, {}, "D:\\m\\a.mp3", 21},
        {"all hits, shell", -1, false, false, "一括再生中... (外部)", {old}, {}, nullptr, 64},
        {"stale choice", 2, false, true, "before", {old}, {}, nullptr, 31},
        {"stale choice, shift", 5, true, false, "before", {old}, {}, nullptr, 21},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        App app;
        app.ctx.live.Settings.UseInternalPlayer = ToVBool(c.internal);
        app.system.shift = c.shift;
        app.SetHits({inRoot, below});
        app.SetPlayList({old});
        app.ctx.run.MessageText = "before";
        app.ctx.run.ChosenHit = c.chosen;
        app.ctx.run.AppState = 60;
        app.Tick();
        EXPECT_EQ(app.ctx.run.MessageText, c.message);
        EXPECT_EQ(std::vector<SearchHit>(app.ctx.live.PlayList.items.begin(),
                                         app.ctx.live.PlayList.items.begin() + app.ctx.live.PlayCount),
                  c.playList);
        EXPECT_EQ(app.shell.started, c.started);
        ASSERT_EQ(app.shell.executed.size(), c.executed ? 1u : 0u);
        if (c.executed) {
            EXPECT_EQ(app.shell.executed[0].file, c.executed);
        }
        EXPECT_EQ(app.ctx.run.AppState, c.state);
        EXPECT_EQ(app.window.timers[TimerId::Next], c.state == 64);
        EXPECT_EQ(app.ctx.run.Busy, c.state == 64);
    }
}

TEST(Core_Tick, PlayingAllHitsShufflesThemWhenAsked) {
    App app;
    app.ctx.live.Settings.ShuffleOnList = kTrue;
    const std::vector<SearchHit> hits = NumberedHits(8);
    app.SetHits(hits);
    app.ctx.run.ChosenHit = -1;
    app.ctx.run.AppState = 60;
    app.Tick();
    EXPECT_EQ(app.ctx.run.MessageText, "一括再生します  ( 8 曲 ランダム )");
    ASSERT_EQ(app.ctx.live.PlayCount, 8);
    EXPECT_EQ(app.ctx.player.PlayIndex, 0);
    std::vector<SearchHit> list = app.ctx.live.PlayList.items;
    EXPECT_NE(list, hits);
    auto byName = [](const SearchHit& a, const SearchHit& b) { return a.FileName < b.FileName; };
    std::sort(list.begin(), list.end(), byName);
    EXPECT_EQ(list, hits);
    EXPECT_EQ(app.ctx.live.Search.SearchHits.items, hits);
}

TEST(Core_Tick, PlayingThroughTheShellDrawsFirstAndDoesNotReenter) {
    App app;
    app.ctx.live.Settings.UseInternalPlayer = kFalse;
    app.SetHits({{"D:\\m\\", "sub\\", "b.mp3"}});
    std::string shownAtYield;
    size_t callsAtYield = 99, shownCount = 0;
    int16_t stateAfterNestedTick = 0;
    app.pump.at[1] = [&] {
        shownAtYield = app.Shown();
        callsAtYield = app.shell.executed.size();
        shownCount = app.window.statusShown.size();
        MainTick(app.ctx);  // MainTimer fires while the tick yields
        stateAfterNestedTick = app.ctx.run.AppState;
        EXPECT_EQ(app.window.statusShown.size(), shownCount);
    };
    app.ctx.run.ChosenHit = 0;
    app.ctx.run.AppState = 60;
    app.Tick();
    EXPECT_EQ(shownAtYield, "再生中... (外部)\r\nb.mp3 ( sub\\)");
    EXPECT_EQ(callsAtYield, 0u);
    EXPECT_EQ(stateAfterNestedTick, 61);
    EXPECT_EQ(app.pump.yields, 1);
    EXPECT_EQ(app.shell.executed.size(), 1u);
    EXPECT_EQ(app.Shown(), "再生完了 (外部)\r\nb.mp3 ( sub\\)");
    EXPECT_EQ(app.ctx.run.AppState, 21);
}

TEST(Core_Tick, PlayStatusByPlayerState) {
    const std::string entry = "\r\nb.mp3 ( sub\\ )";
    struct Case { int16_t state; int32_t position; std::string text; } cases[] = {
        {0, 0, "停止中 No.2" + entry},
        {60, 0, "停止中 No.2" + entry},
        {10, 65432, "再生中 No.2 01:05  -01:54" + entry},
        {11, 0, "再生中 No.2 00:00  -03:00" + entry},
        {20, 179999, "再生中 No.2 02:59  -00:00" + entry},
        {30, 5000, "変更中 No.2" + entry},
        {80, 0, "エラー No.2" + entry},
        {81, 0, "エラー No.2" + entry},
        {40, 1000, "unchanged"},
        {70, 0, "unchanged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        App app;
        app.SetPlayList({{"D:\\m\\", "", "a.mp3"}, {"D:\\m\\", "sub\\", "b.mp3"}});
        app.ctx.player.PlayIndex = 1;
        app.ctx.player.PlayerState = c.state;
        app.ctx.player.PlayPosition = c.position;
        app.ctx.player.TrackLength = 180000;
        app.ctx.player.DeviceOpen = true;
        app.ctx.run.IdleText = "unchanged";
        app.ctx.run.AppState = 31;
        app.Tick();
        EXPECT_EQ(app.ctx.run.IdleText, c.text);
        EXPECT_EQ(app.Shown(), c.text);
    }
}

TEST(Core_Tick, APausedTimeBlinksAlsoAcrossTheTickWrap) {
    App app;
    app.SetPlayList({{"D:\\m\\", "", "a.mp3"}});
    app.ctx.player.PlayerState = 0;
    app.ctx.player.PlayPosition = 65000;
    app.ctx.player.TrackLength = 180000;
    app.ctx.player.DeviceOpen = true;
    app.ctx.run.AppState = 31;
    app.clock.now = 0xFFFFFE00u;  // the counter wraps 512 ms from now
    const std::string on = "停止中 No.1 01:05  -01:55\r\na.mp3 (  )";
    const std::string off = "停止中 No.1\r\na.mp3 (  )";
    struct Step { uint32_t after; const std::string& text; } steps[] = {
        {0, on},     // a blink starts
        {500, on},   // 500 ms in
        {1, off},
        {498, off},  // 999 ms in, past the wrap
        {1, off},    // 1000 ms in
        {1, on},     // the next blink
        {500, on},
        {1, off},
        {999, off},  // 1500 ms in
        {1, on},     // the next blink
        {1501, on},  // a long gap starts a new blink at once
    };
    uint32_t total = 0;
    for (const Step& s : steps) {
        total += s.after;
        SCOPED_TRACE(total);
        app.Tick(s.after);
        EXPECT_EQ(app.Shown(), s.text);
    }
}

// The second play-list entry is current; its file lies in the root folder.
struct RenameApp : App {
    const SearchHit current{"D:\\m\\", "", "b.mp3"};
    RenameApp() {
        files.AddFile("D:\\m\\b.mp3");
        files.AddFile("D:\\m\\taken.mp3");
        SetPlayList({{"D:\\m\\", "sub\\", "a.mp3"}, current});
        SetHits({current});
        ctx.player.PlayIndex = 1;
        ctx.run.AppState = 31;
        window.boxText = "jazz";
        window.boxEnabled = false;
    }
};

TEST(Core_TickRename, TheBoxAsksForTheNameAndTheResultNamesTheOldFile) {
    struct Case {
        const char* name;
        std::string typed;
        int16_t commit;  // 95 Enter, 98 Esc
        int ticks;       // until the box is given back
        std::string message;
        std::string nameAfter;
    } cases[] = {
        {"renamed", "c.mp3", 95, 3, "変更しました\r\nb.mp3", "c.mp3"},
        {"name taken", "taken.mp3", 95, 3, "変更できませんでした\r\nb.mp3", "b.mp3"},
        {"cancelled", "c.mp3", 98, 1, "変更をキャンセルしました\r\nb.mp3", "b.mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RenameApp app;
        AppContext& ctx = app.ctx;
        ctx.run.AppState = 90;
        app.Tick();
        EXPECT_EQ(ctx.run.AppState, 91);
        EXPECT_EQ(app.window.boxText, "b.mp3");
        EXPECT_TRUE(app.window.boxSelected);
        EXPECT_TRUE(app.window.boxEnabled);
        EXPECT_TRUE(ctx.run.Renaming);
        EXPECT_EQ(ctx.run.RenameItem, app.current);
        EXPECT_EQ(app.Shown(), "ファイル名を変更します\r\nESCでキャンセル");
        EXPECT_EQ(ctx.run.IdleText, "ファイル名を変更します\r\nb.mp3");
        app.Tick(3000);  // waits as long as it takes
        EXPECT_EQ(ctx.run.AppState, 91);
        EXPECT_EQ(app.Shown(), "ファイル名を変更します\r\nb.mp3");

        app.window.boxText = c.typed;
        app.window.boxSelected = false;
        ctx.run.AppState = c.commit;
        for (int i = 1; i < c.ticks; ++i) {
            app.Tick(16);
            EXPECT_TRUE(ctx.run.Renaming);
        }
        app.Tick(16);
        EXPECT_EQ(ctx.run.AppState, 31);
        EXPECT_EQ(app.Shown(), c.message);
        EXPECT_EQ(app.window.boxText, "jazz");
        EXPECT_TRUE(app.window.boxSelected);
        EXPECT_FALSE(ctx.run.Renaming);
        EXPECT_EQ(ctx.live.PlayList[1].FileName, c.nameAfter);
        EXPECT_EQ(ctx.live.Search.SearchHits[0].FileName, c.nameAfter);
        EXPECT_TRUE(app.files.files.count("D:\\m\\" + c.nameAfter));
        app.Tick(2500);
        EXPECT_EQ(app.Shown(), "停止中 No.2\r\n" + c.nameAfter + " (  )");
    }
}

TEST(Core_TickRename, NothingToRenameWithAnEmptyPlayList) {
    RenameApp app;
    AppContext& ctx = app.ctx;
    app.SetPlayList({});
    ctx.run.IdleText = "resting";
    ctx.run.AppState = 90;
    app.Tick();
    EXPECT_EQ(ctx.run.AppState, 31);
    EXPECT_FALSE(ctx.run.Renaming);
    EXPECT_EQ(app.window.boxText, "jazz");
    EXPECT_EQ(app.Shown(), "停止  待機しています");
}

}  // namespace
}  // namespace tw
