#include "platform/win32/win_main_window.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "core/app_context.h"
#include "core/main_tick.h"
#include "core/startup.h"
#include "core/state_record.h"
#include "core/work_scheduler.h"
#include "menus/popup_menus.h"
#include "platform/win32/resource.h"
#include "platform/win32/wide.h"

namespace tw::win {

namespace {

const wchar_t kClassName[] = L"Tunewhistle.Main";
// "ＭＳ Ｐゴシック", spelled out so the source's own encoding cannot matter.
const wchar_t kBoxFontFace[] = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";

constexpr UINT kTrayMessage = 1025;
constexpr UINT kTrayIconId = 1;
constexpr int kBoxId = 100;

// Layout until the window's full drawing arrives: a margin, the row of four
// pad squares, the keyword box to their right, then the status lines.
constexpr int kMargin = 6;
constexpr int kPadCount = 4;
constexpr int kDefaultPadSize = 18;
constexpr int kDefaultLineHeight = 13;

UINT_PTR TimerIdOf(TimerId id) { return static_cast<UINT_PTR>(id) + 1; }
constexpr UINT_PTR kMainTimer = 1, kNextTimer = 2, kWinTimer = 3, kMoveTimer = 4, kPopupTimer = 5;
static_assert(static_cast<int>(TimerId::Main) + 1 == kMainTimer &&
              static_cast<int>(TimerId::Next) + 1 == kNextTimer &&
              static_cast<int>(TimerId::Win) + 1 == kWinTimer &&
              static_cast<int>(TimerId::Move) + 1 == kMoveTimer &&
              static_cast<int>(TimerId::Popup) + 1 == kPopupTimer);

int PadSize(const MainFormState& s) {
    const int v = s.ctx ? s.ctx->live.Settings.PadSize : 0;
    return v > 0 ? v : kDefaultPadSize;
}

int LineHeight(const MainFormState& s) {
    const int v = s.ctx ? s.ctx->live.Settings.LineHeight : 0;
    return v > 0 ? v : kDefaultLineHeight;
}

int StatusTop(const MainFormState& s) { return kMargin + PadSize(s) + kMargin; }

MainFormState* StateOf(HWND hwnd) {
    return reinterpret_cast<MainFormState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

// The Japanese UI font when the system has it, else the default GUI font.
void CreateBoxFont(MainFormState& s) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(lf.lfFaceName, LF_FACESIZE, kBoxFontFace);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &lf, FontFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    if (found) {
        lf.lfHeight = -12;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        s.font = CreateFontIndirectW(&lf);
    }
    s.ownsFont = s.font != nullptr;
    if (!s.font) s.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void LayOut(MainFormState& s) {
    if (!s.box) return;
    RECT rc;
    GetClientRect(s.hwnd, &rc);
    const int pad = PadSize(s);
    const int left = kMargin + kPadCount * pad + kMargin;
    const int width = std::max(0, static_cast<int>(rc.right) - left - kMargin);
    MoveWindow(s.box, left, kMargin, width, pad, TRUE);
}

// ---- message handlers ----

LRESULT OnCreate(MainFormState& s) {
    CreateBoxFont(s);
    s.box = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                            0, 0, 0, 0, s.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBoxId)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!s.box) return -1;
    SendMessageW(s.box, WM_SETFONT, reinterpret_cast<WPARAM>(s.font), FALSE);
    LayOut(s);
    return 0;
}

void OnPaint(MainFormState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(s.hwnd, &ps);
    HGDIOBJ oldFont = SelectObject(dc, s.font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const int lineHeight = LineHeight(s);
    int y = StatusTop(s);
    size_t start = 0;
    while (start <= s.status.size()) {
        size_t end = s.status.find(L'\n', start);
        if (end == std::wstring::npos) end = s.status.size();
        size_t len = end - start;
        if (len > 0 && s.status[start + len - 1] == L'\r') --len;  // CR LF separated
        if (len > 0) TextOutW(dc, kMargin, y, s.status.data() + start, static_cast<int>(len));
        y += lineHeight;
        start = end + 1;
    }
    SelectObject(dc, oldFont);
    EndPaint(s.hwnd, &ps);
}

void OnTimer(MainFormState& s, UINT_PTR id) {
    switch (id) {
    case kMainTimer:
        if (s.ctx) MainTick(*s.ctx);
        break;
    case kNextTimer:
        if (s.ctx) RunWorkStep(*s.ctx);
        break;
    case kWinTimer: break;    // the visibility tick: fading, hiding, staying on top
    case kMoveTimer: break;   // the window following a drag
    case kPopupTimer:  // opening the popup menus outside the click
        if (s.ctx) PopupTimer_Timer(*s.ctx);
        break;
    default: break;
    }
}

void OnDestroy(MainFormState& s) {
    for (UINT_PTR id = kMainTimer; id <= kPopupTimer; ++id) KillTimer(s.hwnd, id);
    s.timerOn.fill(false);
    if (s.ctx) Form_Unload(*s.ctx);
    PostQuitMessage(0);
}

void OnNcDestroy(MainFormState& s) {
    SetWindowLongPtrW(s.hwnd, GWLP_USERDATA, 0);
    if (s.ownsFont) DeleteObject(s.font);
    s.font = nullptr;
    s.ownsFont = false;
    s.hwnd = nullptr;
    s.box = nullptr;
    s.trayAdded = false;
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* s = static_cast<MainFormState*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        s->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    MainFormState* s = StateOf(hwnd);
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);

    switch (msg) {
    case WM_CREATE: return OnCreate(*s);
    case WM_SIZE: LayOut(*s); return 0;
    case WM_PAINT: OnPaint(*s); return 0;
    case WM_SETFOCUS:
        if (s->box) SetFocus(s->box);
        return 0;
    case WM_TIMER: OnTimer(*s, wp); return 0;
    case kTrayMessage: return 0;  // the tray icon's clicks are routed by the window hook
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: OnDestroy(*s); return 0;
    case WM_NCDESTROY:
        OnNcDestroy(*s);
        return DefWindowProcW(hwnd, msg, wp, lp);
    default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

bool RegisterMainClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(instance, kClassName, &wc)) return true;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

WinMainWindow::~WinMainWindow() {
    if (!state_.hwnd) return;
    // Still open when the program object goes (the loop ended some other
    // way): the context may be gone already, so no events run now.
    state_.ctx = nullptr;
    RemoveTrayIcon();
    DestroyWindow(state_.hwnd);
}

void WinMainWindow::Load() {
    if (state_.hwnd) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterMainClass(instance)) return;
    state_.smallIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    const std::wstring title = Widen(std::string(kAppTitle) + " " + kVersionText);
    // WS_EX_TOOLWINDOW keeps it off the taskbar; the tray icon stands for it.
    CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, title.c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                    kDefaultPadSize * 10, kDefaultPadSize + 13, nullptr, nullptr, instance,
                    &state_);
    if (!state_.hwnd) return;
    SetTimerEnabled(TimerId::Main, true);
    SetTimerEnabled(TimerId::Win, true);
    if (state_.ctx) Form_Load(*state_.ctx);
}

