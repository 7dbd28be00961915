#include "views/win32/win_main_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

#include "model/app_context.h"
#include "model/state_record.h"
#include "platform/win32/wide.h"
#include "views/win32/resource.h"
#include "views/win32/win_hook_messages.h"
#include "views/win32/win_keyword_box.h"
#include "window/keyboard.h"
#include "window/type_ahead.h"
#include "window/window_input.h"

namespace tw::win {

namespace {

const wchar_t kClassName[] = L"Tunewhistle.Main";

constexpr UINT kTrayIconId = 1;

UINT_PTR TimerIdOf(TimerId id) { return static_cast<UINT_PTR>(id) + 1; }
constexpr UINT_PTR kMainTimer = 1, kNextTimer = 2, kWinTimer = 3, kMoveTimer = 4, kPopupTimer = 5;
static_assert(static_cast<int>(TimerId::Main) + 1 == kMainTimer &&
              static_cast<int>(TimerId::Next) + 1 == kNextTimer &&
              static_cast<int>(TimerId::Win) + 1 == kWinTimer &&
              static_cast<int>(TimerId::Move) + 1 == kMoveTimer &&
              static_cast<int>(TimerId::Popup) + 1 == kPopupTimer);

constexpr WPARAM kAnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

MainFormState* StateOf(HWND hwnd) {
    return reinterpret_cast<MainFormState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

int16_t ButtonOf(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: return kButtonLeft;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: return kButtonRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    default: return kButtonMiddle;
    }
}

int PadAt(const MainFormState& s, int x, int y) {
    for (int i = 0; i < 4; ++i)
        if (s.look.geometry.pads[static_cast<size_t>(i)].Contains(x, y)) return i;
    return -1;
}

// Only the status lines inside the window are shown: a label below the
// last line shown would still cover the outline's bottom edge, since the
// window does not paint under its children.
void ShowLinesThatFit(MainFormState& s) {
    for (size_t i = 0; i < s.lines.size(); ++i) {
        if (!s.lines[i]) continue;
        const bool fits = s.look.geometry.lines[i].Bottom() <= s.look.height;
        if ((IsWindowVisible(s.lines[i]) != FALSE) != fits) ShowWindow(s.lines[i], fits ? SW_SHOWNA : SW_HIDE);
    }
}

void AddIcon(MainFormState& s) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = s.hwnd;
    nid.uID = kTrayIconId;
    nid.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = s.smallIcon;
    const size_t n = std::min(s.trayTip.size(), std::size(nid.szTip) - 1);
    std::copy_n(s.trayTip.begin(), n, nid.szTip);
    s.trayAdded = Shell_NotifyIconW(NIM_ADD, &nid) != 0;
}

// ---- message handlers ----

LRESULT OnCreate(MainFormState& s) {
    s.box = CreateKeywordBox(s.hwnd, kBoxId, &s.ctx);
    if (!s.box) return -1;
    for (int i = 0; i < 6; ++i) {
        // Plain labels: no SS_NOTIFY, so clicks fall through to the window
        // (a drag or the menu from a status line), and no word wrap.
        s.lines[i] = CreateWindowExW(0, L"STATIC", L"",
                                     WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0,
                                     0, 0, s.hwnd,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstLineId + i)),
                                     GetModuleHandleW(nullptr), nullptr);
    }
    DragAcceptFiles(s.hwnd, TRUE);
    s.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    s.shellHookMessage = RegisterWindowMessageW(L"SHELLHOOK");
    return 0;
}

void OnPaint(MainFormState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(s.hwnd, &ps);
    RECT client;
    GetClientRect(s.hwnd, &client);
    // Drawn off screen first: the outline and the pads never flicker while
    // the window fades.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = mem ? CreateCompatibleBitmap(dc, client.right, client.bottom) : nullptr;
    if (bitmap) {
        HGDIOBJ old = SelectObject(mem, bitmap);
        PaintMainForm(s.look, mem, client);
        BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(bitmap);
    } else {
        PaintMainForm(s.look, dc, client);
    }
    if (mem) DeleteDC(mem);
    EndPaint(s.hwnd, &ps);
}

