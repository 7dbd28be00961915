#include "views/win32/win_settings_form.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <uxtheme.h>

#include "model/state_record.h"
#include "model/version.h"
#include "platform/message_box.h"
#include "platform/win32/wide.h"
#include "platform/win32/win_shell.h"
#include "views/win32/win_dialog_support.h"

namespace tw::win {

namespace {

const wchar_t kClassName[] = L"Tunewhistle.Settings";
constexpr int kFontPoints = 9;

using K = SettingsControlKind;

std::wstring Caption() { return Widen(AppCaption()); }

COLORREF ToColorRef(RgbColor c) {
    auto byte = [](int v) { return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return RGB(byte(c.Red), byte(c.Green), byte(c.Blue));
}

}  // namespace

SettingsForm::~SettingsForm() { Unload(); }

void SettingsForm::Unload() {
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    if (pageBrush_) DeleteObject(pageBrush_);
    pageBrush_ = nullptr;
    for (HBRUSH& b : swatchBrushes_) {
        if (b) DeleteObject(b);
        b = nullptr;
    }
    if (font_) DeleteObject(font_);
    font_ = nullptr;
    pageControls_.clear();
    shownTab_ = -1;
}

bool SettingsForm::Create(HWND owner) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterDialogClass(kClassName, Proc)) return false;
    dpi_ = SystemDpi();
    font_ = CreateDialogFont(kFontPoints, dpi_);
    CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClassName, Caption().c_str(),
                    WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, owner, nullptr, instance, this);
    if (!hwnd_) return false;
    CreateControls();
    LayOutPages();
    CentreWithClientSize(hwnd_, TwipsToPixels(kSettingsClientWidth, dpi_),
                         TwipsToPixels(kSettingsClientHeight, dpi_), owner);
    return true;
}

