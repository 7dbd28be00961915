#include "playback/play_list_ops.h"

#include <cmath>
#include <random>

#include "model/app_context.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/main_window.h"

namespace tw {

void ShuffleOrder(AppContext& ctx, int16_t n) {
    std::vector<int16_t>& map = ctx.run.ShuffleMap;
    map.assign(n > 0 ? n : 0, -1);
    std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
    for (int16_t j = 0; j < n; ++j) {
        int k = static_cast<int>(std::floor(uniform(ctx.random) * static_cast<float>(n)));
        if (k >= n) k = n - 1;  // float rounding at the top end
        while (map[k] != -1) k = (k + 1) % n;
        map[k] = j;
    }
}

void ShufflePlayList(AppContext& ctx) {
    StateRecord& live = ctx.live;
    const int16_t n = live.PlayCount;
    ShuffleOrder(ctx, n);
    const std::vector<int16_t>& map = ctx.run.ShuffleMap;
    const std::vector<SearchHit> before(live.PlayList.items.begin(), live.PlayList.items.begin() + n);
    for (int16_t i = 0; i < n; ++i) live.PlayList[map[i]] = before[i];
    int16_t& index = ctx.player.PlayIndex;
    if (index >= 0 && index < n) index = map[index];
    ctx.run.MessageText = "曲順をシャッフルしました  ( " + std::to_string(n) + " 曲 )";
    ctx.run.MessageTime = ctx.platform.clock->GetTickCount();
}

namespace {

bool AcceptableName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:") == std::string::npos;
}

void RenameIn(StoredArray<SearchHit>& list, int16_t count, const SearchHit& old,
              const std::string& newName) {
    for (int16_t i = 0; i < count; ++i)
        if (list[i] == old) list[i].FileName = newName;
}

}  // namespace

bool RenameCurrentFile(AppContext& ctx) {
    const SearchHit old = ctx.run.RenameItem;
    const std::string typed = ctx.platform.window->BoxText();
    if (!AcceptableName(typed)) return false;
    const std::string folder = old.RootPath + old.FolderPath;
    FileSystem& fs = *ctx.platform.files;
    if (!fs.RenameFile(folder + old.FileName, folder + typed)) return false;
    // The name the file has now, as the system gives it: Windows drops a
    // trailing dot or blank, and a change of case alone may not take.
    std::string newName = typed;
    if (std::vector<FindEntry> found; fs.FindEntries(folder + typed, found) && found.size() == 1)
        newName = found[0].name;

    StateRecord& live = ctx.live;
    RenameIn(live.PlayList, live.PlayCount, old, newName);
    RenameIn(live.Search.SearchHits, live.Search.SearchHitCount, old, newName);
    TrackLibrary& lib = live.Library;
    for (int16_t r = 0; r < lib.RootCount; ++r) {
        RootEntry& root = lib.LibraryRoots[r];
        if (root.Path != old.RootPath) continue;
        for (int16_t t = 0; t < root.TrackCount; ++t) {
            const TrackView track = root.Tracks[t];
            if (track.FileName == old.FileName && RelativeFolderPath(root.Folders[track.FolderIndex]) == old.FolderPath)
                root.Tracks.SetFileName(t, newName);
        }
    }
    return true;
}

}  // namespace tw
