#include "views/win32/win_keyword_box.h"

#include <commctrl.h>

#include "window/type_ahead.h"
#include "window/window_input.h"

namespace tw::win {

namespace {

constexpr UINT_PTR kSubclassId = 1;

LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    AppContext* ctx = *reinterpret_cast<AppContext* const*>(ref);
    // Keys typed here never reach the main window; a message to it brings
    // its resting ticks back (Enter must search at once).
    if ((msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_IME_STARTCOMPOSITION && msg <= WM_IME_KEYLAST))
        SendMessageW(GetParent(hwnd), WM_NULL, 0, 0);
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (ctx) {
            int16_t key = static_cast<int16_t>(wp & 0xFFFF);
            Form_KeyDown(*ctx, key, ShiftState());
            if (key == 0) return 0;  // swallowed
        }
        break;
    case WM_CHAR:
        if (ctx) {
            int16_t ch = static_cast<int16_t>(wp & 0xFFFF);
            Tb_KeyPress(ch);
            // Enter and Esc would only make the box beep.
            if (ch == 0) return 0;
        }
        break;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
        if (ctx) Tb_Composition(*ctx, msg == WM_IME_STARTCOMPOSITION);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, BoxProc, kSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

short ShiftState() {
    short s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= 1;
    if (GetKeyState(VK_CONTROL) < 0) s |= 2;
    if (GetKeyState(VK_MENU) < 0) s |= 4;
    return s;
}

HWND CreateKeywordBox(HWND parent, int id, AppContext* const* ctx) {
    HWND box = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 0, 0,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    if (!box) return nullptr;
    SetWindowSubclass(box, BoxProc, kSubclassId, reinterpret_cast<DWORD_PTR>(ctx));
    return box;
}

}  // namespace tw::win
