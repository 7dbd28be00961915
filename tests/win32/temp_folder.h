#pragma once
// Test helpers for the Win32 layer: a scratch folder that removes itself,
// and raw file access that bypasses the code under test.
#include <string>

#include "platform/win32/win_include.h"

namespace tw::win::test {

// A fresh, empty folder under the user's temp folder, removed with all its
// contents (read-only files included) when the object goes away.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }  // UTF-8, no trailing backslash
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Writes or reads a file straight through the wide API (UTF-8 path).
bool WriteRaw(const std::string& path, const std::string& bytes);
std::string ReadRaw(const std::string& path);
bool SetReadOnly(const std::string& path, bool readOnly);

}  // namespace tw::win::test
