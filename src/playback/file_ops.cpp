#include "playback/file_ops.h"

#include "model/app_context.h"
#include "model/state_record.h"
#include "model/version.h"
#include "platform/shell.h"

namespace tw {

void DeleteToRecycleBin(AppContext& ctx, const std::string& path) {
    ctx.platform.shell->DeleteToRecycleBin(path, AppCaption());
}

void OpenLink(AppContext& ctx, const std::string& target) { ctx.platform.shell->OpenLink(target); }

std::string ExplorerCommandLine(const std::string& folder) {
    const bool drive = folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\' &&
                       ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
    const bool share = folder.rfind("\\\\", 0) == 0;
    if ((!drive && !share) || folder.find('"') != std::string::npos) return "";
    std::string path = folder;
    while (path.size() > 2 && path.back() == '\\') path.pop_back();
    if (drive && path.size() == 2) path += "\\.";  // a drive's root
    return "explorer.exe \"" + path + "\"";
}

void OpenFolder(AppContext& ctx, const std::string& folder) {
    const std::string commandLine = ExplorerCommandLine(folder);
    if (!commandLine.empty()) ctx.platform.shell->StartProcess(commandLine);
}

}  // namespace tw
