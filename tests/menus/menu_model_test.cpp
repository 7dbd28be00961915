#include "menus/menu_model.h"

#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "menus/popup_menus.h"
#include "model/defaults.h"
#include "window/window_input.h"
#include "window/window_layout.h"

namespace tw {
namespace {

// An idle program with hits, a play list, registered files and a folder.
struct App : test::TestApp {
    App() {
        SetDefaults(ctx.live.Settings, 1024, 768);
        ctx.run.AppState = 31;
        for (const char* name : {"a.mp3", "b.mp3"})
            AppendCapped(ctx.live.Search.SearchHits, ctx.live.Search.SearchHitCount,
                         SearchHit{"C:\\m\\", "", name});
        for (const char* name : {"x.mp3", "y.mp3", "z.mp3"})
            AppendCapped(ctx.live.PlayList, ctx.live.PlayCount, SearchHit{"C:\\m\\", "", name});
        ctx.live.Library.RegisteredFileCount = 5;
        WatchFolderSet& w = ctx.live.Settings.WatchFolderSet;
        w.WatchFolders.Resize(1);
        w.WatchFolders[0] = {"C:\\m\\", kTrue};
        w.WatchFolderCount = 1;
    }
    MenuModel Main() const { return BuildMenuModel(ctx, kMenuMain); }
};

// One item as "caption id +|-", a sub-menu as "caption >menu +|-", "|" at
// a new column, "--" for a separator.
std::vector<std::string> Describe(const std::vector<MenuItem>& items) {
    std::vector<std::string> out;
    for (const MenuItem& i : items) {
        std::string d;
        switch (i.kind) {
        case MenuItem::Kind::Separator: out.push_back("--"); continue;
        case MenuItem::Kind::SubMenu: d = i.caption + " >" + std::to_string(i.subMenu); break;
        case MenuItem::Kind::Text: d = i.caption + " " + std::to_string(i.id); break;
        }
        d += i.enabled ? " +" : " -";
        if (i.newColumn) d = "| " + d;
        out.push_back(d);
    }
    return out;
}

TEST(Menus_Main, IdleWithTheInternalPlayer) {
    App app;
    const MenuModel m = app.Main();
    EXPECT_EQ(m.kind, kMenuMain);
    EXPECT_EQ(m.built, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(Describe(m.menus[kMenuMain]), (std::vector<std::string>{
        "検索結果 >0 +", "一括再生 102 +", "--", "検索開始 103 +", "mp3再登録 104 +", "設定 105 +", "--",
        "ウインドウを隠す 106 +", "バージョン情報 101 +", "終了 100 +",
        "| 再生リスト >2 +", "曲順シャッフル 107 +", "--", "再生 201 +", "停止 200 -", "ファイル操作 >3 +", "--",
        "前の曲 207 +", "今の曲 203 +", "次の曲 206 +"}));
    EXPECT_EQ(Describe(m.menus[kMenuFileOps]),
              (std::vector<std::string>{"ファイル名変更 108 +", "ファイル削除 109 +"}));
    EXPECT_EQ(Describe(m.menus[kMenuPlayList]), (std::vector<std::string>{
        "01 (&1)  x.mp3 2000 +", "02 (&2)  y.mp3 2001 +", "03 (&3)  z.mp3 2002 +"}));
    EXPECT_EQ(Describe(m.menus[kMenuHits]),
              (std::vector<std::string>{"01 (&1)  a.mp3 1000 +", "02 (&2)  b.mp3 1001 +"}));
}

TEST(Menus_Main, WithoutTheInternalPlayerOnlyTheFirstColumn) {
    App app;
    app.ctx.live.Settings.UseInternalPlayer = kFalse;
    app.ctx.live.Settings.NoExternalBatch = kTrue;
    app.ctx.run.AppState = 21;
    const MenuModel m = app.Main();
    EXPECT_EQ(Describe(m.menus[kMenuMain]), (std::vector<std::string>{
        "検索結果 >0 +", "一括再生 102 -", "--", "検索開始 103 +", "mp3再登録 104 +", "設定 105 +", "--",
        "ウインドウを隠す 106 +", "バージョン情報 101 +", "終了 100 +"}));
}

TEST(Menus_Main, WhileAJobRunsOnlyItsCancelAndTheAlwaysItemsAreEnabled) {
    struct Case {
        int16_t state;
        std::vector<std::string> first;
    } cases[] = {
        {51, {"検索結果 >0 -", "一括再生 102 -", "--", "検索の中止 103 +", "mp3再登録 104 -", "設定 105 -"}},
        {41, {"検索結果 >0 -", "一括再生 102 -", "--", "検索開始 103 -", "mp3登録中止 104 +", "設定 105 -"}},
        {64, {"検索結果 >0 -", "一括再生の中止 102 +", "--", "検索開始 103 -", "mp3再登録 104 -", "設定 105 -"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        App app;
        app.ctx.run.AppState = c.state;
        const MenuModel m = app.Main();
        std::vector<std::string> items = Describe(m.menus[kMenuMain]);
        EXPECT_EQ(std::vector<std::string>(items.begin(), items.begin() + 6), c.first);
        EXPECT_EQ(items[7], "ウインドウを隠す 106 +");
        EXPECT_EQ(items[9], "終了 100 +");
        EXPECT_EQ(Describe(m.menus[kMenuFileOps]),
                  (std::vector<std::string>{"ファイル名変更 108 -", "ファイル削除 109 -"}));
        EXPECT_EQ(items[11], "曲順シャッフル 107 +");  // the player column ignores jobs
    }
    App renaming;
    renaming.ctx.run.AppState = 91;
    EXPECT_EQ(Describe(renaming.Main().menus[kMenuFileOps]),
              (std::vector<std::string>{"ファイル名変更のキャンセル 108 +", "ファイル削除 109 -"}));
}

TEST(Menus_Main, ThePlayerItemsFollowThePlayer) {
    App app;
    app.ctx.player.PlayerState = 11;
    std::vector<std::string> items = Describe(app.Main().menus[kMenuMain]);
    EXPECT_EQ(items[13], "一時停止 201 +");
    EXPECT_EQ(items[14], "停止 200 +");
    // Paused or stopped with a position: stop stays offered.
    app.ctx.player.PlayerState = 0;
    app.ctx.player.PlayPosition = 65000;
    items = Describe(app.Main().menus[kMenuMain]);
    EXPECT_EQ(items[13], "再生 201 +");
    EXPECT_EQ(items[14], "停止 200 +");
    // Nothing to play: the list items are greyed, pause stays possible.
    App empty;
    empty.ctx.live.PlayCount = 0;
    empty.ctx.live.Search.SearchHitCount = 0;
    empty.ctx.live.Library.RegisteredFileCount = 0;
    empty.ctx.live.Settings.WatchFolderSet.WatchFolderCount = 0;
    items = Describe(empty.Main().menus[kMenuMain]);
    EXPECT_EQ(items[0], "検索結果 >0 -");
    EXPECT_EQ(items[3], "検索開始 103 -");
    EXPECT_EQ(items[4], "mp3再登録 104 -");
    EXPECT_EQ(std::vector<std::string>(items.begin() + 10, items.end()), (std::vector<std::string>{
        "| 再生リスト >2 -", "曲順シャッフル 107 -", "--", "再生 201 -", "停止 200 -", "ファイル操作 >3 -", "--",
        "前の曲 207 -", "今の曲 203 -", "次の曲 206 -"}));
    EXPECT_TRUE(empty.Main().menus[kMenuPlayList].empty());
}

TEST(Menus_Hits, TheHitsThenPlayAll) {
    struct Case {
        bool internal, noBatch, enabled;
    } cases[] = {{true, true, true}, {false, false, true}, {false, true, false}};
    for (const auto& c : cases) {
        App app;
        app.ctx.live.Settings.UseInternalPlayer = ToVBool(c.internal);
        app.ctx.live.Settings.NoExternalBatch = ToVBool(c.noBatch);
        const MenuModel m = BuildMenuModel(app.ctx, kMenuHits);
        EXPECT_EQ(m.built, (std::array<bool, 4>{true, false, false, false}));
        EXPECT_EQ(Describe(m.menus[kMenuHits]), (std::vector<std::string>{
            "01 (&1)  a.mp3 1000 +", "02 (&2)  b.mp3 1001 +", "--",
            std::string("一括再生(&P) 102 ") + (c.enabled ? "+" : "-")}));
    }
    App app;
    EXPECT_EQ(BuildMenuModel(app.ctx, 2).kind, -1);  // no other kind is built
}

TEST(Menus_Lists, NumbersAndAccessKeysRunOnPastTheKeys) {
    struct Case {
        int index;
        const char* caption;
    } cases[] = {{0, "01 (&1)  f"}, {8, "09 (&9)  f"}, {9, "10 (&0)  f"}, {10, "11 (&a)  f"},
                 {11, "12 (&b)  f"}, {35, "36 (&z)  f"}, {36, "37 (&1)  f"}, {99, "100 (&r)  f"},
                 {1000, "1001 (&s)  f"}};
    for (const auto& c : cases) EXPECT_EQ(ListItemCaption(c.index, "f"), c.caption) << c.index;
}

TEST(Menus_Lists, ALongPlayListIsListedWholeWithIdentifiersPastTheRange) {
    App app;
    app.ctx.live.PlayList.Clear();
    app.ctx.live.PlayCount = 0;
    for (int i = 0; i < 1002; ++i)
        AppendCapped(app.ctx.live.PlayList, app.ctx.live.PlayCount, SearchHit{"C:\\", "", "t.mp3"});
    const MenuModel m = app.Main();
    const std::vector<MenuItem>& list = m.menus[kMenuPlayList];
    ASSERT_EQ(list.size(), 1002u);
    EXPECT_EQ(list[999].id, 2999);
    EXPECT_EQ(list[1001].id, 3001);
}

TEST(Menus_Show, ARightPressOpensTheMainMenuAndASearchItsHits) {
    App app;
    ApplyWindowSettings(app.ctx);
    app.ctx.win.Opacity = 1.0f;
    Form_MouseDown(app.ctx, kButtonRight, 0, 5, 5);
    PopupTimer_Timer(app.ctx);
    ASSERT_EQ(app.window.menusShown.size(), 1u);
    EXPECT_EQ(app.window.menusShown[0].kind, kMenuMain);
    EXPECT_FALSE(app.window.timers[TimerId::Popup]);

    app.ctx.run.PendingMenu = 0;  // what the end of a search asks for
    app.window.SetTimerEnabled(TimerId::Popup, true);
    PopupTimer_Timer(app.ctx);
    ASSERT_EQ(app.window.menusShown.size(), 2u);
    EXPECT_EQ(app.window.menusShown[1].kind, kMenuHits);
    DestroyMenus(app.ctx);
    EXPECT_EQ(app.window.menusDestroyed, 1);
}

}  // namespace
}  // namespace tw
