#include "platform/win32/win_basics.h"

#include "platform/win32/wide.h"
#include "platform/win32/win_include.h"

namespace tw::win {

namespace {

// True when every non-ASCII character lies in U+3000..U+9FFF (kana, CJK
// symbols and ideographs: lead bytes E3 to E9), none of which has an upper
// case. Japanese titles then skip the round trip through UTF-16.
bool OnlyCaselessNonAscii(const std::string& utf8) {
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0xC0 && (b < 0xE3 || b > 0xE9)) return false;
    }
    return true;
}

}  // namespace

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

std::string WinTextCodec::ToUpper(const std::string& utf8) {
    std::string s = utf8;
    UpperInPlace(s);
    return s;
}

void WinTextCodec::UpperInPlace(std::string& utf8) {
    // The search folds every track's texts, so the common cases stay cheap.
    if (UpperAsciiInPlace(utf8) || OnlyCaselessNonAscii(utf8)) return;
    std::wstring wide = Widen(utf8);
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    utf8 = Narrow(wide);
}

}  // namespace tw::win
