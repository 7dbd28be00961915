#include "menus/menu_model.h"

#include "model/app_context.h"
#include "playback/player.h"

namespace tw {

namespace {

MenuItem Text(int32_t id, std::string caption, bool enabled) {
    MenuItem item;
    item.id = id;
    item.caption = std::move(caption);
    item.enabled = enabled;
    return item;
}

MenuItem Separator() {
    MenuItem item;
    item.kind = MenuItem::Kind::Separator;
    return item;
}

MenuItem Sub(int16_t menu, std::string caption, bool enabled, bool newColumn = false) {
    MenuItem item;
    item.kind = MenuItem::Kind::SubMenu;
    item.subMenu = menu;
    item.caption = std::move(caption);
    item.enabled = enabled;
    item.newColumn = newColumn;
    return item;
}

int32_t PlayerItem(int16_t code) { return static_cast<int32_t>(kMenuPlayerBase) + code; }

std::vector<MenuItem> NumberedList(const StoredArray<SearchHit>& list, int16_t count, int32_t base) {
    std::vector<MenuItem> items;
    for (int i = 0; i < count && static_cast<size_t>(i) < list.size(); ++i)
        items.push_back(Text(base + i, ListItemCaption(i, list[i].FileName), true));
    return items;
}

}  // namespace

char ListAccessKey(int index) {
    const int r = index % 36;
    if (r <= 8) return static_cast<char>('1' + r);
    if (r == 9) return '0';
    return static_cast<char>(r + 87);  // a to z
}

std::string ListItemCaption(int index, const std::string& fileName) {
    std::string number = std::to_string(index + 1);
    // Padded by appending, not insert(0, ...): g++ 12 warns falsely on that.
    if (number.size() < 2) number = std::string(1, '0') += number;
    return number + " (&" + ListAccessKey(index) + ")  " + fileName;
}

MenuModel BuildMenuModel(const AppContext& ctx, int16_t kind) {
    MenuModel m;
    if (kind != kMenuHits && kind != kMenuMain) return m;
    m.kind = kind;
    const StateRecord& live = ctx.live;
    const Settings& s = live.Settings;
    const int16_t state = ctx.run.AppState;
    const bool idle = state == 21 || state == 31;
    const bool internal = s.UseInternalPlayer != 0;
    const bool batchAllowed = internal || !s.NoExternalBatch;
    const int16_t hits = live.Search.SearchHitCount;

    m.built[kMenuHits] = true;
    m.menus[kMenuHits] = NumberedList(live.Search.SearchHits, hits, kMenuHitBase);
    if (kind == kMenuHits) {
        m.menus[kMenuHits].push_back(Separator());
        m.menus[kMenuHits].push_back(Text(kMenuPlayAll, "一括再生(&P)", batchAllowed));
        return m;
    }

    const bool listed = live.PlayCount > 0;
    m.built[kMenuPlayList] = true;
    m.menus[kMenuPlayList] = NumberedList(live.PlayList, live.PlayCount, kMenuPlayListBase);

    m.built[kMenuFileOps] = true;
    m.menus[kMenuFileOps] = {
        Text(kMenuRename, state == 91 ? "ファイル名変更のキャンセル" : "ファイル名変更", idle || state == 91),
        Text(kMenuDelete, "ファイル削除", idle),
    };

    m.built[kMenuMain] = true;
    std::vector<MenuItem>& main = m.menus[kMenuMain];
    main.push_back(Sub(kMenuHits, "検索結果", idle && hits > 0));
    main.push_back(state == 64 ? Text(kMenuPlayAll, "一括再生の中止", true)
                               : Text(kMenuPlayAll, "一括再生", idle && hits > 0 && batchAllowed));
    main.push_back(Separator());
    main.push_back(state == 51 ? Text(kMenuSearch, "検索の中止", true)
                               : Text(kMenuSearch, "検索開始", idle && live.Library.RegisteredFileCount > 0));
    main.push_back(state == 41 ? Text(kMenuRegister, "mp3登録中止", true)
                               : Text(kMenuRegister, "mp3再登録",
                                      idle && s.WatchFolderSet.WatchFolderCount > 0));
    main.push_back(Text(kMenuSettings, "設定", idle));
    main.push_back(Separator());
    main.push_back(Text(kMenuHide, "ウインドウを隠す", true));
    main.push_back(Text(kMenuVersion, "バージョン情報", true));
    main.push_back(Text(kMenuExit, "終了", true));
    if (!internal) return m;

    const PlayerRuntime& p = ctx.player;
    main.push_back(Sub(kMenuPlayList, "再生リスト", listed, true));
    main.push_back(Text(kMenuShuffle, "曲順シャッフル", listed));
    main.push_back(Separator());
    main.push_back(p.PlayerState == 0 ? Text(PlayerItem(kCmdPlayPause), "再生", listed)
                                      : Text(PlayerItem(kCmdPlayPause), "一時停止", true));
    main.push_back(Text(PlayerItem(kCmdStop), "停止", p.PlayerState != 0 || p.PlayPosition != 0));
    main.push_back(Sub(kMenuFileOps, "ファイル操作", listed));
    main.push_back(Separator());
    main.push_back(Text(PlayerItem(kCmdPreviousTrack), "前の曲", listed));
    main.push_back(Text(PlayerItem(kCmdCurrentTrack), "今の曲", listed));
    main.push_back(Text(PlayerItem(kCmdNextTrack), "次の曲", listed));
    return m;
}

}  // namespace tw
