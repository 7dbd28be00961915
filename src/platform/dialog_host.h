#pragma once

namespace tw {

class SettingsDialog;
class VersionDialog;

// The program's two dialogs as windows. Both are modal: the main window
// takes no input meanwhile, but its timers keep running.
class DialogHost {
public:
    virtual ~DialogHost() = default;
    // Shows the settings dialog (made at the first use, hidden between
    // uses) and returns once it has been hidden. Its controls show
    // `dialog`'s view and pass their events to it.
    virtual void RunSettingsDialog(SettingsDialog& dialog) = 0;
    // Shows the version dialog and returns once it has been closed and
    // unloaded.
    virtual void RunVersionDialog(VersionDialog& dialog) = 0;
    // Unloads the settings dialog (at the program's end).
    virtual void UnloadDialogs() = 0;
};

}  // namespace tw
