// The records handed to the shell for deleting a file and opening a link.
// The operations themselves ask the user or start other programs, so the
// records are checked rather than the operations run.
#include <gtest/gtest.h>

#include "platform/win32/win_shell.h"

namespace tw::win {
namespace {

TEST(Win32_Shell, RecycleRequestListsOneFileForTheRecycleBin) {
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    RecycleRequest r(owner, "C:\\曲\\a b.mp3", "Tunewhistle 3.10");
    EXPECT_EQ(r.op.hwnd, owner);
    EXPECT_EQ(r.op.wFunc, static_cast<UINT>(FO_DELETE));
    EXPECT_EQ(r.op.fFlags, static_cast<FILEOP_FLAGS>(FOF_ALLOWUNDO));
    // The list: the name, its NUL, and the NUL that ends the list.
    const std::wstring expected = std::wstring(L"C:\\\x66F2\\a b.mp3") + L'\0' + L'\0';
    EXPECT_EQ(std::wstring(r.op.pFrom, expected.size()), expected);
    EXPECT_EQ(r.op.pTo[0], L'\0');
    EXPECT_STREQ(r.op.lpszProgressTitle, L"Tunewhistle 3.10");
    EXPECT_EQ(r.op.hNameMappings, nullptr);
}

TEST(Win32_Shell, LinkRequestOpensWithoutErrorDialog) {
    LinkRequest r("mailto:someone@example.org");
    EXPECT_EQ(r.info.cbSize, sizeof(SHELLEXECUTEINFOW));
    EXPECT_EQ(r.info.fMask, static_cast<ULONG>(SEE_MASK_FLAG_NO_UI));
    EXPECT_EQ(r.info.hwnd, GetDesktopWindow());
    EXPECT_STREQ(r.info.lpVerb, L"open");
    EXPECT_STREQ(r.info.lpFile, L"mailto:someone@example.org");  // as it stands
    EXPECT_STREQ(r.info.lpParameters, L"");
    EXPECT_STREQ(r.info.lpDirectory, L"");
    EXPECT_EQ(r.info.nShow, SW_SHOW);
}

}  // namespace
}  // namespace tw::win
