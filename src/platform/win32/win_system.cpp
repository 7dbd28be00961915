#include "platform/win32/win_system.h"

#include "platform/win32/wide.h"
#include "platform/win32/win_include.h"

namespace tw::win {

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

// Without a compatibility manifest GetVersionExW reports Windows 8 on every
// later version; ntdll's RtlGetVersion tells the truth.
bool QueryVersion(OSVERSIONINFOW& info) {
    info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        // Through void(*)() so that compilers accept the cast between
        // unrelated function types.
        using Generic = void (*)();
        const auto fn = reinterpret_cast<RtlGetVersionFn>(
            reinterpret_cast<Generic>(GetProcAddress(ntdll, "RtlGetVersion")));
        if (fn && fn(&info) == 0) return true;
    }
    // Deprecated, but only the fallback for systems without RtlGetVersion.
#ifdef _MSC_VER
#pragma warning(push)
#pragma warning(disable : 4996)
#endif
    const bool ok = GetVersionExW(&info) != 0;
#ifdef _MSC_VER
#pragma warning(pop)
#endif
    return ok;
}

}  // namespace

WinSystemInfo::~WinSystemInfo() {
    if (mutex_) CloseHandle(mutex_);
}

OsVersion WinSystemInfo::GetVersion() {
    OsVersion v;
    OSVERSIONINFOW info;
    if (QueryVersion(info)) {
        v.platformId = info.dwPlatformId;
        v.major = info.dwMajorVersion;
        v.minor = info.dwMinorVersion;
    }
    return v;
}

int WinSystemInfo::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

int WinSystemInfo::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

int WinSystemInfo::Dpi() {
    // The process is DPI aware (its manifest says so), so this is the
    // system's real setting rather than a virtual 96.
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

bool WinSystemInfo::OnAnyMonitor(int left, int top, int width, int height) {
    const RECT rc{left, top, left + width, top + height};
    return MonitorFromRect(&rc, MONITOR_DEFAULTTONULL) != nullptr;
}

std::string WinSystemInfo::ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return "";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // cut off: try a larger buffer
    }
    const size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos) path.resize(slash);
    return Narrow(path);
}

bool WinSystemInfo::AnotherInstanceRunning() {
    if (!checked_) {
        checked_ = true;
        mutex_ = CreateMutexW(nullptr, FALSE, mutexName_);
        another_ = mutex_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    return another_;
}

bool WinSystemInfo::ShiftDown() { return GetKeyState(VK_SHIFT) < 0; }

}  // namespace tw::win
