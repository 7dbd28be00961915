#include "platform/win32/wide.h"

#include <climits>

#include "platform/win32/win_include.h"

namespace tw::win {

std::wstring WidenFrom(unsigned codePage, const std::string& bytes) {
    // The Win32 conversions take int lengths; nothing the program handles
    // comes near that, so larger input is refused rather than cut.
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const int inLen = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), inLen, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), inLen, out.data(), n);
    return out;
}

std::string NarrowTo(unsigned codePage, const std::wstring& utf16) {
    if (utf16.empty() || utf16.size() > INT_MAX) return {};
    const int inLen = static_cast<int>(utf16.size());
    const int n =
        WideCharToMultiByte(codePage, 0, utf16.data(), inLen, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, utf16.data(), inLen, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& utf8) { return WidenFrom(CP_UTF8, utf8); }

std::string Narrow(const std::wstring& utf16) { return NarrowTo(CP_UTF8, utf16); }

std::string Narrow(const wchar_t* utf16, size_t length) {
    return Narrow(std::wstring(utf16, length));
}

}  // namespace tw::win
