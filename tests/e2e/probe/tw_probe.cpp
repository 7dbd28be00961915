// tw_probe: reads what a person sees of a running tunewhistle.exe through
// the Win32 API, for the end-to-end tests (never shipped). It runs as a
// second process in the same Wine prefix and prints UTF-8 "key=value" lines.
//
//   tw_probe main               the main window, its keyword box and lines
//   tw_probe boxes              the program's visible message boxes
//   tw_probe menu               the items of the open popup menus
//   tw_probe taskbar-created    broadcasts "TaskbarCreated", as a new shell does
//   tw_probe tray-delete        removes the main window's notification icon
//   tw_probe close              posts WM_CLOSE to the main window
//   tw_probe wait-gone SECONDS  waits until no main window exists
//
// Exit status: 0 success, 1 window not found (or timeout), 2 usage error.

#include "platform/win32/win_include.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kMainClass[] = L"Tunewhistle.Main";
const wchar_t kMainTitle[] = L"Tunewhistle 3.10";
const wchar_t kDialogClass[] = L"#32770";
const wchar_t kProgramExe[] = L"tunewhistle.exe";
constexpr int kBoxId = 3100;
constexpr int kFirstLineId = 3200;
constexpr int kLineCount = 6;
constexpr UINT kTextTimeoutMs = 2000;

constexpr int kExitOk = 0;
constexpr int kExitNotFound = 1;
constexpr int kExitUsage = 2;

// --- output ----------------------------------------------------------------

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

// Raw bytes to the handle: the C runtime would convert through the ANSI code
// page, and under Wine a Unix pipe must get the UTF-8 unchanged.
void WriteAll(DWORD which, const std::string& bytes) {
    HANDLE h = GetStdHandle(which);
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(h, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return;
        done += wrote;
    }
}

// One value per line, whatever the text holds.
std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
            case L'\\': out += L"\\\\"; break;
            case L'\r': out += L"\\r"; break;
            case L'\n': out += L"\\n"; break;
            default: out += c;
        }
    }
    return out;
}

class Report {
public:
    void Put(const char* key, const std::wstring& value) {
        out_ += key;
        out_ += '=';
        out_ += Utf8(value);
        out_ += '\n';
    }
    void Put(const char* key, const std::string& value) {
        out_ += key;
        out_ += '=';
        out_ += value;
        out_ += '\n';
    }
    void Put(const char* key, long long value) { Put(key, std::to_string(value)); }
    void Flag(const char* key, bool value) { Put(key, std::string(value ? "1" : "0")); }
    void Flush() {
        WriteAll(STD_OUTPUT_HANDLE, out_);
        out_.clear();
    }

private:
    std::string out_;
};

void Warn(const std::wstring& what) { WriteAll(STD_ERROR_HANDLE, "tw_probe: " + Utf8(what) + "\n"); }

std::string Hex(std::uintptr_t v, int width = 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%0*llx", width, static_cast<unsigned long long>(v));
    return buf;
}

std::string Rect4(long a, long b, long c, long d) {
    return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," +
           std::to_string(d);
}

// --- reading windows -------------------------------------------------------

// The controls live in another process: WM_GETTEXT is marshalled for us, and
// the timeout keeps a hung program from hanging the test.
bool ReadText(HWND hwnd, std::wstring& text) {
    text.clear();
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs,
                             &len))
        return false;
    // The length may be an overestimate, never an underestimate; grow once
    // in case the text changed between the two calls.
    for (size_t room = static_cast<size_t>(len) + 1;; room *= 2) {
        std::vector<wchar_t> buf(room + 1, L'\0');
        DWORD_PTR got = 0;
        if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, room, reinterpret_cast<LPARAM>(buf.data()),
                                 SMTO_ABORTIFHUNG, kTextTimeoutMs, &got))
            return false;
        if (got + 1 < room || room > (1u << 24)) {
            text.assign(buf.data(), static_cast<size_t>(got) < room ? static_cast<size_t>(got) : room);
            return true;
        }
    }
}

