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

// The command line that opens a folder in Explorer: the folder quoted, so
// blanks and commas stay part of it, without the trailing backslash that
// would escape the closing quote. Empty for anything but an absolute path
// (a drive or a network share), so nothing can pass as a switch.
std::string ExplorerCommandLine(const std::string& folder);

// Opens a folder in Explorer, in a normal window that takes the focus.
void OpenFolder(AppContext& ctx, const std::string& folder);

}  // namespace tw
