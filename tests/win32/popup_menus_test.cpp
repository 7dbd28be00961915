// The system menus made from the program's menu model: captions in full
// (Japanese included), identifiers, greyed items, sub-menus and the new
// column, and every menu destroyed exactly once.
#include <gtest/gtest.h>

#include <string>

#include "menus/menu_model.h"
#include "model/app_context.h"
#include "model/defaults.h"
#include "platform/win32/wide.h"
#include "views/win32/win_popup_menus.h"

namespace tw::win {
namespace {

struct Item {
    long id;
    std::wstring caption;
    bool greyed, separator, newColumn;
    HMENU sub;
};

Item ItemAt(HMENU menu, int i) {
    wchar_t caption[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = caption;
    info.cch = 255;
    EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) << i;
    return {static_cast<long>(static_cast<int>(info.wID)), caption, (info.fState & MFS_GRAYED) != 0,
            (info.fType & MFT_SEPARATOR) != 0, (info.fType & MFT_MENUBARBREAK) != 0, info.hSubMenu};
}

struct State {
    AppContext ctx{Platform{}};
    State() {
        SetDefaults(ctx.live.Settings, 1024, 768);
        ctx.run.AppState = 31;
        AppendCapped(ctx.live.Search.SearchHits, ctx.live.Search.SearchHitCount,
                     SearchHit{"C:\\", "", "曲 テスト.mp3"});
        AppendCapped(ctx.live.PlayList, ctx.live.PlayCount, SearchHit{"C:\\", "", "Café ñ.mp3"});
        ctx.live.Library.RegisteredFileCount = 1;
    }
};

TEST(Win32_PopupMenus, TheMainMenuWithItsSubMenusAndSecondColumn) {
    State s;
    PopupMenus menus;
    const std::array<HMENU, 4> built = menus.Build(BuildMenuModel(s.ctx, kMenuMain));
    HMENU main = built[kMenuMain];
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(GetMenuItemCount(main), 20);

    Item results = ItemAt(main, 0);
    EXPECT_EQ(results.caption, L"\x691C\x7D22\x7D50\x679C");  // 検索結果
    EXPECT_EQ(results.sub, built[kMenuHits]);
    EXPECT_FALSE(results.greyed);
    EXPECT_TRUE(ItemAt(main, 2).separator);
    Item search = ItemAt(main, 3);
    EXPECT_EQ(search.id, 103);
    EXPECT_EQ(search.caption, L"\x691C\x7D22\x958B\x59CB");  // 検索開始
    EXPECT_TRUE(ItemAt(main, 4).greyed);  // no folder to register
    EXPECT_EQ(ItemAt(main, 9).id, 100);
    Item playList = ItemAt(main, 10);
    EXPECT_TRUE(playList.newColumn);
    EXPECT_EQ(playList.sub, built[kMenuPlayList]);
    EXPECT_TRUE(ItemAt(main, 14).greyed);  // 停止: nothing playing
    EXPECT_EQ(ItemAt(main, 15).sub, built[kMenuFileOps]);

    Item hit = ItemAt(built[kMenuHits], 0);
    EXPECT_EQ(hit.id, 1000);
    EXPECT_EQ(hit.caption, L"01 (&1)  \x66F2 \x30C6\x30B9\x30C8.mp3");
    EXPECT_EQ(ItemAt(built[kMenuPlayList], 0).caption, L"01 (&1)  Caf\x00E9 \x00F1.mp3");
    EXPECT_EQ(ItemAt(built[kMenuFileOps], 1).id, 109);

    menus.Destroy();
    for (HMENU m : built) EXPECT_FALSE(IsMenu(m));
}

TEST(Win32_PopupMenus, MenusTheMainMenuDoesNotTakeInAreDestroyedToo) {
    State s;
    s.ctx.live.Settings.UseInternalPlayer = kFalse;
    s.ctx.run.AppState = 21;
    PopupMenus menus;
    const std::array<HMENU, 4> built = menus.Build(BuildMenuModel(s.ctx, kMenuMain));
    EXPECT_EQ(GetMenuItemCount(built[kMenuMain]), 10);
    ASSERT_NE(built[kMenuPlayList], nullptr);  // built, but in no column
    const std::array<HMENU, 4> hits = menus.Build(BuildMenuModel(s.ctx, kMenuHits));
    for (HMENU m : built) EXPECT_FALSE(IsMenu(m));  // the next build took the old ones away
    ASSERT_EQ(GetMenuItemCount(hits[kMenuHits]), 3);
    Item playAll = ItemAt(hits[kMenuHits], 2);
    EXPECT_EQ(playAll.id, 102);
    EXPECT_EQ(playAll.caption, L"\x4E00\x62EC\x518D\x751F(&P)");  // 一括再生(&P)
    EXPECT_TRUE(ItemAt(hits[kMenuHits], 1).separator);
}

}  // namespace
}  // namespace tw::win