std::wstring TextOf(HWND hwnd, const wchar_t* what) {
    std::wstring text;
    if (!ReadText(hwnd, text)) Warn(std::wstring(L"could not read the text of ") + what);
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t buf[256] = {};
    const int n = GetClassNameW(hwnd, buf, 256);
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

HWND FindMain() { return FindWindowW(kMainClass, kMainTitle); }

// "l,t,w,h" of a child relative to the main window's top-left corner.
std::string ChildRect(HWND child, const RECT& mainRect) {
    RECT r{};
    if (!GetWindowRect(child, &r)) return "none";
    return Rect4(r.left - mainRect.left, r.top - mainRect.top, r.right - r.left, r.bottom - r.top);
}

void PutRegion(Report& rep, HWND hwnd, int w, int h) {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    const int kind = rgn ? GetWindowRgn(hwnd, rgn) : ERROR;
    const bool has = kind == SIMPLEREGION || kind == COMPLEXREGION || kind == NULLREGION;
    rep.Put("region", std::string(kind == SIMPLEREGION    ? "simple"
                                  : kind == COMPLEXREGION ? "complex"
                                  : kind == NULLREGION    ? "empty"
                                                          : "none"));
    if (has) {
        RECT box{};
        GetRgnBox(rgn, &box);
        rep.Put("region_box", Rect4(box.left, box.top, box.right, box.bottom));
    } else {
        rep.Put("region_box", std::string("none"));
    }
    // Corners, edge middles, the centre and a point just inside the top-left
    // corner: enough to tell a rounded rectangle from a plain one.
    const POINT pts[] = {{0, 0},     {w - 1, 0},     {0, h - 1}, {w - 1, h - 1},
                         {w / 2, 0}, {0, h / 2}, {w / 2, h / 2}, {3, 3}};
    std::string flags;
    for (const POINT& p : pts) {
        if (!flags.empty()) flags += ',';
        flags += (!has || PtInRegion(rgn, p.x, p.y)) ? '1' : '0';
    }
    rep.Put("in_region", flags);
    if (rgn) DeleteObject(rgn);
}

void PutAlpha(Report& rep, HWND hwnd, bool layered) {
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (layered && GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags) && (flags & LWA_ALPHA))
        rep.Put("alpha", static_cast<long long>(alpha));
    else
        rep.Put("alpha", std::string("none"));
}

std::string FocusOf(HWND main, HWND box) {
    GUITHREADINFO gti{};
    gti.cbSize = sizeof gti;
    const DWORD tid = GetWindowThreadProcessId(main, nullptr);
    if (!GetGUIThreadInfo(tid, &gti) || gti.hwndFocus == nullptr) return "none";
    if (box && gti.hwndFocus == box) return "box";
    if (gti.hwndFocus == main) return "main";
    return "other";
}

int CmdMain() {
    HWND hwnd = FindMain();
    if (!hwnd) {
        Warn(L"no main window");
        return kExitNotFound;
    }
    Report rep;
    RECT wr{};
    GetWindowRect(hwnd, &wr);
    const int w = wr.right - wr.left;
    const int h = wr.bottom - wr.top;
    const LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    const bool layered = (ex & WS_EX_LAYERED) != 0;

    rep.Put("hwnd", Hex(reinterpret_cast<std::uintptr_t>(hwnd)));
    rep.Put("pid", static_cast<long long>(ProcessOf(hwnd)));
    rep.Flag("visible", IsWindowVisible(hwnd) != FALSE);
    rep.Put("left", static_cast<long long>(wr.left));
    rep.Put("top", static_cast<long long>(wr.top));
    rep.Put("width", static_cast<long long>(w));
    rep.Put("height", static_cast<long long>(h));
    rep.Put("exstyle", Hex(static_cast<std::uintptr_t>(static_cast<DWORD>(ex)), 8));
    rep.Flag("topmost", (ex & WS_EX_TOPMOST) != 0);
    rep.Flag("layered", layered);
    PutAlpha(rep, hwnd, layered);
    PutRegion(rep, hwnd, w, h);
    rep.Flag("foreground", GetForegroundWindow() == hwnd);

    HWND box = GetDlgItem(hwnd, kBoxId);
    rep.Put("focus", FocusOf(hwnd, box));
    if (box) {
        rep.Put("box", Escaped(TextOf(box, L"the keyword box")));
        rep.Flag("box_enabled", IsWindowEnabled(box) != FALSE);
        rep.Put("box_rect", ChildRect(box, wr));
    } else {
        rep.Put("box", std::string());
        rep.Flag("box_enabled", false);
        rep.Put("box_rect", std::string("none"));
    }

    for (int i = 0; i < kLineCount; ++i) {
        const std::string key = "line" + std::to_string(i);
        const std::string rectKey = key + "_rect";
        HWND line = GetDlgItem(hwnd, kFirstLineId + i);
        if (line) {
            const std::wstring what = L"status line " + std::to_wstring(i);
            rep.Put(key.c_str(), Escaped(TextOf(line, what.c_str())));
            rep.Put(rectKey.c_str(), ChildRect(line, wr));
        } else {
            rep.Put(key.c_str(), std::string());
            rep.Put(rectKey.c_str(), std::string("none"));
        }
    }
    rep.Flush();
    return kExitOk;
}

