#pragma once
// The shell and the message boxes; both may be owned by the main window.
#include "platform/message_box.h"
#include "platform/shell.h"

namespace tw::win {

class WinMainWindow;

class WinShell final : public Shell {
public:
    explicit WinShell(const WinMainWindow& window) : window_(window) {}
    bool Execute(bool ownedByMainWindow, const std::string& file, const std::string& parameters,
                 const std::string& directory, int showMode) override;
    bool StartProcess(const std::string& commandLine) override;

private:
    const WinMainWindow& window_;
};

class WinMessageBoxes final : public MessageBoxes {
public:
    explicit WinMessageBoxes(const WinMainWindow& window) : window_(window) {}
    BoxAnswer Show(const std::string& text, const std::string& caption, BoxIcon icon,
                   BoxButtons buttons, BoxDefault defaultButton) override;

private:
    const WinMainWindow& window_;
};

}  // namespace tw::win