void SettingsForm::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto make = [&](const wchar_t* cls, const std::string& text, DWORD style, int id, DWORD ex = 0) {
        HWND c = CreateWindowExW(ex, cls, Widen(text).c_str(), WS_CHILD | style, 0, 0, 0, 0, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (c) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return c;
    };
    for (const SettingsControl& c : SettingsControls()) {
        HWND h = nullptr;
        switch (c.kind) {
        case K::TabStrip:
            // Below every page control, which it must not paint over.
            h = tab_ = make(WC_TABCONTROLW, "", WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, kSetTabId);
            // The plain look, as the pages' controls are laid out for it.
            SetWindowTheme(tab_, L"", L"");
            // Six captions in the width five had: narrower sides, so all of
            // them show in one row, without scroll arrows.
            SendMessageW(tab_, TCM_SETPADDING, 0, MAKELPARAM(MulDiv(3, dpi_, 96), MulDiv(3, dpi_, 96)));
            for (size_t i = 0; i < SettingsTabs().size(); ++i) {
                std::wstring caption = Widen(SettingsTabs()[i].caption);
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = caption.data();
                SendMessageW(tab_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
            }
            break;
        case K::Label: h = labels_[c.index] = CreateTextLabel(hwnd_, kSetLabelId + c.index, font_); break;
        case K::FolderList:
            h = list_ = make(WC_LISTVIEWW, "", LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
                             kSetFolderListId, WS_EX_CLIENTEDGE);
            SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
            break;
        case K::Button:
            h = buttons_[c.index] = make(L"BUTTON", c.caption, BS_PUSHBUTTON | WS_TABSTOP, kSetButtonId + c.index);
            break;
        case K::Swatch:
            h = swatches_[c.index] = make(L"STATIC", "", WS_BORDER, kSetSwatchId + c.index);
            break;
        case K::Check:
            h = checks_[c.index] = make(L"BUTTON", c.caption, BS_AUTOCHECKBOX | WS_TABSTOP, kSetCheckId + c.index);
            break;
        case K::Combo:
            h = combos_[c.index] =
                make(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kSetComboId + c.index);
            // The ten names once, however often the dialog opens.
            for (const std::string& name : CommandNames())
                SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(name).c_str()));
            break;
        case K::Hotkey:
            h = hotkey_ = make(HOTKEY_CLASSW, "", WS_BORDER | WS_TABSTOP, kSetHotkeyId);
            // A key alone, or with Shift alone, would be taken from every
            // program: such a choice becomes Ctrl+Alt with the key.
            SendMessageW(h, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
            break;
        case K::Ok:
            h = make(L"BUTTON", c.caption, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP, IDOK);
            break;
        case K::Cancel:
            h = make(L"BUTTON", c.caption, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP, IDCANCEL);
            break;
        }
        if (h && c.kind == K::Label) SetLabelText(h, Widen(c.caption));
        if (h) {
            if (const auto tag = ParseLayoutTag(c.tag)) pageControls_.push_back({tag->page, h});
        }
    }
    SetWindowPos(tab_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SettingsForm::LayOutPages() {
    auto px = [this](int32_t twips) { return TwipsToPixels(twips, dpi_); };
    auto place = [&](HWND h, const TwipRect& r) { MoveWindow(h, px(r.left), px(r.top), px(r.width), px(r.height), FALSE); };
    place(tab_, kSettingsTabStrip);
    MakePageBrush();
    place(GetDlgItem(hwnd_, IDOK), kSettingsOk);
    place(GetDlgItem(hwnd_, IDCANCEL), kSettingsCancel);
    for (const SettingsControl& c : SettingsControls()) {
        const auto tag = ParseLayoutTag(c.tag);
        if (!tag) continue;  // not on a page, or a tag that cannot be read
        HWND h = nullptr;
        switch (c.kind) {
        case K::Label: h = labels_[c.index]; break;
        case K::FolderList: h = list_; break;
        case K::Button: h = buttons_[c.index]; break;
        case K::Swatch: h = swatches_[c.index]; break;
        case K::Check: h = checks_[c.index]; break;
        case K::Combo: h = combos_[c.index]; break;
        case K::Hotkey: h = hotkey_; break;
        default: break;
        }
        if (!h) continue;
        RECT now{};
        GetWindowRect(h, &now);
        int w = tag->width > 0 ? px(tag->width) : now.right - now.left;
        int hgt = tag->height > 0 ? px(tag->height) : now.bottom - now.top;
        // A drop-down list's height is that of its opened list.
        if (c.kind == K::Combo) hgt = px(2400);
        MoveWindow(h, px(tag->left), px(tag->top), w, hgt, FALSE);
        ShowWindow(h, SW_HIDE);
    }
    // The labels take the size of their text again after the placing.
    for (const SettingsControl& c : SettingsControls())
        if (c.kind == K::Label && labels_[c.index]) SetLabelText(labels_[c.index], Widen(c.caption));

    // Shares of the list's own width, as laid out, not of its client area
    // (which lacks the border).
    RECT list{};
    GetWindowRect(list_, &list);
    const FolderColumns shares = FolderColumnWidths(list.right - list.left);
    const std::wstring columns[2] = {L"\x30D5\x30A9\x30EB\x30C0", L"\x5B50\x30D5\x30A9\x30EB\x30C0"};  // フォルダ, 子フォルダ
    const int widths[2] = {shares.folder, shares.subfolders};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.pszText = const_cast<wchar_t*>(columns[i].c_str());
        col.cx = widths[i];
        SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
    }
}

void SettingsForm::ShowTab(int index) {
    if (index == shownTab_) return;
    shownTab_ = index;
    const std::string key = index >= 0 && index < kSettingsTabCount ? SettingsTabs()[index].key : "";
    for (const PageControl& p : pageControls_) ShowWindow(p.hwnd, p.page == key ? SW_SHOW : SW_HIDE);
}

std::vector<bool> SettingsForm::SelectedFolders() const {
    std::vector<bool> rows;
    const int n = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        rows.push_back(SendMessageW(list_, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED);
    return rows;
}

void SettingsForm::Refresh() {
    if (!dialog_) return;
    std::vector<bool> selected = SelectedFolders();
    bool any = false;
    for (bool s : selected) any = any || s;
    const SettingsView v = dialog_->View(any);

    // The rows are made anew only when they changed: a click on the list
    // must keep its selection.
    const int rows = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    bool same = rows == static_cast<int>(v.folders.size());
    for (int i = 0; same && i < rows; ++i) {
        wchar_t text[1024] = {};
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = 1023;
        SendMessageW(list_, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
        wchar_t sub[64] = {};
        item.iSubItem = 1;
        item.pszText = sub;
        item.cchTextMax = 63;
        SendMessageW(list_, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
        same = Widen(v.folders[i].first) == text && (sub[0] != 0) == v.folders[i].second;
    }
    if (!same) {
        SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
        for (size_t i = 0; i < v.folders.size(); ++i) {
            std::wstring path = Widen(v.folders[i].first);
            std::wstring subs = v.folders[i].second ? L"\x8AAD\x307F\x8FBC\x3080" : L"";  // 読み込む
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.pszText = path.data();
            SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            item.iSubItem = 1;
            item.pszText = subs.data();
            SendMessageW(list_, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
        }
    }

    const RgbColor colors[2] = {v.back, v.line};
    for (int i = 0; i < 2; ++i) {
        if (swatchBrushes_[i]) DeleteObject(swatchBrushes_[i]);
        swatchBrushes_[i] = CreateSolidBrush(ToColorRef(colors[i]));
        InvalidateRect(swatches_[i], nullptr, TRUE);
    }
    for (int i = 0; i < kSettingsCheckCount; ++i)
        SendMessageW(checks_[i], BM_SETCHECK, v.checks[i] ? BST_CHECKED : BST_UNCHECKED, 0);
    // Only when it differs: setting it while the user presses keys in it
    // would undo what the control shows of them.
    if ((SendMessageW(hotkey_, HKM_GETHOTKEY, 0, 0) & 0xFFFF) != static_cast<LRESULT>(v.hotkey))
        SendMessageW(hotkey_, HKM_SETHOTKEY, static_cast<WPARAM>(v.hotkey), 0);
    for (int i = 0; i < 5; ++i) SendMessageW(combos_[i], CB_SETCURSEL, v.mapping[i], 0);

    EnableWindow(buttons_[1], v.deleteEnabled);
    for (HWND h : {checks_[1], checks_[2], buttons_[4]}) EnableWindow(h, v.playerOptionsEnabled);
    for (HWND h : combos_) EnableWindow(h, v.playerOptionsEnabled);
    for (int i = 11; i <= 14; ++i) EnableWindow(checks_[i], v.tagFieldsEnabled);
    EnableWindow(checks_[7], v.transparencyEnabled);
}

void SettingsForm::Hide() {
    done_ = true;
    ShowWindow(hwnd_, SW_HIDE);
}

void SettingsForm::OnCommand(int id, int code) {
    if (!dialog_) return;
    if (id == IDOK && code == BN_CLICKED) {
        if (dialog_->OnOk(*this)) Hide();
        return;
    }
    if (id == IDCANCEL && code == BN_CLICKED) {
        dialog_->OnCancel();
        Hide();
        return;
    }
    if (id == kSetHotkeyId && code == EN_CHANGE) {
        dialog_->OnHotkey(static_cast<int32_t>(SendMessageW(hotkey_, HKM_GETHOTKEY, 0, 0) & 0xFFFF));
        return;  // the control already shows it
    } else if (id >= kSetCheckId && id < kSetCheckId + kSettingsCheckCount && code == BN_CLICKED) {
        HWND box = checks_[id - kSetCheckId];
        dialog_->OnCheck(id - kSetCheckId, SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED);
    } else if (id >= kSetComboId && id < kSetComboId + 5 && code == CBN_SELCHANGE) {
        const int sel = static_cast<int>(SendMessageW(combos_[id - kSetComboId], CB_GETCURSEL, 0, 0));
        dialog_->OnMapping(id - kSetComboId, sel);
    } else if (code == BN_CLICKED) {
        switch (id - kSetButtonId) {
        case 0: dialog_->OnAddFolder(*this); break;
        case 1: dialog_->OnDeleteFolders(SelectedFolders()); break;
        case 2: dialog_->OnPickColor(*this, true); break;
        case 3: dialog_->OnPickColor(*this, false); break;
        case 4: dialog_->OnDefaultMapping(); break;
        default: return;
        }
    } else {
        return;
    }
    Refresh();
}

void SettingsForm::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == tab_ && header.code == TCN_SELCHANGE) {
        ShowTab(static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0)));
    } else if (header.hwndFrom == list_ && header.code == LVN_ITEMCHANGED) {
        Refresh();  // the delete button follows the selection
    }
}

// The tab's body need not be the dialog's colour (a theme may draw it
// lighter): the labels and check boxes on a page paint with what the tab
// itself paints there.
void SettingsForm::MakePageBrush() {
    if (pageBrush_) DeleteObject(pageBrush_);
    pageBrush_ = nullptr;
    RECT r;
    if (!GetClientRect(tab_, &r) || r.right <= 0 || r.bottom <= 0) return;
    HDC screen = GetDC(tab_);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(mem, picture);
    FillRect(mem, &r, GetSysColorBrush(COLOR_BTNFACE));
    SendMessageW(tab_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT | PRF_ERASEBKGND);
    SelectObject(mem, old);
    pageBrush_ = CreatePatternBrush(picture);
    DeleteObject(picture);
    DeleteDC(mem);
    ReleaseDC(tab_, screen);
}

LRESULT SettingsForm::OnControlColor(HDC dc, HWND control) {
    for (int i = 0; i < 2; ++i)
        if (control == swatches_[i] && swatchBrushes_[i]) return reinterpret_cast<LRESULT>(swatchBrushes_[i]);
    SetBkMode(dc, TRANSPARENT);
    RECT onTab, body;
    GetWindowRect(control, &onTab);
    MapWindowPoints(nullptr, tab_, reinterpret_cast<POINT*>(&onTab), 2);
    GetClientRect(tab_, &body);
    RECT both;
    if (pageBrush_ && EqualRect(&onTab, &body) == FALSE && IntersectRect(&both, &onTab, &body) &&
        EqualRect(&both, &onTab)) {
        // The brush's picture starts at the tab's corner.
        SetBrushOrgEx(dc, -onTab.left, -onTab.top, nullptr);
        return reinterpret_cast<LRESULT>(pageBrush_);
    }
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK SettingsForm::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = WindowObject<SettingsForm>(hwnd, msg, lp);
    if (self && msg == WM_NCCREATE) self->hwnd_ = hwnd;
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_COMMAND: self->OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_NOTIFY: self->OnNotify(*reinterpret_cast<const NMHDR*>(lp)); return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return self->OnControlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_CLOSE:
        // The close box only hides: the dialog stays loaded for the next use.
        if (!self->dialog_ || self->dialog_->OnClose()) self->Hide();
        else DestroyWindow(hwnd);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->done_ = true;
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void SettingsForm::Run(SettingsDialog& dialog, HWND owner) {
    if (!hwnd_ && !Create(owner)) return;
    dialog_ = &dialog;
    done_ = false;
    // The tab last shown stays selected; its page is laid out anew.
    const int tab = static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0));
    shownTab_ = -1;
    ShowTab(tab < 0 ? 0 : tab);
    Refresh();
    RunModal(hwnd_, owner, [this] { return done_; });
    dialog_ = nullptr;
}

