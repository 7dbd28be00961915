#pragma once
// The popup menus as data: what the menus hold, built by the program from
// its state each time one is shown and turned into the system's menus by
// the window.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

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

}  // namespace tw
