#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw {

// File attribute bits as the platform reports them.
enum : uint32_t {
    kAttrReadOnly = 1,
    kAttrHidden = 2,
    kAttrSystem = 4,
    kAttrDirectory = 16,
    kAttrArchive = 32,
};

struct FindEntry {
    std::string name;      // long name, no path
    uint32_t attributes = 0;
    uint64_t size = 0;       // bytes
    uint64_t writeTime = 0;  // last write, in the platform's own units; 0 unknown
};

// Which folder a path is, whatever way it was reached: two paths of one
// folder (one through a link) have equal identities.
struct FolderIdentity {
    uint64_t volume = 0, index = 0;
    bool operator==(const FolderIdentity&) const = default;
};

// Random access to one open file's bytes, for readers that look at a few
// places of a large file. Closed when destroyed.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The file's size in bytes, as it was when it was opened.
    virtual uint64_t Size() const = 0;
    // Reads up to `count` bytes at `offset` into `bytes` (fewer at the end of
    // the file, none past it); false on a read error.
    virtual bool ReadAt(uint64_t offset, size_t count, std::string& bytes) = 0;
};

// A ByteSource over bytes held in memory.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(uint64_t offset, size_t count, std::string& bytes) override {
        if (offset >= bytes_.size()) {
            bytes.clear();
            return true;
        }
        const size_t at = static_cast<size_t>(offset);
        bytes.assign(bytes_, at, count < bytes_.size() - at ? count : bytes_.size() - at);
        return true;
    }

private:
    std::string bytes_;
};

// Files and folders. Paths are UTF-8 with backslash separators, as the rest
// of the program builds them; an implementation maps them to its own form.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool FileExists(const std::string& path) = 0;
    // Reads the whole file; false when it is missing or cannot be read.
    virtual bool ReadWholeFile(const std::string& path, std::string& bytes) = 0;
    // Creates (or truncates) `path`, denying other writers while it is open,
    // writes `bytes` and flushes them to disk. False on any failure; a
    // partly written file may then be left behind for the caller to remove.
    virtual bool WriteNewFile(const std::string& path, const std::string& bytes) = 0;
    // Moves `from` over `to`, replacing `to` in one step when it exists.
    virtual bool ReplaceFile(const std::string& from, const std::string& to) = 0;
    // The same, and an existing `to` becomes `backup` (replacing it); `to`
    // exists throughout, as the old file or the new one.
    virtual bool ReplaceKeepingOld(const std::string& from, const std::string& to, const std::string& backup) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    // Renames a file; fails when `to` exists.
    virtual bool RenameFile(const std::string& from, const std::string& to) = 0;

    // Lists the entries matching a pattern such as "C:\music\*.mp3", in the
    // platform's listing order, "." and ".." included where the platform
    // gives them. False (and nothing listed) when the listing cannot start.
    virtual bool FindEntries(const std::string& pattern, std::vector<FindEntry>& out) = 0;
    // Attributes of a path; false when the query fails.
    virtual bool GetAttributes(const std::string& path, uint32_t& attributes) = 0;
    // The identity of the folder at `path`; false when the platform cannot
    // tell (the caller then cannot know it was here before).
    virtual bool IdentifyFolder(const std::string& path, FolderIdentity& id) = 0;
    // The 8.3 short form of an existing path, or "" when there is none.
    virtual std::string ShortPath(const std::string& path) = 0;
    // Reads the last `count` bytes of a file (all of it when it is shorter);
    // false when the file cannot be opened or read.
    virtual bool ReadTail(const std::string& path, uint32_t count, std::string& bytes) = 0;
    // Opens a file for reading at any offset; null when it cannot be opened.
    // The default reads the whole file into memory, which suits fakes; real
    // file systems keep the file open and read only what is asked for.
    virtual std::unique_ptr<ByteSource> OpenRead(const std::string& path) {
        std::string bytes;
        if (!ReadWholeFile(path, bytes)) return nullptr;
        return std::make_unique<MemorySource>(std::move(bytes));
    }
};

}  // namespace tw
