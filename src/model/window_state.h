#pragma once
// What the main window keeps while the program runs: its layout in screen
// pixels, the status lines, the drag and button state, and the visibility
// state machine with the pads. Nothing here is stored in the data file.
#include <array>
#include <cstdint>
#include <string>

namespace tw {

// A rectangle in pixels; right and bottom are exclusive.
struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool Contains(int x, int y) const { return x >= left && x < Right() && y >= top && y < Bottom(); }
    bool operator==(const PixelRect&) const = default;
};

struct PixelPoint {
    int x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// The window's layout, worked out from the settings and the display's
// scale by ComputeGeometry. Positions are relative to the window's top
// left corner.
struct WindowGeometry {
    int dpi = 96;
    int width = 0;        // W
    int padSize = 0;      // P
    int lineHeight = 0;   // LH
    int textLines = 6;    // the most status lines shown, 1 to 6
    int baseHeight = 0;   // the height with no status line: P + 13
    std::array<PixelRect, 4> pads{};
    PixelRect box;        // the keyword box
    PixelRect frame;      // one pixel round the box
    std::array<PixelRect, 6> lines{};
    int boxFontPoints = 12;
    int lineFontPoints = 9;
    // The window's rounded region (ellipse of its corners) and the three
    // corner ellipses of the outline, drawn one inside the other.
    int regionEllipseWidth = 35, regionEllipseHeight = 20;
    int outlineEllipseWidth = 36, outlineEllipseHeight = 21;

    int HeightFor(int lineCount) const { return baseHeight + lineCount * lineHeight; }
    int WrapWidth() const { return lines[0].width; }
};

struct WindowRuntime {
    WindowGeometry Geometry;

    // Status lines.
    int16_t ShownLineCount = 0;
    std::string ShownText;
    std::array<std::string, 6> StatusLines;

    // Dragging the window with the left button.
    bool Dragging = false;
    int GrabX = 0, GrabY = 0;
    int DragStartLeft = 0, DragStartTop = 0;
    // Middle, fourth and fifth buttons: a press was handled and its release
    // is due; the mouse is captured meanwhile.
    std::array<bool, 3> ExtraButtonHeld{};
    bool ButtonCaptured = false;
    int16_t LastPadButton = 0;

    // Auto-hide and fading.
    int16_t VisibilityState = 0;
    float Opacity = -1.0f;   // never applied yet
    uint32_t FadeBase = 0;
    bool PointerOver = false;
    bool InVisibilityTick = false;
    bool NoticeOpen = false;  // the first-run notice is on screen

    // The pads: 0 disabled, 1 normal, 2 hot, 3 pressed.
    std::array<int16_t, 4> PadState{};
    std::array<int16_t, 4> PadShown{-1, -1, -1, -1};
    bool PadPlaying = false;
    bool PadPlayingShown = false;
    int16_t HoverPad = -1;
    int16_t PressedPad = -1;
};

}  // namespace tw
