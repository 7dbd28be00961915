#pragma once
// The main window: a borderless tool window with the pad row, the keyword
// box and the status lines.
#include <array>
#include <string>

#include "platform/main_window.h"
#include "platform/win32/win_include.h"

namespace tw {
struct AppContext;
}

namespace tw::win {

// Everything one main window keeps; its window procedure reaches it
// through GWLP_USERDATA.
struct MainFormState {
    AppContext* ctx = nullptr;
    HWND hwnd = nullptr;
    HWND box = nullptr;       // the keyword box `Tb`
    HFONT font = nullptr;
    bool ownsFont = false;    // false for the stock fallback font
    HICON smallIcon = nullptr;
    std::wstring status;      // the status lines as last shown
    bool trayAdded = false;
    std::array<bool, 5> timerOn{};
};

class WinMainWindow final : public MainWindow {
public:
    WinMainWindow() = default;
    ~WinMainWindow() override;
    WinMainWindow(const WinMainWindow&) = delete;
    WinMainWindow& operator=(const WinMainWindow&) = delete;

    // Must be called before Load: the window's events run the program
    // through this context.
    void Attach(AppContext& ctx) { state_.ctx = &ctx; }
    HWND Handle() const { return state_.hwnd; }
    bool Loaded() const { return state_.hwnd != nullptr; }

    void Load() override;
    void Show() override;
    void UnloadAll() override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetTimerEnabled(TimerId id, bool enabled) override;
    std::string BoxText() override;
    void SetBoxText(const std::string& text) override;
    void SelectAllBoxText() override;
    void SetBoxEnabled(bool enabled) override;
    void AddTrayIcon(const std::string& tip) override;
    void RemoveTrayIcon() override;
    void ShowStatusText(const std::string& text) override;

private:
    MainFormState state_;
};

}  // namespace tw::win
