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
//   tw_probe dialog CLASS       a window of that class: its controls and
//                               their state, list and tab contents
//
// Exit status: 0 success, 1 window not found (or timeout), 2 usage error.

#include "platform/win32/win_include.h"

#include <commctrl.h>
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

// --- dialogs of the program's own classes ------------------------------------

struct ClassSearch {
    const wchar_t* name;
    HWND found = nullptr;
};

// EnumWindows goes front to back, so the first match is the topmost.
BOOL CALLBACK FindVisibleOfClass(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    if (!IsWindowVisible(hwnd) || !IsClass(hwnd, search->name)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// A 32-bit process on a 64-bit system runs under WOW64; equal flags mean
// equal pointer sizes, whichever way the probe was built.
bool IsWow64(HANDLE process) {
    BOOL wow = FALSE;
    return IsWow64Process(process, &wow) && wow;
}

// Memory inside the control's process. List view and tab control messages
// carry pointers no system marshals between processes, so their structs and
// text buffers must live where the control can write them; we read them back.
class RemoteMemory {
public:
    explicit RemoteMemory(HWND control) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                   PROCESS_QUERY_INFORMATION,
                               FALSE, ProcessOf(control));
        if (!process_) {
            Warn(L"cannot open the control's process");
            return;
        }
        // The structs are written with this build's layout (pointer size).
        if (IsWow64(process_) != IsWow64(GetCurrentProcess())) {
            Warn(L"the control's process has another pointer size than the probe");
            CloseHandle(process_);
            process_ = nullptr;
        }
    }
    ~RemoteMemory() {
        if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    // At least BYTES at Base(); earlier contents are lost when it grows.
    bool Reserve(size_t bytes) {
        if (!process_) return false;
        if (base_ && size_ >= bytes) return true;
        if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        base_ = static_cast<char*>(
            VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        size_ = base_ ? bytes : 0;
        if (!base_) Warn(L"VirtualAllocEx failed");
        return base_ != nullptr;
    }
    char* Base() const { return base_; }

    bool Write(const void* at, const void* data, size_t n) {
        SIZE_T done = 0;
        return WriteProcessMemory(process_, const_cast<void*>(at), data, n, &done) && done == n;
    }
    bool Read(const void* at, void* out, size_t n) {
        SIZE_T done = 0;
        return ReadProcessMemory(process_, at, out, n, &done) && done == n;
    }
    // Up to the terminating NUL. Read a piece at a time: the string may end
    // just before an unreadable page.
    std::wstring ReadString(const wchar_t* at, size_t maxChars) {
        std::wstring out;
        wchar_t piece[256];
        while (out.size() < maxChars) {
            const size_t n = std::min<size_t>(256, maxChars - out.size());
            if (!Read(at + out.size(), piece, n * sizeof(wchar_t))) break;
            const wchar_t* end = std::find(piece, piece + n, L'\0');
            out.append(piece, static_cast<size_t>(end - piece));
            if (end != piece + n) break;
        }
        return out;
    }

private:
    HANDLE process_ = nullptr;
    char* base_ = nullptr;
    size_t size_ = 0;
};

bool SendTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR& result) {
    result = 0;
    return SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, kTextTimeoutMs, &result) != 0;
}

long long Query(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR result = 0;
    SendTimeout(hwnd, msg, wp, lp, result);
    return static_cast<long long>(static_cast<LRESULT>(result));
}

// Sends MSG with ITEM (an LVITEMW, LVCOLUMNW or TCITEMW, mask set) placed in
// the control's process, its text buffer right behind it. The control may
// point pszText at text of its own instead of filling the buffer.
template <class Item>
std::wstring RemoteText(RemoteMemory& mem, HWND control, UINT msg, WPARAM wp, Item item) {
    constexpr size_t kTextAt = (sizeof(Item) + 15) & ~size_t{15};
    for (size_t room = 512;; room *= 8) {
        if (!mem.Reserve(kTextAt + room * sizeof(wchar_t))) return {};
        auto* buffer = reinterpret_cast<wchar_t*>(mem.Base() + kTextAt);
        item.pszText = buffer;
        item.cchTextMax = static_cast<int>(room);
        const wchar_t nul = L'\0';
        DWORD_PTR ignored = 0;
        Item back{};
        if (!mem.Write(mem.Base(), &item, sizeof item) || !mem.Write(buffer, &nul, sizeof nul) ||
            !SendTimeout(control, msg, wp, reinterpret_cast<LPARAM>(mem.Base()), ignored) ||
            !mem.Read(mem.Base(), &back, sizeof back)) {
            Warn(L"could not read an item of a list view or tab control");
            return {};
        }
        if (back.pszText == nullptr) return {};
        std::wstring text = mem.ReadString(back.pszText, room);
        // A full buffer may have cut the text short.
        if (back.pszText != buffer || text.size() + 1 < room || room >= (1u << 16)) return text;
    }
}

