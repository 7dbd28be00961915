#pragma once
// What the main window draws itself: its background, the frame round the
// keyword box, the rounded outline and the pads, and the fonts of the box
// and the status lines. Owned by the window; everything is redrawn from
// here at every paint, so covering, moving or fading the window loses
// nothing.
#include <array>
#include <string>

#include "model/state_record.h"
#include "model/window_state.h"
#include "platform/win32/win_include.h"
#include "views/win32/win_pad_pictures.h"

namespace tw::win {

struct MainFormLook {
    WindowGeometry geometry;
    int height = 0;
    COLORREF back = RGB(200, 200, 255);
    COLORREF line = RGB(0, 0, 255);
    HBRUSH backBrush = nullptr;
    std::wstring face;            // the font face found on this system
    HFONT boxFont = nullptr;
    HFONT lineFont = nullptr;
    HDC measureDc = nullptr;      // holds lineFont, for measuring text
    std::array<int, 4> padPictures{};
    PadPictures pictures;

    MainFormLook() = default;
    ~MainFormLook();
    MainFormLook(const MainFormLook&) = delete;
    MainFormLook& operator=(const MainFormLook&) = delete;
};

// The face for the window's texts: "ＭＳ Ｐゴシック" when the system has
// it, else the nearest Japanese proportional gothic, else the system's
// message font.
std::wstring PickFontFace();

void SetLookColors(MainFormLook& look, RgbColor back, RgbColor line);

// (Re)creates the box and line fonts for the geometry's point sizes at its
// DPI.
void CreateLookFonts(MainFormLook& look, const WindowGeometry& g);

// Width in pixels of a text in the status lines' font.
int MeasureLineText(MainFormLook& look, const std::wstring& text);

// Background, frame, outline and pads (in the window's client DC).
void PaintMainForm(MainFormLook& look, HDC dc, const RECT& client);

// The pixels pad i covers, relative to the window.
RECT PadRect(const MainFormLook& look, int index);

}  // namespace tw::win
