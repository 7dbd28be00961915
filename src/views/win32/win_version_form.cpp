#include "views/win32/win_version_form.h"

#include <windowsx.h>

#include <algorithm>

#include "model/state_record.h"
#include "model/version.h"
#include "platform/win32/wide.h"
#include "views/win32/win_dialog_support.h"

namespace tw::win {

namespace {

const wchar_t kClassName[] = L"Tunewhistle.Version";
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchMs = 200;
constexpr int kFontPoints = 9;

COLORREF ToColorRef(RgbColor c) { return RGB(c.Red, c.Green, c.Blue); }

}  // namespace

VersionForm::~VersionForm() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
    if (linkFont_) DeleteObject(linkFont_);
}

bool VersionForm::Create(HWND owner) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterDialogClass(kClassName, Proc)) return false;
    const int dpi = SystemDpi();
    font_ = CreateDialogFont(kFontPoints, dpi);
    linkFont_ = CreateDialogFont(kFontPoints, dpi, true);
    const std::wstring caption = Widen(AppCaption());
    CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClassName, caption.c_str(),
                    WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, owner, nullptr, instance, this);
    if (!hwnd_) return false;

    auto px = [dpi](int32_t twips) { return TwipsToPixels(twips, dpi); };
    for (int i = 0; i < kVersionLabels; ++i) {
        const VersionLabel& l = VersionLabels()[i];
        // No SS_NOTIFY: the pointer and the clicks reach the dialog, which
        // knows where each label is.
        labels_[i] = CreateTextLabel(hwnd_, kVerLabelId + i, l.link ? linkFont_ : font_, WS_VISIBLE);
        SetLabelText(labels_[i], Widen(l.text));
        RECT rc{};
        GetClientRect(labels_[i], &rc);
        // The given size, or the text's where that is larger: nothing is cut.
        MoveWindow(labels_[i], px(l.at.left), px(l.at.top), std::max<int>(px(l.at.width), rc.right),
                   std::max<int>(px(l.at.height), rc.bottom), FALSE);
        colors_[i] = l.link ? ToColorRef(kLinkPlain) : GetSysColor(COLOR_BTNTEXT);
    }
    HWND close = CreateWindowExW(0, L"BUTTON", Widen(kVersionCloseCaption).c_str(),
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, px(kVersionClose.left),
                                 px(kVersionClose.top), px(kVersionClose.width), px(kVersionClose.height), hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kVerCloseId)), instance, nullptr);
    SendMessageW(close, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    CentreWithClientSize(hwnd_, px(kVersionClientWidth), px(kVersionClientHeight), owner);
    SetTimer(hwnd_, kWatchTimer, kWatchMs, nullptr);
    return true;
}

int VersionForm::LabelAt(int x, int y) const {
    const POINT p{x, y};
    for (int i = 0; i < kVersionLabels; ++i) {
        RECT rc{};
        GetWindowRect(labels_[i], &rc);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rc), 2);
        if (PtInRect(&rc, p)) return i;
    }
    return -1;
}

void VersionForm::Repaint(const std::vector<int>& labels) {
    for (int i : labels) {
        RgbColor c;
        if (!dialog_->LinkColor(i, c)) continue;  // this state leaves the colour as it is
        colors_[i] = ToColorRef(c);
        InvalidateRect(labels_[i], nullptr, TRUE);
    }
}

void VersionForm::OnMouseMove(int x, int y) {
    const int label = LabelAt(x, y);
    Repaint(label >= 0 ? dialog_->OnLabelMouseMove(label) : dialog_->OnFormMouseMove());
}

void VersionForm::OnButtonDown(int x, int y, int16_t button) {
    const int label = LabelAt(x, y);
    if (label >= 0) dialog_->OnLabelMouseDown(label, button);
}

LRESULT VersionForm::OnLabelColor(HDC dc, HWND label) {
    for (int i = 0; i < kVersionLabels; ++i)
        if (label == labels_[i]) SetTextColor(dc, colors_[i]);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK VersionForm::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = WindowObject<VersionForm>(hwnd, msg, lp);
    if (self && msg == WM_NCCREATE) self->hwnd_ = hwnd;
    if (!self || !self->dialog_) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_MOUSEMOVE: self->OnMouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_LBUTTONDOWN: self->OnButtonDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), 1); return 0;
    case WM_RBUTTONDOWN: self->OnButtonDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), 2); return 0;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            POINT p{};
            GetCursorPos(&p);
            ScreenToClient(hwnd, &p);
            const int label = self->LabelAt(p.x, p.y);
            if (label >= 0 && VersionLabels()[label].link) {
                SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
                return TRUE;
            }
        }
        break;
    case WM_TIMER:
        if (wp == kWatchTimer) {
            POINT p{};
            GetCursorPos(&p);
            RECT rc{};
            GetWindowRect(hwnd, &rc);
            self->Repaint(self->dialog_->OnWatch({p.x, p.y}, {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top}));
        }
        return 0;
    case WM_CTLCOLORSTATIC: return self->OnLabelColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_COMMAND:
        if (LOWORD(wp) == kVerCloseId || LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) DestroyWindow(hwnd);
        return 0;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_NCDESTROY:
        KillTimer(hwnd, kWatchTimer);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void VersionForm::Run(VersionDialog& dialog, HWND owner) {
    dialog_ = &dialog;
    if (!Create(owner)) return;
    RunModal(hwnd_, owner, [this] { return hwnd_ == nullptr; });
    dialog_ = nullptr;
}

}  // namespace tw::win