LRESULT OnLabelColor(MainFormState& s, HDC dc, HWND control) {
    if (control == s.box) return DefWindowProcW(s.hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                reinterpret_cast<LPARAM>(control));
    // The lines are see-through labels: the window's colour behind the
    // system's label text colour.
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, s.look.back);
    return reinterpret_cast<LRESULT>(s.look.backBrush);
}

void OnButtonDown(MainFormState& s, UINT msg, LPARAM lp) {
    if (!s.ctx) return;
    AppContext& ctx = *s.ctx;
    const int16_t button = ButtonOf(msg);
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    // Like any window the press belongs to, the window keeps the mouse
    // until the buttons are up, so a drag cannot lose its release.
    if (GetCapture() != s.hwnd) ::SetCapture(s.hwnd);
    const int pad = PadAt(s, x, y);
    s.pressTarget = pad;
    if (pad < 0)
        Form_MouseDown(ctx, button, ShiftState(), x, y);
    else if (msg == WM_LBUTTONDBLCLK)
        IM_DblClick(ctx, pad);
    else
        IM_MouseDown(ctx, pad, button, ShiftState(), x - s.look.geometry.pads[pad].left,
                     y - s.look.geometry.pads[pad].top);
}

void OnButtonUp(MainFormState& s, UINT msg, WPARAM wp, LPARAM lp) {
    if (!s.ctx) return;
    AppContext& ctx = *s.ctx;
    const int16_t button = ButtonOf(msg);
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    // The release goes where its press went.
    const int pad = s.pressTarget;
    if (pad < 0)
        Form_MouseUp(ctx, button, ShiftState(), x, y);
    else
        IM_MouseUp(ctx, pad, button, ShiftState(), x - s.look.geometry.pads[pad].left,
                   y - s.look.geometry.pads[pad].top);
    if ((wp & kAnyButton) == 0) {
        s.pressTarget = -1;
        if (GetCapture() == s.hwnd && !ctx.win.ButtonCaptured) ReleaseCapture();
    }
}

void OnCaptureLost(MainFormState& s) {
    if (!s.ctx) return;
    AppContext& ctx = *s.ctx;
    // Another window took the mouse (a message box, the system): a drag
    // ends where it is, and a held button is let go, as at a release.
    if (ctx.win.Dragging) Form_MouseUp(ctx, kButtonLeft, 0, 0, 0);
    for (int i = 0; i < 3; ++i)
        if (ctx.win.ExtraButtonHeld[i]) Form_MouseUp(ctx, static_cast<int16_t>(1 << (i + 2)), 0, 0, 0);
    s.pressTarget = -1;
}

void OnDropFiles(MainFormState& s, HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        const UINT got = DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(got);
        paths.push_back(Narrow(path));
    }
    DragFinish(drop);
    if (s.ctx) Form_OLEDragDrop(*s.ctx, paths);
}

void OnTimer(MainFormState& s, UINT_PTR id) {
    if (!s.ctx || !s.events || id < kMainTimer || id > kPopupTimer) return;
    s.events->OnTimer(static_cast<TimerId>(id - 1));
}

void OnKeyDown(MainFormState& s, WPARAM wp) {
    if (!s.ctx) return;
    int16_t key = static_cast<int16_t>(wp & 0xFFFF);
    Form_KeyDown(*s.ctx, key, ShiftState());
}

std::optional<MediaKey> MediaKeyOf(LPARAM lp) {
    switch (GET_APPCOMMAND_LPARAM(lp)) {
    case APPCOMMAND_MEDIA_PLAY_PAUSE: return MediaKey::PlayPause;
    case APPCOMMAND_MEDIA_STOP: return MediaKey::Stop;
    case APPCOMMAND_MEDIA_NEXTTRACK: return MediaKey::Next;
    case APPCOMMAND_MEDIA_PREVIOUSTRACK: return MediaKey::Previous;
    default: return std::nullopt;
    }
}

