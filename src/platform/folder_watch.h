#pragma once
// Change notifications on folders, tested without waiting: the program
// asks a few times a second from a timer it already runs.
#include <string>
#include <vector>

namespace tw {

class FolderWatcher {
public:
    virtual ~FolderWatcher() = default;
    // Starts watching a folder (and everything below it when `subtree`)
    // for files and folders made, removed or renamed and for writes.
    // Returns an id above 0, or 0 when the folder cannot be watched.
    virtual int Watch(const std::string& folder, bool subtree) = 0;
    virtual void Stop(int id) = 0;
    // The watches that saw a change since they were last asked, each once,
    // and those that can no longer tell (already stopped).
    virtual void Poll(std::vector<int>& changed, std::vector<int>& failed) = 0;
};

}  // namespace tw
