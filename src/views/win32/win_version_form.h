#pragma once
// The version dialog's window: eight labels, four of them links that light
// up under the pointer, and a close button. Made for one showing.
#include <array>

#include "dialogs/version_dialog.h"
#include "platform/win32/win_include.h"

namespace tw::win {

// Control ids: label i is kVerLabelId + i.
enum : int { kVerLabelId = 5000, kVerCloseId = 5100 };

class VersionForm {
public:
    VersionForm() = default;
    ~VersionForm();
    VersionForm(const VersionForm&) = delete;
    VersionForm& operator=(const VersionForm&) = delete;

    // Shows the dialog over `owner` and returns when it has been closed.
    void Run(VersionDialog& dialog, HWND owner);

private:
    bool Create(HWND owner);
    int LabelAt(int x, int y) const;  // the label under a client point, -1 for none
    void Repaint(const std::vector<int>& labels);
    void OnMouseMove(int x, int y);
    void OnButtonDown(int x, int y, int16_t button);
    LRESULT OnLabelColor(HDC dc, HWND label);
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    VersionDialog* dialog_ = nullptr;
    HFONT font_ = nullptr, linkFont_ = nullptr;
    std::array<HWND, kVersionLabels> labels_{};
    std::array<COLORREF, kVersionLabels> colors_{};
};

}  // namespace tw::win
