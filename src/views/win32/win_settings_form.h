#pragma once
// The settings dialog's window: a tab strip with six pages of controls
// made from the dialog's control table, the OK and Cancel buttons. Made at
// its first use and hidden between uses; its events go to the dialog's
// logic, and its controls show the logic's view after each of them.
#include <array>
#include <string>
#include <vector>

#include "dialogs/settings_dialog.h"
#include "platform/win32/win_include.h"

namespace tw::win {

// Control ids, by kind, plus the element's index. OK and Cancel take the
// dialog box ids, so Enter and Esc work on them.
enum : int {
    kSetLabelId = 4000,
    kSetFolderListId = 4100,
    kSetButtonId = 4200,
    kSetSwatchId = 4300,
    kSetCheckId = 4400,
    kSetComboId = 4500,
    kSetTabId = 4600,
    kSetHotkeyId = 4700,
};

class SettingsForm final : public SettingsDialogUi {
public:
    SettingsForm() = default;
    ~SettingsForm() override;
    SettingsForm(const SettingsForm&) = delete;
    SettingsForm& operator=(const SettingsForm&) = delete;

    // Shows the dialog over `owner` for one use of `dialog` and returns when
    // it has been hidden (or destroyed, when the program ends meanwhile).
    void Run(SettingsDialog& dialog, HWND owner);
    void Unload();
    HWND Handle() const { return hwnd_; }

    // The services the logic asks for.
    std::string SelectFolder() override;
    int32_t SelectColor(int32_t initial) override;
    BoxAnswer Ask(const std::string& text, BoxIcon icon, BoxButtons buttons) override;

private:
    struct PageControl {
        std::string page;
        HWND hwnd;
    };

    bool Create(HWND owner);
    void CreateControls();
    void LayOutPages();
    void ShowTab(int index);
    void Refresh();
    std::vector<bool> SelectedFolders() const;
    void OnCommand(int id, int code);
    void OnNotify(const NMHDR& header);
    LRESULT OnControlColor(HDC dc, HWND control);
    void Hide();
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    SettingsDialog* dialog_ = nullptr;  // the use in progress
    bool done_ = true;
    int dpi_ = 96;
    HFONT font_ = nullptr;
    HWND tab_ = nullptr, list_ = nullptr;
    std::array<HWND, 9> labels_{};
    std::array<HWND, 5> buttons_{};
    std::array<HWND, 2> swatches_{};
    std::array<HBRUSH, 2> swatchBrushes_{};
    HBRUSH pageBrush_ = nullptr;  // the tab's body as it paints it
    void MakePageBrush();
    std::array<HWND, kSettingsCheckCount> checks_{};
    HWND hotkey_ = nullptr;
    std::array<HWND, 5> combos_{};
    std::vector<PageControl> pageControls_;
    int shownTab_ = -1;
};

}  // namespace tw::win
