#include "platform/win32/win_folder_watch.h"

#include <algorithm>

#include "platform/win32/wide.h"

namespace tw::win {

WinFolderWatcher::~WinFolderWatcher() {
    for (const auto& [id, h] : handles_) FindCloseChangeNotification(h);
}

int WinFolderWatcher::Watch(const std::string& folder, bool subtree) {
    const DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                         FILE_NOTIFY_CHANGE_LAST_WRITE;
    HANDLE h = FindFirstChangeNotificationW(Widen(folder).c_str(), subtree ? TRUE : FALSE, filter);
    if (h == INVALID_HANDLE_VALUE) return 0;
    const int id = nextId_++;
    handles_[id] = h;
    return id;
}

void WinFolderWatcher::Stop(int id) {
    auto it = handles_.find(id);
    if (it == handles_.end()) return;
    FindCloseChangeNotification(it->second);
    handles_.erase(it);
}

void WinFolderWatcher::Poll(std::vector<int>& changed, std::vector<int>& failed) {
    changed.clear();
    failed.clear();
    std::vector<int> ids;
    std::vector<HANDLE> hs;
    for (const auto& [id, h] : handles_) ids.push_back(id), hs.push_back(h);
    // At rest nothing is signalled: one call a batch says so, however many
    // folders are watched. Only a batch with news is asked handle by handle.
    for (size_t at = 0; at < hs.size(); at += MAXIMUM_WAIT_OBJECTS) {
        const DWORD n = static_cast<DWORD>(std::min<size_t>(MAXIMUM_WAIT_OBJECTS, hs.size() - at));
        const DWORD any = WaitForMultipleObjects(n, hs.data() + at, FALSE, 0);
        if (any == WAIT_TIMEOUT) continue;
        for (DWORD i = 0; i < n; ++i) {
            const DWORD r = WaitForSingleObject(hs[at + i], 0);
            if (r == WAIT_TIMEOUT) continue;
            // Signalled: take the news and ask for the next change.
            if (r == WAIT_OBJECT_0 && FindNextChangeNotification(hs[at + i])) {
                changed.push_back(ids[at + i]);
            } else {
                failed.push_back(ids[at + i]);
                Stop(ids[at + i]);
            }
        }
    }
}

}  // namespace tw::win
