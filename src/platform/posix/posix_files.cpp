#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tw {

namespace {

std::string Native(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Nanoseconds of the last change of the file's contents.
uint64_t StampOf(const struct stat& st) {
    return static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(st.st_mtim.tv_nsec);
}

uint32_t AttributesOf(const std::string& name, const struct stat& st) {
    uint32_t a = 0;
    if (S_ISDIR(st.st_mode)) a |= kAttrDirectory;
    else a |= kAttrArchive;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") a |= kAttrHidden;
    if ((st.st_mode & S_IWUSR) == 0) a |= kAttrReadOnly;
    return a;
}

std::string BaseName(const std::string& nativePath) {
    std::string p = nativePath;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    // ASCII letters only, folded inline: std::tolower is a call per byte
    // (and would follow the C locale anyway).
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    auto same = [&lower](char a, char b) { return a == b || lower(a) == lower(b); };
    // A star and then plain text ("*", "*.mp3": every listing registration
    // asks for) matches exactly the names ending in that text.
    if (!pattern.empty() && pattern[0] == '*' &&
        pattern.find_first_of("*?", 1) == std::string::npos) {
        const size_t tail = pattern.size() - 1;
        if (name.size() < tail) return false;
        for (size_t i = 0; i < tail; ++i)
            if (!same(pattern[1 + i], name[name.size() - tail + i])) return false;
        return true;
    }
    size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    // "*.*" also matches names without a dot, as on Windows.
    if (p + 2 == pattern.size() && pattern.compare(p, 2, ".*") == 0) return true;
    return p == pattern.size();
}

bool PosixFileSystem::FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(Native(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool PosixFileSystem::ReadWholeFile(const std::string& path, std::string& bytes) {
    const int fd = ::open(Native(path).c_str(), O_RDONLY);
    if (fd < 0) return false;
    // Sized once from the file, one byte over so the end shows in the same
    // pass; a file that grows meanwhile still reads to its end.
    struct stat st {};
    const size_t expected = ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    bytes.resize(expected + 1);
    size_t done = 0;
    bool ok = true;
    for (;;) {
        if (done == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    ::close(fd);
    return ok;
}

bool PosixFileSystem::WriteNewFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(Native(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

bool PosixFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
    // A read-only target refuses replacement, as it does on Windows.
    struct stat st {};
    if (::stat(Native(to).c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) return false;
    return std::rename(Native(from).c_str(), Native(to).c_str()) == 0;
}

bool PosixFileSystem::ReplaceKeepingOld(const std::string& from, const std::string& to, const std::string& backup) {
    struct stat st {};
    if (::stat(Native(to).c_str(), &st) == 0) {
        if ((st.st_mode & S_IWUSR) == 0) return false;
        // A second name for the old file first, so that `to` never goes
        // missing between the two renames.
        const std::string link = Native(backup) + ".new";
        ::unlink(link.c_str());
        if (::link(Native(to).c_str(), link.c_str()) != 0 || std::rename(link.c_str(), Native(backup).c_str()) != 0) {
            ::unlink(link.c_str());
            return false;
        }
    }
    return std::rename(Native(from).c_str(), Native(to).c_str()) == 0;
}

bool PosixFileSystem::DeleteFile(const std::string& path) {
    return ::unlink(Native(path).c_str()) == 0;
}

bool PosixFileSystem::RenameFile(const std::string& from, const std::string& to) {
    struct stat st {};
    if (::lstat(Native(to).c_str(), &st) == 0) return false;
    return std::rename(Native(from).c_str(), Native(to).c_str()) == 0;
}

bool PosixFileSystem::FindEntries(const std::string& pattern, std::vector<FindEntry>& out) {
    out.clear();
    const std::string native = Native(pattern);
    const size_t slash = native.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : native.substr(0, slash + 1);
    const std::string mask = slash == std::string::npos ? native : native.substr(slash + 1);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return false;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (!WildcardMatch(mask, name)) continue;
        // The entry's type usually comes with the listing; stat only when
        // it does not (or for links, which list as what they point to). A
        // listing without stat cannot tell size and time: stamps stay 0,
        // and tags are then read again rather than taken over.
        struct stat st {};
        FindEntry entry;
        if (e->d_type == DT_DIR || e->d_type == DT_REG) {
            st.st_mode = (e->d_type == DT_DIR ? S_IFDIR : S_IFREG) | S_IWUSR;
        } else if (::stat((dir + "/" + name).c_str(), &st) != 0) {
            continue;
        } else {
            entry.size = static_cast<uint64_t>(st.st_size);
            entry.writeTime = StampOf(st);
        }
        entry.attributes = AttributesOf(name, st);
        entry.name = std::move(name);
        out.push_back(std::move(entry));
    }
    ::closedir(d);
    return !out.empty();
}

bool PosixFileSystem::IdentifyFolder(const std::string& path, FolderIdentity& id) {
    struct stat st {};
    if (::stat(Native(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

bool PosixFileSystem::GetAttributes(const std::string& path, uint32_t& attributes) {
    const std::string native = Native(path);
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) return false;
    attributes = AttributesOf(BaseName(native), st);
    return true;
}

std::string PosixFileSystem::ShortPath(const std::string& path) {
    // No 8.3 names here: an existing path is its own short form.
    struct stat st {};
    return ::stat(Native(path).c_str(), &st) == 0 ? path : std::string();
}

bool PosixFileSystem::ReadTail(const std::string& path, uint32_t count, std::string& bytes) {
    const int fd = ::open(Native(path).c_str(), O_RDONLY);
    if (fd < 0) return false;
    // The size from lseek: fstat would fill in a whole stat record for it.
    const off_t size = ::lseek(fd, 0, SEEK_END);
    bool ok = size >= 0;
    if (ok) {
        const off_t start = size > static_cast<off_t>(count) ? size - count : 0;
        bytes.resize(static_cast<size_t>(size - start));
        ok = ::pread(fd, bytes.data(), bytes.size(), start) == static_cast<ssize_t>(bytes.size());
    }
    ::close(fd);
    return ok;
}

namespace {

// A file open for reading at any offset.
class PosixByteSource final : public ByteSource {
public:
    PosixByteSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
    ~PosixByteSource() override { ::close(fd_); }
    PosixByteSource(const PosixByteSource&) = delete;
    PosixByteSource& operator=(const PosixByteSource&) = delete;
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, size_t count, std::string& bytes) override {
        bytes.clear();
        if (offset >= size_) return true;
        if (count > size_ - offset) count = static_cast<size_t>(size_ - offset);
        bytes.resize(count);
        size_t done = 0;
        while (done < count) {
            const ssize_t n = ::pread(fd_, bytes.data() + done, count - done, static_cast<off_t>(offset + done));
            if (n < 0) return false;
            if (n == 0) break;  // the file shrank since it was opened
            done += static_cast<size_t>(n);
        }
        bytes.resize(done);
        return true;
    }

private:
    int fd_;
    uint64_t size_;
};

}  // namespace

std::unique_ptr<ByteSource> PosixFileSystem::OpenRead(const std::string& path) {
    const int fd = ::open(Native(path).c_str(), O_RDONLY);
    if (fd < 0) return nullptr;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size < 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixByteSource>(fd, static_cast<uint64_t>(size));
}

}  // namespace tw
