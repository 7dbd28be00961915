#pragma once
// The popup menus as data: built from the program's state each time one
// is shown, then turned into the system's menus by the window.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

struct AppContext;

// Menu identifiers: fixed commands, player commands, hits, play-list
// entries. Separators carry -1 and are never sent.
enum : int32_t {
    kMenuExit = 100,
    kMenuVersion = 101,
    kMenuPlayAll = 102,
    kMenuSearch = 103,
    kMenuRegister = 104,
    kMenuSettings = 105,
    kMenuHide = 106,
    kMenuShuffle = 107,
    kMenuRename = 108,
    kMenuDelete = 109,
    kMenuPlayerBase = 200,
    kMenuHitBase = 1000,
    kMenuPlayListBase = 2000,
    kMenuSeparator = -1,
};

// The four menus a build can hold.
enum : int16_t { kMenuHits = 0, kMenuMain = 1, kMenuPlayList = 2, kMenuFileOps = 3 };

struct MenuItem {
    enum class Kind { Text, Separator, SubMenu } kind = Kind::Text;
    int32_t id = kMenuSeparator;  // Text: the identifier sent when chosen
    std::string caption;
    bool enabled = true;
    bool newColumn = false;       // starts a new column (with a bar)
    int16_t subMenu = -1;         // SubMenu: which of the four it opens
};

struct MenuModel {
    int16_t kind = -1;                        // the menu shown: 0 hits, 1 main
    std::array<bool, 4> built{};              // which of the four this build made
    std::array<std::vector<MenuItem>, 4> menus;
};

// The menus of a kind (0: the hit list; 1: the main menu with the hit
// list, the play list and the file operations as sub-menus) from the
// state as it is now. Another kind builds nothing.
MenuModel BuildMenuModel(const AppContext& ctx, int16_t kind);

// "01 (&1)  name": the 1-based number in at least two digits, the access
// key of the index, two blanks and the name.
std::string ListItemCaption(int index, const std::string& fileName);

// The access key of a list index: 1 to 9, 0, then a to z, again from the
// 37th entry.
char ListAccessKey(int index);

}  // namespace tw