// True when the command was the program's: it must then not go on to the
// shell, which would hand it back a second time.
bool OnAppCommand(MainFormState& s, LPARAM lp, KeySource source) {
    const std::optional<MediaKey> key = MediaKeyOf(lp);
    return s.ctx && key && OnMediaKey(*s.ctx, *key, source);
}

void OnClose(MainFormState& s) {
    // Alt+F4, a close from the task list or another program: quit the way
    // the menu does, so everything changed in this run is saved.
    // Not while a dialog is open: the user is in the middle of it.
    if (!s.ctx) return;
    const RuntimeState& run = s.ctx->run;
    if (!run.Quitting && !run.SettingsDialogOpen && !run.VersionDialogOpen) s.ctx->run.AppState = -1;
}

void OnDestroy(MainFormState& s) {
    for (UINT_PTR id = kMainTimer; id <= kPopupTimer; ++id) KillTimer(s.hwnd, id);
    s.timerOn.fill(false);
    if (s.ctx && s.events) s.events->OnUnload();
    PostQuitMessage(0);
}

void OnNcDestroy(MainFormState& s) {
    SetWindowLongPtrW(s.hwnd, GWLP_USERDATA, 0);
    s.hwnd = nullptr;
    s.box = nullptr;
    s.lines.fill(nullptr);
    s.trayAdded = false;
}

// The intervals of a resting timer: the main tick still polls the folder
// watches four times a second; the visibility tick waits for a message.
UINT RestingInterval(TimerId id) { return id == TimerId::Main ? 500 : 2000; }

// Brings the resting ticks back to the full rate.
void WakeTimers(MainFormState& s) {
    for (TimerId id : {TimerId::Main, TimerId::Win}) {
        const auto i = static_cast<size_t>(id);
        if (!s.hwnd || !s.timerOn[i] || !s.timerResting[i]) continue;
        SetTimer(s.hwnd, TimerIdOf(id), 1, nullptr);
        s.timerResting[i] = false;
    }
}

// Everything but the messages the ticks themselves cause (painting, the
// window's own moves) and the timers: input, commands, the icon, hotkeys,
// the pointer over the window or its controls (WM_SETCURSOR comes up from
// them), menus opening and closing.
bool WakesTimers(UINT msg) {
    switch (msg) {
    case WM_TIMER:
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_NCPAINT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETICON:
    case WM_GETOBJECT:
    case WM_GETMINMAXINFO:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_MOVE:
    case WM_SIZE:
    case WM_NCCALCSIZE:
        return false;
    default:
        return true;
    }
}

LRESULT HandleMainMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    MainFormState* s = msg == WM_NCCREATE ? nullptr : StateOf(hwnd);
    const bool wakes = s && WakesTimers(msg);
    if (wakes) WakeTimers(*s);
    const LRESULT result = HandleMainMessage(hwnd, msg, wp, lp);
    // Once more after it: a menu or dialog run inside may have let the
    // ticks rest, and what it did may need them now.
    if (wakes && (s = StateOf(hwnd)) != nullptr) WakeTimers(*s);
    return result;
}

