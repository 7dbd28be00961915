#pragma once
// The main window: a borderless, rounded tool window with the four pads,
// the keyword box and six status lines, and the five timers that run the
// program.
#include <array>
#include <string>

#include "platform/main_window.h"
#include "platform/win32/win_include.h"
#include "views/win32/win_main_look.h"
#include "views/win32/win_popup_menus.h"

namespace tw {
struct AppContext;
}

namespace tw::win {

// Control ids of the keyword box and the status lines (0 to 5 from
// kFirstLineId on); tools that read the window rely on them. They lie
// outside every menu identifier, so no control's message can pass for a
// menu command.
constexpr int kBoxId = 3100;
constexpr int kFirstLineId = 3200;

// Everything one main window keeps; its window procedure reaches it
// through GWLP_USERDATA.
struct MainFormState {
    AppContext* ctx = nullptr;
    MainWindowEvents* events = nullptr;
    HWND hwnd = nullptr;
    HWND box = nullptr;                 // the keyword box `Tb`
    std::array<HWND, 6> lines{};        // the status lines `L`
    MainFormLook look;
    PopupMenus menus;
    HICON smallIcon = nullptr;
    bool trayAdded = false;
    std::array<bool, 5> timerOn{};
    std::array<bool, 5> timerResting{};  // ticking at its resting interval
    int pressTarget = -1;               // the pad a press began on, -1 for the background
    UINT taskbarCreated = 0;            // the shell's "the taskbar is back" message
    UINT shellHookMessage = 0;          // the shell's news of other windows (application commands)
    std::wstring trayTip;
};

class WinMainWindow final : public MainWindow {
public:
    WinMainWindow() = default;
    ~WinMainWindow() override;
    WinMainWindow(const WinMainWindow&) = delete;
    WinMainWindow& operator=(const WinMainWindow&) = delete;

    // Must be called before Load: the window's input acts on this context,
    // and its loading and timers go to `events`.
    void Attach(AppContext& ctx, MainWindowEvents& events) {
        state_.ctx = &ctx;
        state_.events = &events;
    }
    HWND Handle() const { return state_.hwnd; }
    bool Loaded() const { return state_.hwnd != nullptr; }

    void Load() override;
    void Show() override;
    void UnloadAll() override;
    void SetTimerEnabled(TimerId id, bool enabled) override;
    bool TimerEnabled(TimerId id) override;
    void SetTimerResting(TimerId id, bool resting) override;
    void SetCaption(const std::string& text) override;
    PixelRect Bounds() override;
    void SetBounds(int left, int top, int width, int height) override;
    void MoveTo(int left, int top) override;
    void SetTopMost(bool topMost) override;
    void SetShape(const WindowGeometry& geometry, int height) override;
    void SetColors(RgbColor back, RgbColor line) override;
    void PlaceControls(const WindowGeometry& geometry) override;
    int TextWidth(const std::string& text) override;
    void SetLineText(int index, const std::string& text) override;
    void SetPadPicture(int index, int picture) override;
    void SetVisible(bool visible) override;
    void SetLayeredStyle(bool layered) override;
    void SetLayeredAlpha(uint8_t alpha) override;
    void BringToFront() override;
    PixelPoint CursorPos() override;
    void SetCapture(bool captured) override;
    std::string BoxText() override;
    void SetBoxText(const std::string& text) override;
    void SelectAllBoxText() override;
    void SetBoxEnabled(bool enabled) override;
    bool BoxEnabled() override;
    void FocusBox() override;
    bool RegisterHotkey(int id, int32_t chord) override;
    void UnregisterHotkey(int id) override;
    bool WatchShellCommands(bool on) override;
    void AddTrayIcon(const std::string& tip) override;
    void RemoveTrayIcon() override;
    void TrackPopupMenu(const MenuModel& menus) override;
    void DestroyMenus() override;
    void RepaintNow() override;

private:
    MainFormState state_;
};

}  // namespace tw::win
