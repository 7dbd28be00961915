#pragma once
// UTF-8 inside the program, UTF-16 at the Win32 boundary.
#include <string>

namespace tw::win {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
std::string Narrow(const wchar_t* utf16, size_t length);

// Conversion between UTF-16 and a Windows code page; unrepresentable
// characters become the code page's default character.
std::wstring WidenFrom(unsigned codePage, const std::string& bytes);
std::string NarrowTo(unsigned codePage, const std::wstring& utf16);

}  // namespace tw::win
