#include "platform/win32/win_mci.h"

#include "platform/win32/win_include.h"

#include <mmsystem.h>

#include "platform/win32/wide.h"

namespace tw::win {

uint32_t WinMci::SendString(const std::string& command, std::string& reply) {
    // The wide entry point takes any file name, whatever the code page.
    wchar_t buffer[100] = {};
    const MCIERROR error = mciSendStringW(Widen(command).c_str(), buffer, 100, nullptr);
    buffer[99] = L'\0';
    reply = Narrow(buffer, wcslen(buffer));
    return static_cast<uint32_t>(error);
}

}  // namespace tw::win
