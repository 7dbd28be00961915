#include "platform/win32/win_files.h"

#include <cwchar>

#include "platform/win32/wide.h"
#include "platform/win32/win_include.h"

namespace tw::win {

namespace {

// Closes a file handle when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (ok()) CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

HANDLE OpenForReading(const std::string& path) {
    return CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Reads up to `count` bytes from the current position; false on a read error.
bool ReadUpTo(HANDLE h, uint64_t count, std::string& bytes) {
    bytes.clear();
    while (count > 0) {
        const DWORD chunk = count > (1u << 20) ? (1u << 20) : static_cast<DWORD>(count);
        const size_t at = bytes.size();
        bytes.resize(at + chunk);
        DWORD got = 0;
        if (!ReadFile(h, bytes.data() + at, chunk, &got, nullptr)) return false;
        bytes.resize(at + got);
        if (got == 0) break;  // the file was shorter than its size said
        count -= got;
    }
    return true;
}

// Windows refuses to overwrite or replace a read-only file, and the user
// relies on that to protect the data file. Wine on a Unix file system
// replaces it anyway (and so may a network share), so look first.
bool IsReadOnlyFile(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) != 0 &&
           (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

bool WinFileSystem::FileExists(const std::string& path) {
    const DWORD a = GetFileAttributesW(Widen(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool WinFileSystem::ReadWholeFile(const std::string& path, std::string& bytes) {
    FileHandle f(OpenForReading(path));
    if (!f.ok()) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.get(), &size) || size.QuadPart < 0) return false;
    return ReadUpTo(f.get(), static_cast<uint64_t>(size.QuadPart), bytes);
}

bool WinFileSystem::WriteNewFile(const std::string& path, const std::string& bytes) {
    const std::wstring wide = Widen(path);
    if (IsReadOnlyFile(wide)) return false;
    // Readers may look in while it is written; other writers may not.
    FileHandle f(CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.ok()) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t left = bytes.size() - done;
        const DWORD chunk = left > (1u << 20) ? (1u << 20) : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(f.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return FlushFileBuffers(f.get()) != 0;
}

bool WinFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
    const std::wstring target = Widen(to);
    if (IsReadOnlyFile(target)) return false;  // a protected data file stays as it is
    return MoveFileExW(Widen(from).c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool WinFileSystem::ReplaceKeepingOld(const std::string& from, const std::string& to, const std::string& backup) {
    const std::wstring target = Widen(to);
    if (IsReadOnlyFile(target)) return false;
    if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) return ReplaceFile(from, to);
    // The old file becomes the backup and the new one takes its name in one
    // call; the name never goes missing.
    return ::ReplaceFileW(target.c_str(), Widen(from).c_str(), Widen(backup).c_str(), REPLACEFILE_WRITE_THROUGH,
                          nullptr, nullptr) != 0;
}

bool WinFileSystem::DeleteFile(const std::string& path) {
    return DeleteFileW(Widen(path).c_str()) != 0;
}

bool WinFileSystem::RenameFile(const std::string& from, const std::string& to) {
    return MoveFileW(Widen(from).c_str(), Widen(to).c_str()) != 0;
}

bool WinFileSystem::FindEntries(const std::string& pattern, std::vector<FindEntry>& out) {
    out.clear();
    WIN32_FIND_DATAW fd;
    // No 8.3 names (the listing never uses them) and larger batches from
    // the file system: fewer round trips for folders of many files.
    HANDLE h = FindFirstFileExW(Widen(pattern).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        h = FindFirstFileW(Widen(pattern).c_str(), &fd);  // systems before Windows 7 know neither
    if (h == INVALID_HANDLE_VALUE) return false;
    do {
        out.push_back(FindEntry{Narrow(fd.cFileName, wcslen(fd.cFileName)), fd.dwFileAttributes,
                                uint64_t{fd.nFileSizeHigh} << 32 | fd.nFileSizeLow,
                                uint64_t{fd.ftLastWriteTime.dwHighDateTime} << 32 | fd.ftLastWriteTime.dwLowDateTime});
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return true;
}

bool WinFileSystem::IdentifyFolder(const std::string& path, FolderIdentity& id) {
    // No access asked: reading the identity needs none, and a folder the
    // user may not list is still one not to enter twice.
    HANDLE h = CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    // Some file systems (FAT over a network, some shares) report no index.
    if (!ok || (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0)) return false;
    id = {info.dwVolumeSerialNumber, uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
    return true;
}

bool WinFileSystem::GetAttributes(const std::string& path, uint32_t& attributes) {
    const DWORD a = GetFileAttributesW(Widen(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    attributes = a;
    return true;
}

std::string WinFileSystem::ShortPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    DWORD need = GetShortPathNameW(wide.c_str(), nullptr, 0);
    // The name may change between the two calls; try again if it grew.
    for (int attempt = 0; attempt < 3 && need > 0; ++attempt) {
        std::wstring buf(need, L'\0');
        const DWORD n = GetShortPathNameW(wide.c_str(), buf.data(), need);
        if (n == 0) return "";
        if (n < need) {
            buf.resize(n);
            return Narrow(buf);
        }
        need = n;
    }
    return "";
}

bool WinFileSystem::ReadTail(const std::string& path, uint32_t count, std::string& bytes) {
    FileHandle f(OpenForReading(path));
    if (!f.ok()) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.get(), &size) || size.QuadPart < 0) return false;
    LARGE_INTEGER start;
    start.QuadPart = size.QuadPart > static_cast<LONGLONG>(count) ? size.QuadPart - count : 0;
    if (!SetFilePointerEx(f.get(), start, nullptr, FILE_BEGIN)) return false;
    return ReadUpTo(f.get(), static_cast<uint64_t>(size.QuadPart - start.QuadPart), bytes);
}

namespace {

// A file open for reading at any offset.
class WinByteSource final : public ByteSource {
public:
    WinByteSource(HANDLE h, uint64_t size) : f_(h), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, size_t count, std::string& bytes) override {
        bytes.clear();
        if (offset >= size_) return true;
        if (count > size_ - offset) count = static_cast<size_t>(size_ - offset);
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(f_.get(), at, nullptr, FILE_BEGIN)) return false;
        return ReadUpTo(f_.get(), count, bytes);
    }

private:
    FileHandle f_;
    uint64_t size_;
};

}  // namespace

std::unique_ptr<ByteSource> WinFileSystem::OpenRead(const std::string& path) {
    HANDLE h = OpenForReading(path);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size) || size.QuadPart < 0) {
        CloseHandle(h);
        return nullptr;
    }
    return std::make_unique<WinByteSource>(h, static_cast<uint64_t>(size.QuadPart));
}

}  // namespace tw::win