// --- message boxes -----------------------------------------------------------

// Without a main window (a notice shown before it, or by a second start)
// the program is known by its exe name instead.
bool IsProgramProcess(DWORD pid) {
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!p) return false;
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    const bool ok = QueryFullProcessImageNameW(p, 0, path, &size) != FALSE;
    CloseHandle(p);
    if (!ok) return false;
    const wchar_t* name = path;
    for (const wchar_t* c = path; *c; ++c)
        if (*c == L'\\' || *c == L'/') name = c + 1;
    return _wcsicmp(name, kProgramExe) == 0;
}

struct DialogSearch {
    DWORD pid = 0;  // 0: any process running the program's exe
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != kDialogClass) return TRUE;
    const DWORD pid = ProcessOf(hwnd);
    if (search->pid ? pid == search->pid : IsProgramProcess(pid)) search->found.push_back(hwnd);
    return TRUE;
}

// A named CALLBACK, not a lambda: 32-bit builds need the stdcall convention.
BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> out;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&out));
    return out;
}

bool IsClass(HWND hwnd, const wchar_t* name) { return _wcsicmp(ClassOf(hwnd).c_str(), name) == 0; }

// The message text: Windows and Wine both give its STATIC the id 0xFFFF
// (the icon is another STATIC). Any non-icon STATIC is the fallback.
HWND MessageTextOf(const std::vector<HWND>& children, HWND dialog) {
    HWND fallback = nullptr;
    for (HWND c : children) {
        if (GetParent(c) != dialog || !IsClass(c, L"Static")) continue;
        if (GetDlgCtrlID(c) == 0xFFFF) return c;
        const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
        if ((style & SS_TYPEMASK) != SS_ICON && !fallback) fallback = c;
    }
    return fallback;
}

// Captions in the order a person reads them, top to bottom, left to right:
// the child order is the dialog template's, which need not be the screen's.
std::wstring ButtonsOf(const std::vector<HWND>& children, HWND dialog) {
    struct Button {
        RECT at;
        HWND hwnd;
    };
    std::vector<Button> buttons;
    for (HWND c : children) {
        if (GetParent(c) != dialog || !IsWindowVisible(c) || !IsClass(c, L"Button")) continue;
        Button b{{}, c};
        GetWindowRect(c, &b.at);
        buttons.push_back(b);
    }
    std::stable_sort(buttons.begin(), buttons.end(), [](const Button& a, const Button& b) {
        return a.at.top != b.at.top ? a.at.top < b.at.top : a.at.left < b.at.left;
    });
    std::wstring out;
    for (const Button& b : buttons) {
        if (!out.empty()) out += L',';
        out += Escaped(TextOf(b.hwnd, L"a button caption"));
    }
    return out;
}

int CmdBoxes() {
    DialogSearch search;
    if (HWND main = FindMain()) search.pid = ProcessOf(main);
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found.empty()) {
        Warn(L"no message box");
        return kExitNotFound;
    }
    Report rep;
    for (HWND dlg : search.found) {
        rep.Put("box", Escaped(TextOf(dlg, L"a message box title")));
        const std::vector<HWND> children = ChildrenOf(dlg);
        HWND text = MessageTextOf(children, dlg);
        rep.Put("text", text ? Escaped(TextOf(text, L"a message text")) : std::wstring());
        rep.Put("buttons", ButtonsOf(children, dlg));
    }
    rep.Flush();
    return kExitOk;
}

// --- open popup menus ---------------------------------------------------------

