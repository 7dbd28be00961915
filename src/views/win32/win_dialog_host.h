#pragma once
// The program's dialogs as windows over the main window.
#include "platform/dialog_host.h"
#include "views/win32/win_settings_form.h"

namespace tw::win {

class WinMainWindow;

class WinDialogHost final : public DialogHost {
public:
    explicit WinDialogHost(const WinMainWindow& main) : main_(main) {}
    void RunSettingsDialog(SettingsDialog& dialog) override;
    void RunVersionDialog(VersionDialog& dialog) override;
    void UnloadDialogs() override { settings_.Unload(); }

private:
    const WinMainWindow& main_;
    SettingsForm settings_;  // loaded at the first use, hidden between uses
};

}  // namespace tw::win
