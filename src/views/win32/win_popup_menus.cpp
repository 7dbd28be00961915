#include "views/win32/win_popup_menus.h"

#include <array>

#include "platform/win32/wide.h"

namespace tw::win {

namespace {

// One menu; `attached` notes the sub-menus it took in (they go with it).
HMENU BuildOne(const std::vector<MenuItem>& items, const std::array<HMENU, 4>& menus,
            std::array<bool, 4>& attached) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (const MenuItem& item : items) {
        const UINT grey = item.enabled ? MF_STRING : MF_GRAYED;
        switch (item.kind) {
        case MenuItem::Kind::Separator:
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            break;
        case MenuItem::Kind::SubMenu: {
            HMENU sub = item.subMenu >= 0 && item.subMenu < 4 ? menus[item.subMenu] : nullptr;
            if (!sub) break;
            const UINT flags = MF_POPUP | grey | (item.newColumn ? MF_MENUBARBREAK : 0);
            if (AppendMenuW(menu, flags, reinterpret_cast<UINT_PTR>(sub), Widen(item.caption).c_str()))
                attached[item.subMenu] = true;
            break;
        }
        case MenuItem::Kind::Text:
            AppendMenuW(menu, grey, static_cast<UINT_PTR>(static_cast<uint32_t>(item.id)),
                        Widen(item.caption).c_str());
            break;
        }
    }
    return menu;
}

}  // namespace

void PopupMenus::Destroy() {
    for (HMENU menu : roots_) DestroyMenu(menu);
    roots_.clear();
}

std::array<HMENU, 4> PopupMenus::Build(const MenuModel& model) {
    Destroy();
    // The sub-menus first: the main menu links them in.
    std::array<HMENU, 4> menus{};
    std::array<bool, 4> attached{};
    for (int16_t index : {kMenuPlayList, kMenuHits, kMenuFileOps, kMenuMain})
        if (model.built[index]) menus[index] = BuildOne(model.menus[index], menus, attached);
    // Each menu is destroyed once: with the menu that took it in, or alone
    // (the play list without the player column, for one).
    for (size_t i = 0; i < menus.size(); ++i)
        if (menus[i] && !attached[i]) roots_.push_back(menus[i]);
    return menus;
}

void PopupMenus::Track(HWND owner, const MenuModel& model) {
    if (model.kind != kMenuHits && model.kind != kMenuMain) return;
    HMENU shown = Build(model)[model.kind];
    if (!shown) return;

    POINT at{};
    GetCursorPos(&at);
    // A menu opened while another program is in front must still close
    // when the user clicks elsewhere: its owner has to be the foreground
    // window, and a message must follow the menu.
    SetForegroundWindow(owner);
    TrackPopupMenu(shown, TPM_NOANIMATION | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace tw::win