// "x,y,w,h" of a screen rectangle relative to the dialog's client origin.
std::string RectIn(const POINT& client, const RECT& screen) {
    return Rect4(screen.left - client.x, screen.top - client.y, screen.right - screen.left,
                 screen.bottom - screen.top);
}

// "0/1/2" for the button kinds that hold a check state, "-" for the rest.
std::string CheckOf(HWND control) {
    if (!IsClass(control, WC_BUTTONW)) return "-";
    switch (GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return std::to_string(Query(control, BM_GETCHECK));
        default:
            return "-";
    }
}

// CB_GETLBTEXT is one of the few messages Windows and Wine marshal between
// processes (for combo boxes holding strings), so a local buffer will do.
void PutComboItems(Report& rep, HWND combo, const std::wstring& id) {
    std::wstring items;
    const long long count = Query(combo, CB_GETCOUNT);
    for (long long i = 0; i < count; ++i) {
        const long long len = Query(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i));
        // Room to spare in case the item grew between the two messages.
        std::vector<wchar_t> buf(static_cast<size_t>(len > 0 ? len : 0) + 64, L'\0');
        DWORD_PTR got = 0;
        if (!SendTimeout(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(buf.data()), got))
            Warn(L"could not read a combo box item");
        if (i > 0) items += L',';
        items += Escaped(std::wstring(buf.data(), wcsnlen(buf.data(), buf.size())));
    }
    rep.Put("items", id + L"|" + items);
    rep.Put("selected", id + L"|" + std::to_wstring(Query(combo, CB_GETCURSEL)));
}

void PutListView(Report& rep, HWND list, const std::wstring& id) {
    RemoteMemory mem(list);
    HWND header = reinterpret_cast<HWND>(static_cast<LONG_PTR>(Query(list, LVM_GETHEADER)));
    const long long columns = header ? Query(header, HDM_GETITEMCOUNT) : 0;
    std::wstring headers, widths;
    for (long long c = 0; c < columns; ++c) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT;
        if (c > 0) {
            headers += L',';
            widths += L',';
        }
        headers += Escaped(RemoteText(mem, list, LVM_GETCOLUMNW, static_cast<WPARAM>(c), col));
        widths += std::to_wstring(Query(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c)));
    }
    rep.Put("columns", id + L"|" + headers);
    rep.Put("column_widths", id + L"|" + widths);

    const long long rows = Query(list, LVM_GETITEMCOUNT);
    for (long long r = 0; r < rows; ++r) {
        const bool selected =
            (Query(list, LVM_GETITEMSTATE, static_cast<WPARAM>(r), LVIS_SELECTED) & LVIS_SELECTED) != 0;
        std::wstring line = id + L"|" + std::to_wstring(r) + L"|" + (selected ? L"1" : L"0");
        // Outside report view there may be no header, but there is a label.
        for (long long c = 0; c < std::max(columns, 1LL); ++c) {
            LVITEMW item{};
            item.iSubItem = static_cast<int>(c);
            line += L"|" + Escaped(RemoteText(mem, list, LVM_GETITEMTEXTW, static_cast<WPARAM>(r), item));
        }
        rep.Put("row", line);
    }
}

