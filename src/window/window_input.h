#pragma once
// Everything the user does to the main window: keys, the mouse buttons and
// wheel, the pads and dropped files. The platform's window calls these
// handlers; they change the program's state and call the player.
//
// Mouse buttons are bit values: 1 left, 2 right, 4 middle, 8 fourth,
// 16 fifth. Positions are pixels from the window's top left corner.
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

struct AppContext;

enum : int16_t {
    kButtonLeft = 1,
    kButtonRight = 2,
    kButtonMiddle = 4,
    kButtonFourth = 8,
    kButtonFifth = 16,
};

enum : int16_t { kKeyReturn = 13, kKeyEscape = 27 };

// A key went down while the window (or its keyword box) was active; the
// window sees it before the box. Sets keyCode to 0 to swallow it.
void Form_KeyDown(AppContext& ctx, int16_t& keyCode, int16_t shift);

// A character reached the keyword box; Enter and Esc never do.
void Tb_KeyPress(int16_t& keyAscii);

// A button went down or up on the window background or a status line
// (also the fourth and fifth buttons, with x = y = 0).
void Form_MouseDown(AppContext& ctx, int16_t button, int16_t shift, int x, int y);
void Form_MouseUp(AppContext& ctx, int16_t button, int16_t shift, int x, int y);

// A wheel message; delta is signed, 120 a notch, positive away from the user.
void Form_MouseWheel(AppContext& ctx, int delta);

// Presses, releases and double clicks on pad `index` (0 to 3).
void IM_MouseDown(AppContext& ctx, int index, int16_t button, int16_t shift, int x, int y);
void IM_MouseUp(AppContext& ctx, int index, int16_t button, int16_t shift, int x, int y);
void IM_DblClick(AppContext& ctx, int index);

// Files and folders dropped on the window, as full paths: they replace the
// play list, which starts playing.
void Form_OLEDragDrop(AppContext& ctx, const std::vector<std::string>& paths);

// The window follows the pointer while it is dragged.
void MoveTimer_Timer(AppContext& ctx);

// The number of wheel steps a delta makes: one a notch, and a part of a
// notch counts when it comes to at least half of one beyond the first.
int WheelSteps(int delta);

}  // namespace tw
