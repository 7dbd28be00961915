#include "platform/win32/win_shell.h"

#include "platform/win32/win_include.h"

#include <shellapi.h>

#include "platform/win32/wide.h"

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
    HWND owner = ownedByMainWindow ? owner_() : nullptr;
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

RecycleRequest::RecycleRequest(HWND owner, const std::string& path, const std::string& progressTitle)
    : from(Widen(path)), title(Widen(progressTitle)) {
    from.append(2, L'\0');
    to.assign(1, L'\0');
    op.hwnd = owner;
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_ALLOWUNDO;  // to the recycle bin; the shell still asks
    op.lpszProgressTitle = title.c_str();
}

bool WinShell::DeleteToRecycleBin(const std::string& path, const std::string& progressTitle) {
    RecycleRequest request(owner_(), path, progressTitle);
    return SHFileOperationW(&request.op) == 0;
}

LinkRequest::LinkRequest(const std::string& target) : file(Widen(target)) {
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = GetDesktopWindow();
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = L"";
    info.lpDirectory = L"";
    info.nShow = SW_SHOW;
}

bool WinShell::OpenLink(const std::string& target) {
    LinkRequest request(target);
    return ShellExecuteExW(&request.info) != FALSE;
}

BoxAnswer WinMessageBoxes::Show(const std::string& text, const std::string& caption,
                                BoxIcon icon, BoxButtons buttons, BoxDefault defaultButton) {
    return ShowMessageBox(owner_(), text, caption, icon, buttons, defaultButton);
}

BoxAnswer ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, BoxIcon icon,
                         BoxButtons buttons, BoxDefault defaultButton) {
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
    case BoxButtons::YesNoCancel: type |= MB_YESNOCANCEL; break;
    }
    if (defaultButton == BoxDefault::Second) type |= MB_DEFBUTTON2;

    const int r = MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type);
    switch (r) {
    case IDYES: return BoxAnswer::Yes;
    case IDNO: return BoxAnswer::No;
    case IDCANCEL: return BoxAnswer::Cancel;
    default: return BoxAnswer::Ok;
    }
}

}  // namespace tw::win
