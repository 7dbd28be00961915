#pragma once
// The popup menus of the main window, made from the program's menu model
// with the wide API, so every file name shows as it is.
#include <array>
#include <vector>

#include "model/menu_items.h"
#include "platform/win32/win_include.h"

namespace tw::win {

class PopupMenus {
public:
    PopupMenus() = default;
    ~PopupMenus() { Destroy(); }
    PopupMenus(const PopupMenus&) = delete;
    PopupMenus& operator=(const PopupMenus&) = delete;

    // Destroys the last build, builds the model's menus and opens the one
    // of its kind at the pointer. The choice is posted to `owner` as
    // WM_COMMAND; this returns when the menu has closed.
    void Track(HWND owner, const MenuModel& model);
    // Destroys the last build and builds the model's menus, indexed as in
    // the model (null where it built none); they live until the next build.
    std::array<HMENU, 4> Build(const MenuModel& model);
    // Destroys the menus of the last build.
    void Destroy();

private:
    std::vector<HMENU> roots_;  // destroying these takes their sub-menus along
};

}  // namespace tw::win