LRESULT HandleMainMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* s = static_cast<MainFormState*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        s->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    MainFormState* s = StateOf(hwnd);
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
    // The hook sees every message first (menu commands, menus opening and
    // closing, the wheel, the extra buttons, the icon); each then goes on
    // to the window's own handling below.
    if (s->ctx)
        if (const std::optional<HookEvent> e = DecodeHookMessage(msg, wp, lp)) HookWindowProc(*s->ctx, *e);

    switch (msg) {
    case WM_CREATE: return OnCreate(*s);
    case WM_ERASEBKGND: return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: OnPaint(*s); return 0;
    case WM_CTLCOLORSTATIC: return OnLabelColor(*s, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_SETFOCUS:
        if (s->box && IsWindowEnabled(s->box)) SetFocus(s->box);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        OnKeyDown(*s, wp);
        break;  // Alt+F4 and the like still reach the system
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        OnButtonDown(*s, msg, lp);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        OnButtonUp(*s, msg, wp, lp);
        return 0;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
    case WM_XBUTTONUP:
        return TRUE;  // the hook has passed them on
    case WM_MOUSEWHEEL:
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hwnd) OnCaptureLost(*s);
        return 0;
    case WM_DROPFILES: OnDropFiles(*s, reinterpret_cast<HDROP>(wp)); return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == kBoxId && HIWORD(wp) == EN_CHANGE && s->ctx) Tb_Change(*s->ctx);
        break;
    case WM_HOTKEY:
        if (s->ctx) OnHotkey(*s->ctx, static_cast<int>(wp));
        return 0;
    case WM_APPCOMMAND:
        if (OnAppCommand(*s, lp, KeySource::Window)) return TRUE;
        break;
    case WM_TIMER: OnTimer(*s, wp); return 0;
    case kTrayMessage: return 0;
    case WM_CLOSE: OnClose(*s); return 0;
    case WM_DESTROY: OnDestroy(*s); return 0;
    case WM_NCDESTROY:
        OnNcDestroy(*s);
        return DefWindowProcW(hwnd, msg, wp, lp);
    default:
        // Explorer restarted: the icon it showed is gone and must come back,
        // or a hidden window could not be reached any more.
        if (msg == s->taskbarCreated && msg != 0 && !s->trayTip.empty()) AddIcon(*s);
        if (msg == s->shellHookMessage && msg != 0 && wp == HSHELL_APPCOMMAND)
            return OnAppCommand(*s, lp, KeySource::Shell) ? TRUE : FALSE;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool RegisterMainClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(instance, kClassName, &wc)) return true;
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;  // the pads take a double click as a second press
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = nullptr;  // painted whole by WM_PAINT
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
    const std::wstring title = Widen(AppCaption());
    // WS_EX_TOOLWINDOW keeps it off the taskbar; the tray icon stands for it.
    CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, title.c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                    180, 31, nullptr, nullptr, instance, &state_);
    if (!state_.hwnd) return;
    SetTimerEnabled(TimerId::Main, true);
    SetTimerEnabled(TimerId::Win, true);
    if (state_.ctx && state_.events) state_.events->OnLoad();
}

void WinMainWindow::Show() {
    if (state_.hwnd) ShowWindow(state_.hwnd, SW_SHOW);
}

void WinMainWindow::UnloadAll() {
    // The dialogs come later; the main window's WM_DESTROY ends the program.
    if (state_.hwnd) DestroyWindow(state_.hwnd);
}

void WinMainWindow::SetTimerEnabled(TimerId id, bool enabled) {
    const auto index = static_cast<size_t>(id);
    if (!state_.hwnd || index >= state_.timerOn.size()) return;
    // Switching on a running timer must not restart its interval.
    if (enabled == state_.timerOn[index]) return;
    state_.timerResting[index] = false;
    if (enabled)
        state_.timerOn[index] = SetTimer(state_.hwnd, TimerIdOf(id), 1, nullptr) != 0;
    else {
        KillTimer(state_.hwnd, TimerIdOf(id));
        state_.timerOn[index] = false;
    }
}

void WinMainWindow::SetTimerResting(TimerId id, bool resting) {
    const auto index = static_cast<size_t>(id);
    if (!state_.hwnd || index >= state_.timerOn.size() || !state_.timerOn[index]) return;
    if (state_.timerResting[index] == resting) return;
    // SetTimer on a running timer's id gives it the new interval.
    SetTimer(state_.hwnd, TimerIdOf(id), resting ? RestingInterval(id) : 1, nullptr);
    state_.timerResting[index] = resting;
}

bool WinMainWindow::TimerEnabled(TimerId id) {
    const auto index = static_cast<size_t>(id);
    return index < state_.timerOn.size() && state_.timerOn[index];
}

void WinMainWindow::SetCaption(const std::string& text) {
    if (state_.hwnd) SetWindowTextW(state_.hwnd, Widen(text).c_str());
}

