#pragma once
// Two shell services: deleting a music file to the recycle bin and opening
// a link. Neither reports failure; the shell says what it has to say.
#include <string>

namespace tw {

struct AppContext;

// Hands one file to the shell for deletion to the recycle bin. The player
// is not touched, even when the file is the one it has open.
void DeleteToRecycleBin(AppContext& ctx, const std::string& path);

// Opens a web address or a "mailto:" address as it stands.
void OpenLink(AppContext& ctx, const std::string& target);

}  // namespace tw