void WinMainWindow::Show() {
    if (state_.hwnd) ShowWindow(state_.hwnd, SW_SHOW);
}

void WinMainWindow::UnloadAll() {
    // The dialogs come later; the main window's WM_DESTROY ends the program.
    if (state_.hwnd) DestroyWindow(state_.hwnd);
}

void WinMainWindow::SetBounds(int left, int top, int width, int height) {
    if (state_.hwnd)
        SetWindowPos(state_.hwnd, nullptr, left, top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinMainWindow::SetTimerEnabled(TimerId id, bool enabled) {
    const auto index = static_cast<size_t>(id);
    if (!state_.hwnd || index >= state_.timerOn.size()) return;
    // Switching on a running timer must not restart its interval.
    if (enabled == state_.timerOn[index]) return;
    if (enabled)
        state_.timerOn[index] = SetTimer(state_.hwnd, TimerIdOf(id), 1, nullptr) != 0;
    else {
        KillTimer(state_.hwnd, TimerIdOf(id));
        state_.timerOn[index] = false;
    }
}

std::string WinMainWindow::BoxText() {
    if (!state_.box) return "";
    const int n = GetWindowTextLengthW(state_.box);
    if (n <= 0) return "";
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(state_.box, text.data(), n + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return Narrow(text);
}

void WinMainWindow::SetBoxText(const std::string& text) {
    if (state_.box) SetWindowTextW(state_.box, Widen(text).c_str());
}

void WinMainWindow::SelectAllBoxText() {
    if (state_.box) SendMessageW(state_.box, EM_SETSEL, 0, -1);
}

void WinMainWindow::SetBoxEnabled(bool enabled) {
    if (state_.box) EnableWindow(state_.box, enabled ? TRUE : FALSE);
}

void WinMainWindow::AddTrayIcon(const std::string& tip) {
    if (!state_.hwnd) return;
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = state_.hwnd;
    nid.uID = kTrayIconId;
    nid.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = state_.smallIcon;
    const std::wstring wide = Widen(tip);
    const size_t n = std::min(wide.size(), std::size(nid.szTip) - 1);
    std::copy_n(wide.begin(), n, nid.szTip);
    state_.trayAdded = Shell_NotifyIconW(NIM_ADD, &nid) != 0;
}

void WinMainWindow::RemoveTrayIcon() {
    if (!state_.hwnd || !state_.trayAdded) return;
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = state_.hwnd;
    nid.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &nid);
    state_.trayAdded = false;
}

void WinMainWindow::ShowStatusText(const std::string& text) {
    std::wstring wide = Widen(text);
    // MainTick shows the status every tick; repaint only on a change.
    if (wide == state_.status) return;
    state_.status = std::move(wide);
    if (!state_.hwnd) return;
    RECT rc;
    GetClientRect(state_.hwnd, &rc);
    rc.top = StatusTop(state_);
    InvalidateRect(state_.hwnd, &rc, TRUE);
}

}  // namespace tw::win