PixelRect WinMainWindow::Bounds() {
    RECT rc{};
    if (state_.hwnd) GetWindowRect(state_.hwnd, &rc);
    return {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
}

void WinMainWindow::SetBounds(int left, int top, int width, int height) {
    if (state_.hwnd)
        SetWindowPos(state_.hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinMainWindow::MoveTo(int left, int top) {
    if (state_.hwnd)
        SetWindowPos(state_.hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinMainWindow::SetTopMost(bool topMost) {
    if (state_.hwnd)
        SetWindowPos(state_.hwnd, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void WinMainWindow::SetShape(const WindowGeometry& geometry, int height) {
    MainFormState& s = state_;
    s.look.geometry = geometry;
    s.look.height = height;
    if (!s.hwnd) return;
    SetWindowPos(s.hwnd, nullptr, 0, 0, geometry.width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The region belongs to the window from here on.
    HRGN region = CreateRoundRectRgn(0, 0, geometry.width, height, geometry.regionEllipseWidth,
                                     geometry.regionEllipseHeight);
    if (region && !SetWindowRgn(s.hwnd, region, TRUE)) DeleteObject(region);
    ShowLinesThatFit(s);
    InvalidateRect(s.hwnd, nullptr, FALSE);
}

void WinMainWindow::SetColors(RgbColor back, RgbColor line) {
    SetLookColors(state_.look, back, line);
    // The lines take the new background too.
    if (state_.hwnd)
        RedrawWindow(state_.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void WinMainWindow::PlaceControls(const WindowGeometry& g) {
    MainFormState& s = state_;
    s.look.geometry = g;
    CreateLookFonts(s.look, g);
    if (!s.hwnd) return;
    if (s.box) {
        MoveWindow(s.box, g.box.left, g.box.top, g.box.width, g.box.height, TRUE);
        SendMessageW(s.box, WM_SETFONT, reinterpret_cast<WPARAM>(s.look.boxFont), TRUE);
        // Text selected while the box had no width left it scrolled to its
        // end; show it from the start again, keeping the selection.
        DWORD from = 0, to = 0;
        SendMessageW(s.box, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        SendMessageW(s.box, EM_SETSEL, 0, 0);
        SendMessageW(s.box, EM_SETSEL, from, to);
    }
    for (size_t i = 0; i < s.lines.size(); ++i) {
        if (!s.lines[i]) continue;
        const PixelRect& r = g.lines[i];
        MoveWindow(s.lines[i], r.left, r.top, r.width, r.height, TRUE);
        SendMessageW(s.lines[i], WM_SETFONT, reinterpret_cast<WPARAM>(s.look.lineFont), TRUE);
    }
    ShowLinesThatFit(s);
    InvalidateRect(s.hwnd, nullptr, FALSE);
}

int WinMainWindow::TextWidth(const std::string& text) { return MeasureLineText(state_.look, Widen(text)); }

void WinMainWindow::SetLineText(int index, const std::string& text) {
    if (index < 0 || index >= 6 || !state_.lines[static_cast<size_t>(index)]) return;
    SetWindowTextW(state_.lines[static_cast<size_t>(index)], Widen(text).c_str());
}

void WinMainWindow::SetPadPicture(int index, int picture) {
    if (index < 0 || index >= 4) return;
    state_.look.padPictures[static_cast<size_t>(index)] = picture;
    if (!state_.hwnd) return;
    const RECT rc = PadRect(state_.look, index);
    InvalidateRect(state_.hwnd, &rc, FALSE);
}

void WinMainWindow::SetVisible(bool visible) {
    if (!state_.hwnd || (IsWindowVisible(state_.hwnd) != FALSE) == visible) return;
    // Showing never activates: BringToFront does that when it is wanted.
    ShowWindow(state_.hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void WinMainWindow::SetLayeredStyle(bool layered) {
    if (!state_.hwnd) return;
    const LONG_PTR style = GetWindowLongPtrW(state_.hwnd, GWL_EXSTYLE);
    const LONG_PTR wanted = layered ? style | WS_EX_LAYERED : style & ~static_cast<LONG_PTR>(WS_EX_LAYERED);
    if (wanted == style) return;
    SetWindowLongPtrW(state_.hwnd, GWL_EXSTYLE, wanted);
    // A window that stops being layered has to be painted anew.
    if (!layered)
        RedrawWindow(state_.hwnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

void WinMainWindow::SetLayeredAlpha(uint8_t alpha) {
    if (state_.hwnd) SetLayeredWindowAttributes(state_.hwnd, 0, alpha, LWA_ALPHA);
}

void WinMainWindow::BringToFront() {
    HWND hwnd = state_.hwnd;
    if (!hwnd) return;
    // Windows lets only the foreground thread hand the foreground on:
    // borrow its input state for the moment of the switch.
    const DWORD own = GetCurrentThreadId();
    const DWORD fg = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    const bool attach = fg != 0 && fg != own;
    if (attach) AttachThreadInput(own, fg, TRUE);
    SetForegroundWindow(hwnd);
    if (attach) AttachThreadInput(own, fg, FALSE);
    BringWindowToTop(hwnd);
}

PixelPoint WinMainWindow::CursorPos() {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

void WinMainWindow::SetCapture(bool captured) {
    if (!state_.hwnd) return;
    if (captured)
        ::SetCapture(state_.hwnd);
    else if (GetCapture() == state_.hwnd)
        ReleaseCapture();
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
    if (!state_.box) return;
    EnableWindow(state_.box, enabled ? TRUE : FALSE);
    // Disabling the box took the keyboard focus from it and gave it to no
    // window: keys typed after a registration would go nowhere.
    if (enabled && !GetFocus() && GetActiveWindow() == state_.hwnd) SetFocus(state_.box);
}

bool WinMainWindow::BoxEnabled() { return state_.box && IsWindowEnabled(state_.box); }

void WinMainWindow::FocusBox() {
    if (state_.box) SetFocus(state_.box);
}

void WinMainWindow::AddTrayIcon(const std::string& tip) {
    if (!state_.hwnd) return;
    state_.trayTip = Widen(tip);
    AddIcon(state_);
}

void WinMainWindow::TrackPopupMenu(const MenuModel& menus) {
    if (state_.hwnd) state_.menus.Track(state_.hwnd, menus);
}

void WinMainWindow::DestroyMenus() { state_.menus.Destroy(); }

void WinMainWindow::RepaintNow() {
    // The window, then the keyword box, each drawn before returning: a
    // closed menu must not leave its shadow on them.
    if (state_.hwnd) RedrawWindow(state_.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    if (state_.box) RedrawWindow(state_.box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool WinMainWindow::RegisterHotkey(int id, int32_t chord) {
    if (!state_.hwnd) return false;
    const int32_t mods = chord >> 8;
    const UINT modifiers = ((mods & kChordShift) ? MOD_SHIFT : 0) | ((mods & kChordControl) ? MOD_CONTROL : 0) |
                           ((mods & kChordAlt) ? MOD_ALT : 0);
    const UINT key = static_cast<UINT>(chord & 0xFF);
    // Once a press, not once each repeat of a held key; systems before
    // Windows 7 do not know the flag and refuse it.
    if (::RegisterHotKey(state_.hwnd, id, modifiers | MOD_NOREPEAT, key)) return true;
    return GetLastError() == ERROR_INVALID_PARAMETER && ::RegisterHotKey(state_.hwnd, id, modifiers, key);
}

void WinMainWindow::UnregisterHotkey(int id) {
    if (state_.hwnd) ::UnregisterHotKey(state_.hwnd, id);
}

bool WinMainWindow::WatchShellCommands(bool on) {
    if (!state_.hwnd) return false;
    if (!on) return DeregisterShellHookWindow(state_.hwnd) != FALSE;
    return RegisterShellHookWindow(state_.hwnd) != FALSE;
}

void WinMainWindow::RemoveTrayIcon() {
    state_.trayTip.clear();  // not wanted back either
    if (!state_.hwnd || !state_.trayAdded) return;
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = state_.hwnd;
    nid.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &nid);
    state_.trayAdded = false;
}

}  // namespace tw::win
