#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
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
    size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
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
    FILE* f = std::fopen(Native(path).c_str(), "rb");
    if (!f) return false;
    bytes.clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
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
        const std::string name = e->d_name;
        if (!WildcardMatch(mask, name)) continue;
        // The entry's type usually comes with the listing; stat only when
        // it does not (or for links, which list as what they point to).
        if (e->d_type == DT_DIR || e->d_type == DT_REG) {
            struct stat st {};
            st.st_mode = (e->d_type == DT_DIR ? S_IFDIR : S_IFREG) | S_IWUSR;
            out.push_back({name, AttributesOf(name, st)});
            continue;
        }
        struct stat st {};
        if (::stat((dir + "/" + name).c_str(), &st) != 0) continue;
        out.push_back({name, AttributesOf(name, st)});
    }
    ::closedir(d);
    return !out.empty();
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
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok) {
        const off_t size = st.st_size;
        const off_t start = size > static_cast<off_t>(count) ? size - count : 0;
        bytes.assign(static_cast<size_t>(size - start), '\0');
        ok = ::pread(fd, bytes.data(), bytes.size(), start) == static_cast<ssize_t>(bytes.size());
    }
    ::close(fd);
    return ok;
}

}  // namespace tw
