#include "library/watched_folders.h"

#include <string>
#include <unordered_map>

#include "library/folder_scan.h"
#include "library/tag_reader.h"
#include "model/app_context.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/folder_watch.h"

namespace tw {

namespace {

std::string TrackKey(const RootEntry& root, int16_t i) {
    const TrackView t = root.Tracks[i];
    std::string key = RelativeFolderPath(root.Folders[t.FolderIndex]);
    key += t.FileName;
    return key;
}

using TrackIndex = std::unordered_map<std::string, int16_t>;

TrackIndex IndexOf(const RootEntry& root) {
    TrackIndex index;
    index.reserve(static_cast<size_t>(root.TrackCount));
    for (int16_t i = 0; i < root.TrackCount; ++i) index.emplace(TrackKey(root, i), i);
    return index;
}

// The old root's texts for a file at the same place whose listing is the
// same as when its tag was read.
class UnchangedTags final : public KnownTags {
public:
    UnchangedTags(const RootEntry& old, const std::vector<FileStamp>& oldStamps, const TrackIndex& oldIndex,
                  const RootEntry& fresh, const std::vector<FileStamp>& stamps)
        : old_(old), oldStamps_(oldStamps), oldIndex_(oldIndex), fresh_(fresh), stamps_(stamps) {}
    bool Find(int16_t i, TrackView& texts) const override {
        if (static_cast<size_t>(i) >= stamps_.size() || !stamps_[i].Known()) return false;
        const auto it = oldIndex_.find(TrackKey(fresh_, i));
        if (it == oldIndex_.end()) return false;
        const int16_t j = it->second;
        if (j >= old_.TagsRead || static_cast<size_t>(j) >= oldStamps_.size() || !(oldStamps_[j] == stamps_[i]))
            return false;
        texts = old_.Tracks[j];
        return true;
    }

private:
    const RootEntry& old_;
    const std::vector<FileStamp>& oldStamps_;
    const TrackIndex& oldIndex_;
    const RootEntry& fresh_;
    const std::vector<FileStamp>& stamps_;
};

// Root c holds what folder c gives: a library registered from other
// settings waits for its own registration.
bool RootIsFolder(const AppContext& ctx, int16_t c) {
    const TrackLibrary& lib = ctx.live.Library;
    const WatchFolderSet& set = ctx.live.Settings.WatchFolderSet;
    return c < lib.RootCount && c < set.WatchFolderCount && lib.LibraryRoots[c].Path == set.WatchFolders[c].Path;
}

}  // namespace

void StopWatches(AppContext& ctx) {
    WatchState& w = ctx.watch;
    if (ctx.platform.watcher)
        for (WatchedFolder& f : w.Folders)
            if (f.Id != 0) ctx.platform.watcher->Stop(f.Id);
    w.Folders.clear();
}

void ArmWatches(AppContext& ctx) {
    WatchState& w = ctx.watch;
    std::vector<WatchedFolder> before = std::move(w.Folders);
    if (ctx.platform.watcher)
        for (WatchedFolder& f : before)
            if (f.Id != 0) ctx.platform.watcher->Stop(f.Id);
    w.Folders.clear();
    FolderWatcher* watcher = ctx.platform.watcher;
    if (!watcher || !ctx.live.Settings.WatchForChanges) return;
    const WatchFolderSet& set = ctx.live.Settings.WatchFolderSet;
    for (int16_t c = 0; c < set.WatchFolderCount; ++c) {
        const WatchFolder& folder = set.WatchFolders[c];
        WatchedFolder f;
        f.Path = folder.Path;
        if (static_cast<size_t>(c) < before.size() && before[c].Path == folder.Path) {
            f.Changed = before[c].Changed;
            f.ChangedAt = before[c].ChangedAt;
        }
        f.Id = watcher->Watch(folder.Path, folder.IncludeSubfolders != 0);
        w.Folders.push_back(std::move(f));
    }
}

bool ProgramRests(const AppContext& ctx) {
    const RuntimeState& run = ctx.run;
    return (run.AppState == 21 || run.AppState == 31) && !run.Busy && !run.Renaming && run.OpenMenuCount == 0 &&
           !run.SettingsDialogOpen && !run.VersionDialogOpen && !run.Quitting;
}

void WatchTick(AppContext& ctx) {
    WatchState& w = ctx.watch;
    FolderWatcher* watcher = ctx.platform.watcher;
    if (!watcher || w.Folders.empty()) return;
    const uint32_t now = ctx.platform.clock->GetTickCount();
    if (ElapsedMs(now, w.PolledAt) < kPollMs) return;
    w.PolledAt = now;
    std::vector<int> changed, failed;
    watcher->Poll(changed, failed);
    for (WatchedFolder& f : w.Folders) {
        if (f.Id == 0) continue;
        for (int id : failed)
            if (id == f.Id) f.Id = 0;  // given up until the watches are armed again
        for (int id : changed)
            if (id == f.Id) f.Changed = true, f.ChangedAt = now;
    }
    if (!ProgramRests(ctx)) return;
    for (size_t c = 0; c < w.Folders.size(); ++c) {
        WatchedFolder& f = w.Folders[c];
        if (!f.Changed || ElapsedMs(now, f.ChangedAt) < kQuietMs) continue;
        f.Changed = false;
        const int16_t root = static_cast<int16_t>(c);
        // A folder that is not there now (a drive or share away) keeps what
        // the library knew of it rather than emptying its root.
        uint32_t attributes = 0;
        if (!RootIsFolder(ctx, root) || !ctx.platform.files->GetAttributes(f.Path, attributes) ||
            (attributes & kAttrDirectory) == 0)
            continue;
        w.RefreshRoot = root;
        ctx.run.AppState = 43;
        return;
    }
}

bool RegisterRootAgain(AppContext& ctx, const JobControl& job) {
    WatchState& w = ctx.watch;
    const int16_t c = w.RefreshRoot;
    if (!RootIsFolder(ctx, c)) return false;
    const WatchFolder folder = ctx.live.Settings.WatchFolderSet.WatchFolders[c];
    FileSystem& files = *ctx.platform.files;
    w.Fresh = TrackLibrary{};
    std::vector<FileStamp> stamps;
    Registration reg{w.Fresh, files, job, ctx.run.FilesOverLimit, ctx.run.FoldersOverLimit, &stamps};
    RegisterRoot(reg, folder.Path, folder.IncludeSubfolders != 0);
    if (job.Stopped() || w.Fresh.RootCount != 1) return false;

    TrackLibrary& lib = ctx.live.Library;
    const RootEntry& old = lib.LibraryRoots[c];
    RootEntry& fresh = w.Fresh.LibraryRoots[0];
    const TrackIndex oldIndex = IndexOf(old);
    if (w.TagStamps.size() < static_cast<size_t>(lib.RootCount)) w.TagStamps.resize(lib.RootCount);
    if (ctx.live.Settings.UseTagInfo) {
        const UnchangedTags unchanged(old, w.TagStamps[c], oldIndex, fresh, stamps);
        ReadRootTags(w.Fresh, files, *ctx.platform.codec, job, 0, ctx.live.Settings.PreferId3v2 != 0, &unchanged);
        if (job.Stopped()) return false;
    }
    int32_t kept = 0;
    for (int16_t i = 0; i < fresh.TrackCount; ++i) kept += oldIndex.count(TrackKey(fresh, i)) ? 1 : 0;
    w.Added = fresh.TrackCount - kept;
    w.Removed = old.TrackCount - kept;

    lib.LibraryRoots[c] = std::move(fresh);
    w.TagStamps[c] = std::move(stamps);
    w.Fresh = TrackLibrary{};
    lib.RegisteredFileCount = lib.TagsReadCount = 0;
    for (int16_t r = 0; r < lib.RootCount; ++r) {
        lib.RegisteredFileCount += lib.LibraryRoots[r].TrackCount;
        lib.TagsReadCount += lib.LibraryRoots[r].TagsRead;
    }
    return true;
}

}  // namespace tw
