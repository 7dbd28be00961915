#pragma once
#include <string>

namespace tw {

enum : int { kSwShowNormal = 1, kSwShow = 5, kSwShowNA = 8 };

// The shell: opening documents with their associated program and starting
// processes. Results are reported but the program mostly ignores them.
class Shell {
public:
    virtual ~Shell() = default;
    // Default action (no verb) on `file`; `ownedByMainWindow` selects the
    // main window as owner instead of none.
    virtual bool Execute(bool ownedByMainWindow, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int showMode) = 0;
    // Starts a command line as a new process in a normal, focused window.
    virtual bool StartProcess(const std::string& commandLine) = 0;
    // Moves one file to the recycle bin, owned by the main window; the
    // shell asks its own confirmation. `progressTitle` names the operation.
    virtual bool DeleteToRecycleBin(const std::string& path, const std::string& progressTitle) = 0;
    // Opens a web or "mailto:" address with its associated program, without
    // the shell's error dialog.
    virtual bool OpenLink(const std::string& target) = 0;
};

}  // namespace tw
