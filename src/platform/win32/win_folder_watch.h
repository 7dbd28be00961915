#pragma once
#include <map>

#include "platform/folder_watch.h"
#include "platform/win32/win_include.h"

namespace tw::win {

// Change notification handles, tested all at once without waiting.
class WinFolderWatcher final : public FolderWatcher {
public:
    ~WinFolderWatcher() override;
    int Watch(const std::string& folder, bool subtree) override;
    void Stop(int id) override;
    void Poll(std::vector<int>& changed, std::vector<int>& failed) override;

private:
    std::map<int, HANDLE> handles_;
    int nextId_ = 1;
};

}  // namespace tw::win
