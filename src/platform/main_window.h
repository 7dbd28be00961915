#pragma once
#include <cstdint>
#include <string>

#include "model/menu_items.h"
#include "model/state_record.h"
#include "model/window_state.h"

namespace tw {

enum class TimerId { Main, Next, Win, Move, Popup };

// What the main window tells the program: its loading and unloading, and
// each tick of its five timers. The entry point gives the window the
// program's handler before the window is loaded.
class MainWindowEvents {
public:
    virtual ~MainWindowEvents() = default;
    virtual void OnLoad() = 0;
    virtual void OnUnload() = 0;
    virtual void OnTimer(TimerId id) = 0;
};

// The main window as the portable code sees it. The platform owns the
// window itself; the application context only drives it through here.
// Coordinates are screen pixels; positions inside the window are relative
// to its top left corner.
class MainWindow {
public:
    virtual ~MainWindow() = default;
    // Loads the window (running Form_Load) if it is not loaded yet.
    virtual void Load() = 0;
    virtual void Show() = 0;
    // Unloads the version dialog, the main window (running Form_Unload) and
    // the settings dialog, in that order. The program ends with the last.
    virtual void UnloadAll() = 0;

    virtual void SetTimerEnabled(TimerId id, bool enabled) = 0;
    virtual bool TimerEnabled(TimerId id) = 0;
    // A running timer at rest ticks seldom (the main tick four times a
    // second, the visibility tick once): nothing it does can change until
    // a message comes, and any message to the window brings both back to
    // the full rate at once.
    virtual void SetTimerResting(TimerId id, bool resting) = 0;

    // Placement and shape.
    virtual void SetCaption(const std::string& text) = 0;
    virtual PixelRect Bounds() = 0;
    virtual void SetBounds(int left, int top, int width, int height) = 0;
    virtual void MoveTo(int left, int top) = 0;
    virtual void SetTopMost(bool topMost) = 0;
    // Gives the window the geometry's width and `height` (its position
    // stays), cuts it to a rounded rectangle with the geometry's corner
    // ellipse, and draws the frame round the keyword box and the outline,
    // at once and at every repaint from now on.
    virtual void SetShape(const WindowGeometry& geometry, int height) = 0;
    // Background and drawing (frame, outline) colours; repaints.
    virtual void SetColors(RgbColor back, RgbColor line) = 0;
    // Places the pads, the keyword box and the status lines, with the
    // fonts of the geometry ("ＭＳ Ｐゴシック" or the nearest the system has).
    virtual void PlaceControls(const WindowGeometry& geometry) = 0;
    // Width in pixels of a text in the status lines' font.
    virtual int TextWidth(const std::string& text) = 0;
    // The caption of status line i (0 to 5).
    virtual void SetLineText(int index, const std::string& text) = 0;
    // Picture 1 to 20 of pad i (0 to 3): 5 x state + column.
    virtual void SetPadPicture(int index, int picture) = 0;

    // Showing and translucency.
    virtual void SetVisible(bool visible) = 0;
    // Adds or removes the layered style (WS_EX_LAYERED).
    virtual void SetLayeredStyle(bool layered) = 0;
    // Opacity of a layered window, 0 to 255.
    virtual void SetLayeredAlpha(uint8_t alpha) = 0;
    // Makes the window the foreground window, even when another program's
    // window is active, and puts it on top.
    virtual void BringToFront() = 0;

    // The pointer.
    virtual PixelPoint CursorPos() = 0;
    virtual void SetCapture(bool captured) = 0;

    // The keyword box `Tb`.
    virtual std::string BoxText() = 0;
    virtual void SetBoxText(const std::string& text) = 0;
    virtual void SelectAllBoxText() = 0;
    virtual void SetBoxEnabled(bool enabled) = 0;
    virtual bool BoxEnabled() = 0;
    virtual void FocusBox() = 0;

    // Keys for the whole system. RegisterHotkey takes a chord (a virtual
    // key, with kChordShift/Control/Alt in the second byte) as hotkey `id`
    // until UnregisterHotkey; false when another program holds it. A held
    // key's presses come as OnHotkey, once a press however long it is held.
    virtual bool RegisterHotkey(int id, int32_t chord) = 0;
    virtual void UnregisterHotkey(int id) = 0;
    // Whether the shell is to tell of application commands (the media
    // keys) that other windows leave unhandled; false when it will not.
    virtual bool WatchShellCommands(bool on) = 0;

    virtual void AddTrayIcon(const std::string& tip) = 0;
    virtual void RemoveTrayIcon() = 0;

    // Popup menus. TrackPopupMenu replaces the menus of the last build by
    // those of the model and opens the model's kind at the pointer; the
    // choice comes back later as a command message. DestroyMenus destroys
    // the last build.
    virtual void TrackPopupMenu(const MenuModel& menus) = 0;
    virtual void DestroyMenus() = 0;
    // Redraws the window and then the keyword box before returning.
    virtual void RepaintNow() = 0;
};

}  // namespace tw
