#pragma once
#include "platform/files.h"

namespace tw {

// The file interface over POSIX calls. Backslashes in paths become slashes;
// patterns match their last component with case-insensitive wildcards, as
// the Windows listing does. Hidden means a name starting with a dot;
// nothing is a system file. Listings leave the read-only bit to
// GetAttributes.
class PosixFileSystem : public FileSystem {
public:
    bool FileExists(const std::string& path) override;
    bool ReadWholeFile(const std::string& path, std::string& bytes) override;
    bool WriteNewFile(const std::string& path, const std::string& bytes) override;
    bool ReplaceFile(const std::string& from, const std::string& to) override;
    bool ReplaceKeepingOld(const std::string& from, const std::string& to, const std::string& backup) override;
    bool DeleteFile(const std::string& path) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    bool FindEntries(const std::string& pattern, std::vector<FindEntry>& out) override;
    bool GetAttributes(const std::string& path, uint32_t& attributes) override;
    bool IdentifyFolder(const std::string& path, FolderIdentity& id) override;
    std::string ShortPath(const std::string& path) override;
    bool ReadTail(const std::string& path, uint32_t count, std::string& bytes) override;
    std::unique_ptr<ByteSource> OpenRead(const std::string& path) override;
};

// Case-insensitive (ASCII) wildcard match of "*" and "?".
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace tw
