#include "playback/file_ops.h"

#include "core/app_context.h"
#include "core/startup.h"
#include "core/state_record.h"
#include "platform/shell.h"

namespace tw {

void DeleteToRecycleBin(AppContext& ctx, const std::string& path) {
    ctx.platform.shell->DeleteToRecycleBin(path, std::string(kAppTitle) + " " + kVersionText);
}

void OpenLink(AppContext& ctx, const std::string& target) { ctx.platform.shell->OpenLink(target); }

}  // namespace tw
