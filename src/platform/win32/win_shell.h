#pragma once
// The shell and the message boxes; both may be owned by the main window.
#include <functional>
#include <string>

#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/win32/win_include.h"

#include <shellapi.h>

namespace tw::win {

// The main window's handle, once it exists (null before and after).
using OwnerWindow = std::function<HWND()>;

class WinShell final : public Shell {
public:
    explicit WinShell(OwnerWindow owner) : owner_(std::move(owner)) {}
    bool Execute(bool ownedByMainWindow, const std::string& file, const std::string& parameters,
                 const std::string& directory, int showMode) override;
    bool StartProcess(const std::string& commandLine) override;
    bool DeleteToRecycleBin(const std::string& path, const std::string& progressTitle) override;
    bool OpenLink(const std::string& target) override;

private:
    OwnerWindow owner_;
};

// The shell's record for deleting one file to the recycle bin. It points
// into its own buffers, so it is built in place and never copied.
struct RecycleRequest {
    RecycleRequest(HWND owner, const std::string& path, const std::string& progressTitle);
    RecycleRequest(const RecycleRequest&) = delete;
    RecycleRequest& operator=(const RecycleRequest&) = delete;
    std::wstring from;   // the path and two NULs: a list of one name
    std::wstring to;     // an empty list
    std::wstring title;
    SHFILEOPSTRUCTW op{};
};

// The shell's record for opening a link with no error dialog.
struct LinkRequest {
    explicit LinkRequest(const std::string& target);
    LinkRequest(const LinkRequest&) = delete;
    LinkRequest& operator=(const LinkRequest&) = delete;
    std::wstring file;
    SHELLEXECUTEINFOW info{};
};

// A message box owned by `owner` (null for none), modal to it.
BoxAnswer ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, BoxIcon icon,
                         BoxButtons buttons, BoxDefault defaultButton = BoxDefault::First);

class WinMessageBoxes final : public MessageBoxes {
public:
    explicit WinMessageBoxes(OwnerWindow owner) : owner_(std::move(owner)) {}
    BoxAnswer Show(const std::string& text, const std::string& caption, BoxIcon icon,
                   BoxButtons buttons, BoxDefault defaultButton) override;

private:
    OwnerWindow owner_;
};

}  // namespace tw::win
