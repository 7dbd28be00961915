#include "library/folder_scan.h"

#include <algorithm>

#include "platform/files.h"

namespace tw {

namespace {

RootEntry& LastRoot(Registration& reg) {
    TrackLibrary& lib = reg.library;
    return lib.LibraryRoots[lib.RootCount - 1];
}

// Full path of folder k of a root, without the trailing backslash.
std::string FolderFullPath(const RootEntry& root, int16_t k) {
    const FolderView f = root.Folders[k];
    std::string path = root.Path;
    path += f.PathFromRoot;
    path += f.Name;
    return path;
}

constexpr uint32_t kListMasks[] = {16, 18, 20, 22};

}  // namespace

uint16_t GetAttributesSafe(FileSystem& fs, const std::string& path) {
    uint32_t a = 0;
    if (!fs.GetAttributes(path, a)) return 0;
    return static_cast<uint16_t>(a & 0xFFFF);
}

std::vector<std::string> ListFolderEntries(FileSystem& fs, std::string folderPath) {
    if (!folderPath.empty() && folderPath.back() != '\\') folderPath += '\\';
    std::vector<FindEntry> found;
    std::vector<std::string> names;
    if (!fs.FindEntries(folderPath + "*.*", found)) return names;
    for (const FindEntry& e : found)
        if (e.name != "." && e.name != "..") names.push_back(e.name);
    return names;
}

std::vector<std::string> ListSubfolders(Registration& reg, const std::string& folderPath) {
    std::vector<std::string> result;
    if (reg.job.Stopped()) return result;
    FileSystem& fs = reg.files;
    // One listing serves the four passes; each pass still examines (and
    // yields for) exactly the entries its mask admits.
    std::vector<FindEntry> entries;
    if (!fs.FindEntries(folderPath + "*", entries)) entries.clear();
    for (uint32_t mask : kListMasks) {
        for (const FindEntry& e : entries) {
            const uint32_t hiddenSystem = e.attributes & (kAttrHidden | kAttrSystem);
            if ((hiddenSystem & ~mask) != 0) continue;  // not admitted by this pass
            reg.job.pump.Yield();
            if (reg.job.Stopped()) return result;
            if (e.name == "." || e.name == "..") continue;
            // The listing carries the same attributes the query returns, so
            // only an entry whose listed attributes satisfy the mask can pass;
            // spare the query for every other one (files, and folders in the
            // passes that are not theirs).
            if ((e.attributes & mask) != mask) continue;
            if ((GetAttributesSafe(fs, folderPath + e.name) & mask) == mask)
                result.push_back(e.name);
        }
    }
    return result;
}

void ScanFolderFiles(Registration& reg, int16_t k) {
    RootEntry& root = LastRoot(reg);
    const std::string pattern =
        k == 0 ? root.Path + "*.mp3" : FolderFullPath(root, k) + "\\*.mp3";
    std::vector<FindEntry> found;
    if (!reg.files.FindEntries(pattern, found)) return;
    TrackLibrary& lib = reg.library;
    for (const FindEntry& e : found) {
        if (root.TrackCount >= kMaxListCount) {
            ++reg.filesOverLimit;
            continue;
        }
        if (root.Tracks.size() > static_cast<size_t>(root.TrackCount)) root.Tracks.Resize(root.TrackCount);
        root.Tracks.Append(e.name, k);
        if (reg.stamps) reg.stamps->push_back({e.size, e.writeTime});
        ++root.TrackCount;
        ++lib.RegisteredFileCount;
    }
}

void WalkSubfolders(Registration& reg, int16_t k, bool includeSubfolders) {
    std::string path = FolderFullPath(LastRoot(reg), k);
    if (path.empty() || path.back() != '\\') path += '\\';
    const std::vector<std::string> names = ListSubfolders(reg, path);
    if (reg.job.Stopped() || !includeSubfolders) return;
    for (const std::string& name : names) {
        // A link back to a folder on the way down would be walked again and
        // again, to the list's limit: leave it out.
        FolderIdentity id;
        const bool known = reg.files.IdentifyFolder(path + name, id);
        if (known && std::find(reg.walkPath.begin(), reg.walkPath.end(), id) != reg.walkPath.end()) continue;
        RootEntry& root = LastRoot(reg);  // re-read: the lists grow below
        FolderEntry child{name, k, RelativeFolderPath(root.Folders[k])};
        const int16_t n = root.FolderCount;
        if (!AppendCapped(root.Folders, root.FolderCount, std::move(child))) {
            ++reg.foldersOverLimit;
            continue;
        }
        ScanFolderFiles(reg, n);
        if (known) reg.walkPath.push_back(id);
        WalkSubfolders(reg, n, true);
        if (known) reg.walkPath.pop_back();
    }
}

bool RegisterRoot(Registration& reg, const std::string& path, bool includeSubfolders) {
    TrackLibrary& lib = reg.library;
    RootEntry root;
    root.Path = path;
    root.Tracks.Clear();
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{"", -1, ""});
    if (!AppendCapped(lib.LibraryRoots, lib.RootCount, std::move(root))) return false;
    ScanFolderFiles(reg, 0);
    reg.walkPath.clear();
    FolderIdentity id;
    if (includeSubfolders && reg.files.IdentifyFolder(path, id)) reg.walkPath.push_back(id);
    WalkSubfolders(reg, 0, includeSubfolders);
    // The lists grew by doubling: give the spare room back.
    RootEntry& done = LastRoot(reg);
    done.Tracks.Compact();
    done.Folders.Compact();
    return true;
}

}  // namespace tw