// Each tab with its rectangle in the dialog's client area, for a click.
void PutTabs(Report& rep, HWND tabs, const std::wstring& id, const POINT& client) {
    RemoteMemory mem(tabs);
    POINT origin{0, 0};
    ClientToScreen(tabs, &origin);
    const long long count = Query(tabs, TCM_GETITEMCOUNT);
    const long long current = Query(tabs, TCM_GETCURSEL);
    for (long long t = 0; t < count; ++t) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        const std::wstring caption =
            Escaped(RemoteText(mem, tabs, TCM_GETITEMW, static_cast<WPARAM>(t), item));
        RECT r{};
        DWORD_PTR ok = 0;
        std::string where = "none";
        if (mem.Reserve(sizeof r) &&
            SendTimeout(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(t),
                        reinterpret_cast<LPARAM>(mem.Base()), ok) &&
            ok && mem.Read(mem.Base(), &r, sizeof r)) {
            OffsetRect(&r, origin.x, origin.y);
            where = RectIn(client, r);
        }
        rep.Put("tab", id + L"|" + std::to_wstring(t) + L"|" + (t == current ? L"1" : L"0") + L"|" +
                           caption + L"|" + std::wstring(where.begin(), where.end()));
    }
}

// The inner parts of a control (a list view's header, the edit field of a
// combo box, the arrows of a crowded tab row) belong to that control's line.
bool IsPartOfControl(HWND child, HWND dialog) {
    HWND parent = GetParent(child);
    if (parent == dialog) return false;
    return IsClass(parent, WC_LISTVIEWW) || IsClass(parent, WC_COMBOBOXW) ||
           (IsClass(parent, WC_TABCONTROLW) && IsClass(child, UPDOWN_CLASSW));
}

// The window, then a "ctrl=ID|CLASS|x,y,w,h|VISIBLE|ENABLED|CHECK|TEXT"
// line a control in z-order, each followed by what it lists.
int CmdDialog(const wchar_t* className) {
    ClassSearch search{className};
    EnumWindows(FindVisibleOfClass, reinterpret_cast<LPARAM>(&search));
    HWND dlg = search.found;
    if (!dlg) {
        Warn(std::wstring(L"no visible window of class ") + className);
        return kExitNotFound;
    }
    Report rep;
    RECT wr{};
    GetWindowRect(dlg, &wr);
    POINT client{0, 0};
    ClientToScreen(dlg, &client);
    rep.Put("dialog", Escaped(TextOf(dlg, L"the dialog title")));
    rep.Put("rect", Rect4(wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top));
    rep.Put("client", std::to_string(client.x) + "," + std::to_string(client.y));
    rep.Flag("foreground", GetForegroundWindow() == dlg);

    for (HWND c : ChildrenOf(dlg)) {
        if (IsPartOfControl(c, dlg)) continue;
        const std::wstring id = std::to_wstring(GetDlgCtrlID(c));
        const std::wstring cls = ClassOf(c);
        RECT r{};
        GetWindowRect(c, &r);
        const std::string where = RectIn(client, r);
        const std::string state = std::string(IsWindowVisible(c) ? "1|" : "0|") +
                                  (IsWindowEnabled(c) ? "1|" : "0|") + CheckOf(c);
        rep.Put("ctrl", id + L"|" + cls + L"|" + std::wstring(where.begin(), where.end()) + L"|" +
                            std::wstring(state.begin(), state.end()) + L"|" +
                            Escaped(TextOf(c, L"a control")));
        if (IsClass(c, WC_COMBOBOXW)) PutComboItems(rep, c, id);
        else if (IsClass(c, WC_LISTVIEWW)) PutListView(rep, c, id);
        else if (IsClass(c, WC_TABCONTROLW)) PutTabs(rep, c, id, client);
        else if (IsClass(c, HOTKEY_CLASSW)) rep.Put("hotkey", id + L"|" + std::to_wstring(Query(c, HKM_GETHOTKEY) & 0xFFFF));
    }
    rep.Flush();
    return kExitOk;
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
             "                wait-gone SECONDS | dialog CLASS\n");
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
    if (cmd == L"dialog" && argc == 3) return CmdDialog(argv[2]);
    if (cmd == L"wait-gone" && argc == 3) {
        double seconds = 0;
        if (!ParseSeconds(argv[2], seconds)) return Usage();
        return CmdWaitGone(seconds);
    }
    return Usage();
}
