#pragma once
#include <cstdint>
#include <string>
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
    virtual bool DeleteFile(const std::string& path) = 0;
    // Renames a file; fails when `to` exists.
    virtual bool RenameFile(const std::string& from, const std::string& to) = 0;

    // Lists the entries matching a pattern such as "C:\music\*.mp3", in the
    // platform's listing order, "." and ".." included where the platform
    // gives them. False (and nothing listed) when the listing cannot start.
    virtual bool FindEntries(const std::string& pattern, std::vector<FindEntry>& out) = 0;
    // Attributes of a path; false when the query fails.
    virtual bool GetAttributes(const std::string& path, uint32_t& attributes) = 0;
    // The 8.3 short form of an existing path, or "" when there is none.
    virtual std::string ShortPath(const std::string& path) = 0;
    // Reads the last `count` bytes of a file (all of it when it is shorter);
    // false when the file cannot be opened or read.
    virtual bool ReadTail(const std::string& path, uint32_t count, std::string& bytes) = 0;
};

}  // namespace tw
