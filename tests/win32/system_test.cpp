// The code page, the instance claim, the message pump and the facts about
// the system, on the real Win32 layer.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/startup.h"
#include "model/app_context.h"
#include "platform/win32/wide.h"
#include "platform/win32/win_basics.h"
#include "platform/win32/win_files.h"
#include "platform/win32/win_include.h"
#include "platform/win32/win_system.h"

namespace tw::win {
namespace {

TEST(Win32_Codec, AsciiPassesThroughUnchanged) {
    WinTextCodec codec;
    const std::string ascii = "C:\\Music\\Track 01 (live).mp3";
    EXPECT_EQ(codec.ToAnsi(ascii), ascii);
    EXPECT_EQ(codec.FromAnsi(ascii), ascii);
    EXPECT_EQ(codec.ToAnsi(""), "");
    EXPECT_EQ(codec.FromAnsi(""), "");
}

TEST(Win32_Codec, JapaneseUsesTwoBytesPerFullWidthCharacterOnCodePage932) {
    // The run that sets TW_EXPECT_ACP must get the code page it asked for,
    // or this test would quietly skip where it is meant to run.
    if (const char* want = std::getenv("TW_EXPECT_ACP")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(want)));
    }
    if (GetACP() != 932) GTEST_SKIP() << "the system code page is " << GetACP() << ", not 932";
    WinTextCodec codec;
    const std::string text = "曲テスト";
    const std::string ansi = codec.ToAnsi(text);
    EXPECT_EQ(ansi.size(), 8u);
    EXPECT_EQ(ansi.substr(2, 2), "\x83\x65");  // テ in Shift_JIS
    EXPECT_EQ(codec.FromAnsi(ansi), text);
    std::string mixed = "a";
    mixed += ansi.substr(0, 2);
    mixed += "b";
    EXPECT_EQ(codec.ToAnsi("a曲b"), mixed);
}

TEST(Win32_Codec, UnrepresentableCharactersBecomeTheDefaultCharacter) {
    const UINT acp = GetACP();
    if (acp == CP_UTF8) GTEST_SKIP() << "a UTF-8 code page holds every character";
    CPINFO info{};
    ASSERT_TRUE(GetCPInfo(acp, &info));
    const std::string replacement(reinterpret_cast<const char*>(info.DefaultChar));
    WinTextCodec codec;
    // U+2603 SNOWMAN is in no ANSI code page.
    const std::string ansi = codec.ToAnsi("x\xE2\x98\x83y");
    EXPECT_EQ(ansi, "x" + replacement + "y");
}

TEST(Win32_Codec, UpperCaseFollowsTheSystemMapping) {
    WinTextCodec codec;
    EXPECT_EQ(codec.ToUpper("Track 01.mp3"), "TRACK 01.MP3");
    EXPECT_EQ(codec.ToUpper("ａｂｃ"), "ＡＢＣ");  // full-width letters
    EXPECT_EQ(codec.ToUpper("café"), "CAFÉ");
    EXPECT_EQ(codec.ToUpper("дом"), "ДОМ");
    // Kana have no case: small and half-width forms stay as they are.
    EXPECT_EQ(codec.ToUpper("ぁゃｶﾞ曲"), "ぁゃｶﾞ曲");
    // Japanese first must not hide a letter that folds after it.
    EXPECT_EQ(codec.ToUpper("曲 é ａ"), "曲 É Ａ");
    std::string inPlace = "ウタ de ａ";
    codec.UpperInPlace(inPlace);
    EXPECT_EQ(inPlace, "ウタ DE Ａ");
}

TEST(Win32_System, OnlyTheFirstClaimOfTheInstanceSucceeds) {
    // A name of this test run's own, so a running copy of the program does
    // not interfere.
    const std::wstring name =
        L"Local\\Tunewhistle.Test." + std::to_wstring(GetCurrentProcessId());
    {
        WinSystemInfo first(name.c_str());
        EXPECT_FALSE(first.AnotherInstanceRunning());
        EXPECT_FALSE(first.AnotherInstanceRunning());  // the answer stays

        WinSystemInfo second(name.c_str());
        EXPECT_TRUE(second.AnotherInstanceRunning());
    }
    // Both claims are released with their objects.
    WinSystemInfo later(name.c_str());
    EXPECT_FALSE(later.AnotherInstanceRunning());
}

TEST(Win32_System, ReportsItsFolderAndAnNtVersion) {
    WinSystemInfo system(L"Local\\Tunewhistle.Test.Unused");
    const std::string folder = system.ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    WinFileSystem fs;
    EXPECT_TRUE(fs.FileExists(folder + "\\tw_win32_tests.exe"));

    const OsVersion v = system.GetVersion();
    EXPECT_EQ(v.platformId, 2u);
    EXPECT_GE(v.major, 5u);
    EXPECT_EQ(ClassifyOs(v), kOsNt5);
}

TEST(Win32_Pump, YieldDrainsTheQueueButKeepsQuit) {
    constexpr UINT kProbe = WM_APP + 7;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), kProbe, 0, 0));
    WinMessagePump pump;
    pump.Yield();
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, kProbe, kProbe, PM_NOREMOVE));

    PostQuitMessage(7);
    pump.Yield();
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // takes the quit away again
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
}  // namespace tw::win
