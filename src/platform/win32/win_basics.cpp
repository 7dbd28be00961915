#include "platform/win32/win_basics.h"

#include "platform/win32/wide.h"
#include "platform/win32/win_include.h"

namespace tw::win {

uint32_t WinClock::GetTickCount() { return ::GetTickCount(); }

void WinMessagePump::Yield() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Taken off the queue here, but the main loop must still see it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::string WinTextCodec::ToAnsi(const std::string& utf8) {
    return NarrowTo(CP_ACP, Widen(utf8));
}

std::string WinTextCodec::FromAnsi(const std::string& ansi) {
    return Narrow(WidenFrom(CP_ACP, ansi));
}

}  // namespace tw::win
