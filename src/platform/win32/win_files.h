#pragma once
#include "platform/files.h"

namespace tw::win {

// Files through the wide Win32 file API.
class WinFileSystem final : public FileSystem {
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

}  // namespace tw::win
