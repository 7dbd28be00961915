#pragma once
// What the program's dialogs share: running one modally, their font,
// placing and sizing by twips, and the self-sizing text label `cLabel`.
#include <functional>
#include <string>

#include "platform/win32/win_include.h"

namespace tw::win {

// Runs the thread's messages until done() says so, with `dialog` shown and
// `owner` (when there is one) taking no input meanwhile. Every message is
// still handled, so the owner's timers keep running. Tab, Enter and Esc
// work in the dialog as in any dialog box. A WM_QUIT ends the run and is
// posted again for the program's own loop.
void RunModal(HWND dialog, HWND owner, const std::function<bool()>& done);

// "ＭＳ Ｐゴシック" (or the nearest the system has) at a size in points.
HFONT CreateDialogFont(int points, int dpi, bool underline = false);

// The system's pixels per inch.
int SystemDpi();

// Registers a dialog's window class once: the dialog face colour, the arrow.
bool RegisterDialogClass(const wchar_t* name, WNDPROC proc);

// The object a window belongs to: handed over as the creation parameter
// and kept with the window from WM_NCCREATE on; null before that.
template <class T>
T* WindowObject(HWND hwnd, UINT msg, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// A top-level window whose client area is `width` x `height` pixels,
// centred on the monitor of `anchor` (or the primary one).
void CentreWithClientSize(HWND window, int width, int height, HWND anchor);

// cLabel: a label that takes the size of its text.
HWND CreateTextLabel(HWND parent, int id, HFONT font, DWORD extraStyle = 0);
// Sets the label's text, then its width and height to the text's.
void SetLabelText(HWND label, const std::wstring& text);

}  // namespace tw::win
