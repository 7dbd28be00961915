#include "platform/win32/win_shell.h"

#include "platform/win32/win_include.h"

#include <shellapi.h>

#include "platform/win32/wide.h"
#include "platform/win32/win_main_window.h"

namespace tw::win {

namespace {

// Empty texts go to the shell as "none" rather than as empty strings.
const wchar_t* OrNull(const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); }

}  // namespace

bool WinShell::Execute(bool ownedByMainWindow, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showMode) {
    const std::wstring wFile = Widen(file);
    const std::wstring wParams = Widen(parameters);
    const std::wstring wDir = Widen(directory);
    HWND owner = ownedByMainWindow ? window_.Handle() : nullptr;
    const HINSTANCE r =
        ShellExecuteW(owner, nullptr, wFile.c_str(), OrNull(wParams), OrNull(wDir), showMode);
    // Values above 32 mean success; the result is an HINSTANCE only in name.
    return reinterpret_cast<INT_PTR>(r) > 32;
}

bool WinShell::StartProcess(const std::string& commandLine) {
    std::wstring cmd = Widen(commandLine);  // CreateProcessW may write into it
    cmd.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

BoxAnswer WinMessageBoxes::Show(const std::string& text, const std::string& caption,
                                BoxIcon icon, BoxButtons buttons, BoxDefault defaultButton) {
    UINT type = 0;
    switch (icon) {
    case BoxIcon::None: break;
    case BoxIcon::Information: type |= MB_ICONINFORMATION; break;
    case BoxIcon::Exclamation: type |= MB_ICONEXCLAMATION; break;
    case BoxIcon::Question: type |= MB_ICONQUESTION; break;
    }
    switch (buttons) {
    case BoxButtons::Ok: type |= MB_OK; break;
    case BoxButtons::YesNo: type |= MB_YESNO; break;
    case BoxButtons::OkCancel: type |= MB_OKCANCEL; break;
    }
    if (defaultButton == BoxDefault::Second) type |= MB_DEFBUTTON2;

    const int r = MessageBoxW(window_.Handle(), Widen(text).c_str(), Widen(caption).c_str(), type);
    switch (r) {
    case IDYES: return BoxAnswer::Yes;
    case IDNO: return BoxAnswer::No;
    case IDCANCEL: return BoxAnswer::Cancel;
    default: return BoxAnswer::Ok;
    }
}

}  // namespace tw::win
