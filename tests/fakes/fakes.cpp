#include "fakes/fakes.h"

#include "model/defaults.h"
#include "platform/posix/posix_files.h"
#include "window/window_layout.h"

namespace tw::test {

bool MemoryFileSystem::ReadWholeFile(const std::string& path, std::string& bytes) {
    log.push_back("read " + path);
    if (failOn.count("read")) return false;
    auto it = files.find(path);
    if (it == files.end()) return false;
    bytes = it->second;
    return true;
}

bool MemoryFileSystem::WriteNewFile(const std::string& path, const std::string& bytes) {
    log.push_back("write " + path);
    if (failOn.count("create") || readOnly.count(path)) return false;
    if (failOn.count("write")) {
        files[path] = bytes.substr(0, failWriteAfter.value_or(0));
        return false;
    }
    files[path] = bytes;
    return true;
}

bool MemoryFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
    log.push_back("replace " + from + " -> " + to);
    if (failOn.count("replace") || readOnly.count(to) || !files.count(from)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
}

bool MemoryFileSystem::ReplaceKeepingOld(const std::string& from, const std::string& to, const std::string& backup) {
    log.push_back("replace " + from + " -> " + to + ", keeping " + backup);
    if (failOn.count("replace") || readOnly.count(to) || !files.count(from)) return false;
    if (files.count(to)) files[backup] = files[to];
    files[to] = files[from];
    files.erase(from);
    return true;
}

bool MemoryFileSystem::DeleteFile(const std::string& path) {
    log.push_back("delete " + path);
    if (failOn.count("delete") || readOnly.count(path)) return false;
    return files.erase(path) > 0;
}

// A path as Windows takes it: no dot or blank at the end of its last name.
std::string MemoryFileSystem::AsNamed(std::string path) const {
    while (windowsNames && !path.empty() && (path.back() == '.' || path.back() == ' ')) path.pop_back();
    return path;
}

bool MemoryFileSystem::RenameFile(const std::string& from, const std::string& typed) {
    const std::string to = AsNamed(typed);
    log.push_back("rename " + from + " -> " + to);
    if (failOn.count("rename") || !files.count(from) || files.count(to)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
}

bool MemoryFileSystem::ReadTail(const std::string& path, uint32_t count, std::string& bytes) {
    auto it = files.find(path);
    if (it == files.end()) return false;
    const std::string& all = it->second;
    bytes = all.size() > count ? all.substr(all.size() - count) : all;
    return true;
}

namespace {

std::string ParentOf(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string MemoryFileSystem::Resolve(std::string path) const {
    if (path.size() > 1 && path.back() == '\\') path.pop_back();
    // A bounded number of hops: links that point at each other lead nowhere.
    for (int hop = 0; hop < 40; ++hop) {
        bool moved = false;
        for (const auto& [link, target] : links) {
            if (path == link || (path.size() > link.size() && path.compare(0, link.size(), link) == 0 &&
                                 path[link.size()] == '\\')) {
                path = target + path.substr(link.size());
                moved = true;
                break;
            }
        }
        if (!moved) break;
    }
    return path;
}

bool MemoryFileSystem::FindEntries(const std::string& typed, std::vector<FindEntry>& out) {
    const std::string pattern = AsNamed(typed);
    patterns.push_back(pattern);
    out.clear();
    const size_t slash = pattern.rfind('\\');
    const std::string dir = Resolve(pattern.substr(0, slash));
    const std::string mask = pattern.substr(slash + 1);
    if (!dirs.count(dir)) return false;
    for (const char* dot : {".", ".."})
        if (WildcardMatch(mask, dot)) out.push_back({dot, kAttrDirectory});
    std::map<std::string, FindEntry> children;
    for (const auto& [path, attr] : dirs)
        if (ParentOf(path) == dir) children[path.substr(dir.size() + 1)] = {"", attr};
    for (const auto& [path, bytes] : files) {
        if (ParentOf(path) != dir) continue;
        auto a = fileAttributes.find(path);
        auto t = writeTimes.find(path);
        children[path.substr(dir.size() + 1)] = {"", a == fileAttributes.end() ? kAttrArchive : a->second,
                                                 bytes.size(), t == writeTimes.end() ? 1 : t->second};
    }
    for (auto& [name, entry] : children) {
        if (!WildcardMatch(mask, name)) continue;
        entry.name = name;
        out.push_back(entry);
    }
    return !out.empty();
}

bool MemoryFileSystem::GetAttributes(const std::string& path, uint32_t& attributes) {
    const std::string p = Resolve(path);
    if (auto d = dirs.find(p); d != dirs.end()) {
        attributes = d->second;
        return true;
    }
    if (!files.count(p)) return false;
    auto a = fileAttributes.find(p);
    attributes = a == fileAttributes.end() ? kAttrArchive : a->second;
    return true;
}

bool MemoryFileSystem::IdentifyFolder(const std::string& path, FolderIdentity& id) {
    if (!identities) return false;
    const std::string p = Resolve(path);
    auto d = dirs.find(p);
    if (d == dirs.end()) return false;
    id = {1, static_cast<uint64_t>(std::distance(dirs.begin(), d)) + 1};
    return true;
}

BoxAnswer ScriptedBoxes::Show(const std::string& text, const std::string& caption, BoxIcon icon,
                              BoxButtons buttons, BoxDefault def) {
    shown.push_back({text, caption, icon, buttons, def});
    if (whileOpen) whileOpen();
    if (!answers.empty()) {
        BoxAnswer a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    if (buttons == BoxButtons::YesNo) return def == BoxDefault::Second ? BoxAnswer::No : BoxAnswer::Yes;
    return BoxAnswer::Ok;
}

void FakeWindow::Load() {
    if (loaded) return;
    loaded = true;
    ++loads;
    events.push_back("load");
    // The real window starts its timers when it is created.
    timers = {{TimerId::Main, true}, {TimerId::Next, false}, {TimerId::Win, true},
              {TimerId::Move, false}, {TimerId::Popup, false}};
    if (handler) handler->OnLoad();
}

void FakeWindow::UnloadAll() {
    events.push_back("unload");
    if (loaded && handler) handler->OnUnload();
    loaded = false;
    unloaded = true;
}

int FakeWindow::TextWidth(const std::string& text) {
    int w = 0;
    for (unsigned char c : text) {
        if (c == '\r' || c == '\n') continue;
        if (c < 0x80) w += 6;
        else if (c >= 0xC0) w += 12;  // a lead byte: one character
    }
    return w;
}

void FakeWindow::NoteStatus() {
    if (!ctx) return;
    const std::string& text = ctx->win.ShownText;
    if (statusShown.empty() || statusShown.back() != text) statusShown.push_back(text);
}

bool FakeSystem::OnAnyMonitor(int l, int t, int w, int h) {
    std::vector<PixelRect> all = otherMonitors;
    all.push_back({0, 0, width, height});
    for (const PixelRect& m : all)
        if (l < m.Right() && l + w > m.left && t < m.Bottom() && t + h > m.top) return true;
    return false;
}

const char* FakeWindow::TimerName(TimerId id) {
    switch (id) {
    case TimerId::Main: return "MainTimer";
    case TimerId::Next: return "NextTimer";
    case TimerId::Win: return "WinTimer";
    case TimerId::Move: return "MoveTimer";
    case TimerId::Popup: return "PopupTimer";
    }
    return "?";
}

TestApp::TestApp()
    : ctx(Platform{&clock, &pump, &files, &codec, &shell, &boxes, &system, &window, &mci, &dialogs, &watcher}) {
    window.ctx = &ctx;
    window.handler = &appEvents;
    // The layout a start-up would make, for tests that show status texts
    // without starting the program.
    Settings defaults;
    SetDefaults(defaults, system.width, system.height);
    ctx.win.Geometry = ComputeGeometry(defaults, kOsNt5, 96);
}

}  // namespace tw::test