BOOL CALLBACK CollectMenuWindow(HWND hwnd, LPARAM param) {
    if (IsWindowVisible(hwnd) && IsClass(hwnd, L"#32768"))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

// One line an item: "item=ID|FLAGS|CAPTION". FLAGS holds g (greyed), p (a
// sub-menu), s (a separator) and b (starts a new column with a bar).
void PutMenuItems(Report& rep, HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t caption[512] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = caption;
        info.cch = 511;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
            rep.Put("item", L"?|?|?");
            continue;
        }
        std::wstring flags;
        if (info.fState & MFS_GRAYED) flags += L'g';
        if (info.hSubMenu) flags += L'p';
        if (info.fType & MFT_SEPARATOR) flags += L's';
        if (info.fType & MFT_MENUBARBREAK) flags += L'b';
        const long id = info.hSubMenu ? -1 : static_cast<long>(static_cast<int>(info.wID));
        rep.Put("item", std::to_wstring(id) + L"|" + flags + L"|" + Escaped(caption));
    }
}

// The popup menus on the screen, the one opened first first: for each a
// line "menu=N" with its rectangle, then its items.
int CmdMenu() {
    std::vector<HWND> windows;
    EnumWindows(CollectMenuWindow, reinterpret_cast<LPARAM>(&windows));
    if (windows.empty()) {
        Warn(L"no open menu");
        return kExitNotFound;
    }
    std::reverse(windows.begin(), windows.end());  // z-order puts the newest first
    Report rep;
    for (size_t n = 0; n < windows.size(); ++n) {
        RECT rc{};
        GetWindowRect(windows[n], &rc);
        rep.Put("menu", std::to_wstring(n));
        rep.Put("menu_rect", Rect4(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top));
        auto menu = reinterpret_cast<HMENU>(SendMessageW(windows[n], MN_GETHMENU, 0, 0));
        if (menu) PutMenuItems(rep, menu);
    }
    rep.Flush();
    return kExitOk;
}

// Tells every top-level window that the taskbar has come back, as a newly
// started shell does.
int CmdTaskbarCreated() {
    const UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, msg, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    return kExitOk;
}

// Takes the main window's notification icon away, as a shell that died
// and came back without it would.
int CmdTrayDelete() {
    HWND hwnd = FindMain();
    if (!hwnd) {
        Warn(L"no main window");
        return kExitNotFound;
    }
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hwnd;
    nid.uID = 1;
    return Shell_NotifyIconW(NIM_DELETE, &nid) ? kExitOk : kExitNotFound;
}

// --- closing -------------------------------------------------------------------

int CmdClose() {
    HWND hwnd = FindMain();
    if (!hwnd) {
        Warn(L"no main window");
        return kExitNotFound;
    }
    if (!PostMessageW(hwnd, WM_CLOSE, 0, 0)) {
        Warn(L"PostMessage failed");
        return kExitNotFound;
    }
    return kExitOk;
}

int CmdWaitGone(double seconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000.0);
    for (;;) {
        if (!FindMain()) return kExitOk;
        if (GetTickCount64() >= deadline) {
            Warn(L"the main window is still there");
            return kExitNotFound;
        }
        Sleep(100);
    }
}

bool ParseSeconds(const wchar_t* s, double& out) {
    wchar_t* end = nullptr;
    out = std::wcstod(s, &end);
    return end != s && *end == L'\0' && out >= 0.0 && out < 86400.0;
}

int Usage() {
    WriteAll(STD_ERROR_HANDLE,
             "usage: tw_probe main | boxes | menu | taskbar-created | tray-delete | close |\n"
             "                wait-gone SECONDS\n");
    return kExitUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring cmd = argv[1];
    if (cmd == L"main" && argc == 2) return CmdMain();
    if (cmd == L"boxes" && argc == 2) return CmdBoxes();
    if (cmd == L"close" && argc == 2) return CmdClose();
    if (cmd == L"menu" && argc == 2) return CmdMenu();
    if (cmd == L"taskbar-created" && argc == 2) return CmdTaskbarCreated();
    if (cmd == L"tray-delete" && argc == 2) return CmdTrayDelete();
    if (cmd == L"wait-gone" && argc == 3) {
        double seconds = 0;
        if (!ParseSeconds(argv[2], seconds)) return Usage();
        return CmdWaitGone(seconds);
    }
    return Usage();
}