std::string SettingsForm::SelectFolder() {
    PIDLIST_ABSOLUTE root = nullptr;
    SHGetSpecialFolderLocation(hwnd_, CSIDL_DRIVES, &root);
    const std::wstring title = L"\x30D5\x30A9\x30EB\x30C0\x3092\x9078\x629E\x3057\x3066\x304F\x3060\x3055\x3044";
    BROWSEINFOW bi{};
    bi.hwndOwner = hwnd_;
    bi.pidlRoot = root;
    bi.lpszTitle = title.c_str();  // フォルダを選択してください
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&bi);
    std::string path;
    if (chosen) {
        // Any length of path, not just what 260 characters hold.
        std::wstring buffer(32768, L'\0');
        if (SHGetPathFromIDListEx(chosen, buffer.data(), static_cast<DWORD>(buffer.size()), GPFIDL_DEFAULT) ||
            SHGetPathFromIDListW(chosen, buffer.data())) {
            buffer.resize(wcslen(buffer.c_str()));
            path = Narrow(buffer);
        }
        CoTaskMemFree(chosen);
    }
    if (root) CoTaskMemFree(root);
    return path;
}

int32_t SettingsForm::SelectColor(int32_t initial) {
    COLORREF custom[16];
    for (COLORREF& c : custom) c = RGB(255, 255, 255);
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = hwnd_;
    cc.hInstance = reinterpret_cast<HWND>(GetModuleHandleW(nullptr));
    cc.rgbResult = static_cast<COLORREF>(initial);
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_ANYCOLOR;
    if (!ChooseColorW(&cc)) return -1;
    return static_cast<int32_t>(cc.rgbResult & 0xFFFFFF);
}

BoxAnswer SettingsForm::Ask(const std::string& text, BoxIcon icon, BoxButtons buttons) {
    return ShowMessageBox(hwnd_, text, AppCaption(), icon, buttons);
}

}  // namespace tw::win
