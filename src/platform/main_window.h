#pragma once
#include <string>

namespace tw {

enum class TimerId { Main, Next, Win, Move, Popup };

// The main window as the portable code sees it. The platform owns the
// window itself; the application context only drives it through here.
class MainWindow {
public:
    virtual ~MainWindow() = default;
    // Loads the window (running Form_Load) if it is not loaded yet.
    virtual void Load() = 0;
    virtual void Show() = 0;
    // Unloads the version dialog, the main window (running Form_Unload) and
    // the settings dialog, in that order. The program ends with the last.
    virtual void UnloadAll() = 0;
    virtual void SetBounds(int left, int top, int width, int height) = 0;

    virtual void SetTimerEnabled(TimerId id, bool enabled) = 0;

    // The keyword box `Tb`.
    virtual std::string BoxText() = 0;
    virtual void SetBoxText(const std::string& text) = 0;
    virtual void SelectAllBoxText() = 0;
    virtual void SetBoxEnabled(bool enabled) = 0;

    virtual void AddTrayIcon(const std::string& tip) = 0;
    virtual void RemoveTrayIcon() = 0;

    // Draws the status lines; the window decides how they are laid out.
    virtual void ShowStatusText(const std::string& text) = 0;
};

}  // namespace tw
