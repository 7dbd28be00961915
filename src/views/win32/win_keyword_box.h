#pragma once
// The keyword box `Tb`: an EDIT control without a border of its own (the
// main window draws a frame round it). The program's key handlers see
// every key before the box does.
#include "platform/win32/win_include.h"

namespace tw {
struct AppContext;
}

namespace tw::win {

// Creates the box as child `id` of `parent`. `ctx` points at the slot that
// holds the program's context (null while none is attached); the box reads
// it at every key.
HWND CreateKeywordBox(HWND parent, int id, AppContext* const* ctx);

// The key state as the handlers take it: 1 Shift, 2 Ctrl, 4 Alt.
short ShiftState();

}  // namespace tw::win
