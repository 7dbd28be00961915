// The player engine on the real multimedia device and clock, playing a
// short MP3 that the build generates beside this test exe.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "model/app_context.h"
#include "platform/win32/wide.h"
#include "platform/win32/win_basics.h"
#include "platform/win32/win_files.h"
#include "platform/win32/win_mci.h"
#include "playback/mci_device.h"
#include "playback/player.h"
#include "temp_folder.h"

namespace tw::win {
namespace {

std::string ToneBesideExe() {
    wchar_t buf[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::string path = Narrow(buf, wcslen(buf));
    return path.substr(0, path.rfind('\\') + 1) + "tone.mp3";
}

// Counts the opens that reach the device.
class CountingMci : public MciDevice {
public:
    WinMci real;
    int opens = 0;
    uint32_t SendString(const std::string& command, std::string& reply) override {
        if (command.rfind("open ", 0) == 0) ++opens;
        return real.SendString(command, reply);
    }
};

class Win32_Mci : public ::testing::Test {
protected:
    test::TempFolder dir;
    WinClock clock;
    WinFileSystem files;
    WinTextCodec codec;
    CountingMci mci;
    AppContext ctx{Platform{&clock, nullptr, &files, &codec, nullptr, nullptr, nullptr, nullptr, &mci}};
    std::string tone;

    void SetUp() override {
        std::string bytes;
        ASSERT_TRUE(files.ReadWholeFile(ToneBesideExe(), bytes)) << "missing " << ToneBesideExe();
        ASSERT_TRUE(CreateDirectoryW(Widen(dir / "with space").c_str(), nullptr));
        tone = dir / "with space\\a tone.mp3";
        ASSERT_TRUE(files.WriteNewFile(tone, bytes));
        ctx.live.Settings.LoopAll = kTrue;
    }
    void TearDown() override { RunPlayerCommand(ctx, kCmdCloseDevice, kEventDirect); }

    void SetList(const std::vector<std::string>& paths) {
        ctx.live.PlayList.Clear();
        ctx.live.PlayCount = 0;
        for (const std::string& p : paths) {
            const size_t slash = p.rfind('\\') + 1;
            AppendCapped(ctx.live.PlayList, ctx.live.PlayCount, SearchHit{p.substr(0, slash), "", p.substr(slash)});
        }
    }
    // Steps the engine every 10 ms until `done` or the time runs out.
    template <class F>
    bool RunUntil(F done, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            PlayerStep(ctx);
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
};

TEST_F(Win32_Mci, OpensAPathWithSpacesAndReportsItsLength) {
    MciWrapper device(mci, files);
    ASSERT_EQ(device.OpenDevice(kDeviceAlias, tone), 0u);
    const int32_t length = device.GetLength();
    EXPECT_GT(length, 1200);  // the generated tone lasts 1.5 s
    EXPECT_LT(length, 2500);
    device.CloseDevice();

    // The quoted long form is understood too, for volumes without 8.3 names.
    std::string reply;
    EXPECT_EQ(device.SendMci("open \"" + tone + "\" Alias " + kDeviceAlias, reply), 0u);
    device.CloseDevice();
}

TEST_F(Win32_Mci, PlaysToTheEndAndLoopsTheList) {
    SetList({tone});
    RunPlayerCommand(ctx, kCmdStartList, kEventDirect);
    PlayerRuntime& p = ctx.player;
    ASSERT_TRUE(RunUntil([&] { return p.PlayerState == 11 && p.PlayPosition > 300; }, 8000))
        << "state " << p.PlayerState << " position " << p.PlayPosition;
    EXPECT_EQ(mci.opens, 1);
    // The end of the entry comes by polling; with LoopAll the list starts over.
    ASSERT_TRUE(RunUntil([&] { return mci.opens == 2 && p.PlayerState == 11; }, 10000))
        << "state " << p.PlayerState << " position " << p.PlayPosition << "/" << p.TrackLength;
    EXPECT_EQ(p.PlayIndex, 0);
}

TEST_F(Win32_Mci, AMissingFileWaitsThenTheNextEntryPlays) {
    SetList({dir / "gone.mp3", tone});
    RunPlayerCommand(ctx, kCmdStartList, kEventDirect);
    PlayerRuntime& p = ctx.player;
    ASSERT_TRUE(RunUntil([&] { return p.PlayerState == 81; }, 3000));
    const auto failed = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunUntil([&] { return p.PlayerState == 11; }, 8000)) << "state " << p.PlayerState;
    EXPECT_GE(std::chrono::steady_clock::now() - failed, std::chrono::milliseconds(2400));
    EXPECT_EQ(p.PlayIndex, 1);
}

}  // namespace
}  // namespace tw::win
