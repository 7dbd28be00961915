#include "views/win32/win_dialog_host.h"

#include "views/win32/win_main_window.h"
#include "views/win32/win_version_form.h"

namespace tw::win {

void WinDialogHost::RunSettingsDialog(SettingsDialog& dialog) { settings_.Run(dialog, main_.Handle()); }

void WinDialogHost::RunVersionDialog(VersionDialog& dialog) {
    VersionForm form;  // unloaded when it has been closed
    form.Run(dialog, main_.Handle());
}

}  // namespace tw::win
