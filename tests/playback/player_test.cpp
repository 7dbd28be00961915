#include "playback/player.h"

#include <gtest/gtest.h>

#include "app/main_tick.h"
#include "fakes/fakes.h"

namespace tw {
namespace {

using test::TestApp;

const std::string kStatusPos = "status Tunewhistle3.00 position";
const std::string kStatusLen = "status Tunewhistle3.00 length";

// A play list of files that exist, and a device whose position the test
// sets; the engine runs through the main tick as it does in the program.
class Playback_Player : public ::testing::Test {
protected:
    TestApp app;
    AppContext& ctx = app.ctx;
    PlayerRuntime& p = ctx.player;

    void SetUp() override {
        Settings& s = ctx.live.Settings;
        s.UseInternalPlayer = kTrue;
        s.LoopAll = kTrue;
        ctx.run.AppState = 31;
        SetList(3);
        Length(180000);
        Position(0);
    }
    void SetList(int n) {
        ctx.live.PlayList.Clear();
        ctx.live.PlayCount = 0;
        for (int i = 0; i < n; ++i) {
            const std::string name = std::to_string(i) + ".mp3";
            app.files.AddFile("C:\\m\\" + name);
            AppendCapped(ctx.live.PlayList, ctx.live.PlayCount, SearchHit{"C:\\m\\", "", name});
        }
    }
    void Position(int ms) { app.mci.replies[kStatusPos] = std::to_string(ms); }
    void Length(int ms) { app.mci.replies[kStatusLen] = std::to_string(ms); }
    void Tick(uint32_t ms = 16) {
        app.clock.Advance(ms);
        MainTick(ctx);
    }
    void Start(int index = 0) {
        Position(0);
        p.PlayIndex = static_cast<int16_t>(index);
        RunPlayerCommand(ctx, kCmdStartList, kEventDirect);
        Tick();  // 30: close
        Tick();  // 10: open and play, then 11
    }
    bool Sent(const std::string& command) const {
        return std::find(app.mci.commands.begin(), app.mci.commands.end(), command) != app.mci.commands.end();
    }
};

TEST_F(Playback_Player, StartsTheListAndPlays) {
    Start(1);
    EXPECT_EQ(p.PlayerState, 11);
    EXPECT_TRUE(p.DeviceOpen);
    EXPECT_EQ(p.TrackLength, 180000);
    EXPECT_TRUE(Sent("open C:\\m\\1.mp3 Alias Tunewhistle3.00"));
    EXPECT_TRUE(Sent("play Tunewhistle3.00"));
    Position(65432);
    Tick();  // polls the position
    Tick();  // shows it
    EXPECT_EQ(app.window.statusShown.back(), "再生中 No.2 01:05  -01:54\r\n1.mp3 (  )");
}

TEST_F(Playback_Player, EndOfTheLastEntryLoopsOrStops) {
    for (bool loop : {false, true}) {
        SCOPED_TRACE(loop ? "LoopAll" : "no loop");
        ctx.live.Settings.LoopAll = ToVBool(loop);
        Start(2);
        Position(180000);
        Tick();
        EXPECT_EQ(p.PlayIndex, 0);
        if (loop) {
            EXPECT_EQ(p.PlayerState, 10);  // restarts at entry 0 on the next tick
            Position(0);
            Tick();
            EXPECT_EQ(p.PlayerState, 11);
            EXPECT_EQ(app.mci.commands[app.mci.commands.size() - 5], "open C:\\m\\0.mp3 Alias Tunewhistle3.00");
        } else {
            EXPECT_EQ(p.PlayerState, 0);
            EXPECT_FALSE(p.DeviceOpen);
            EXPECT_EQ(app.mci.commands.back(), "close Tunewhistle3.00");
        }
        RunPlayerCommand(ctx, kCmdCloseDevice, kEventDirect);
    }
}

TEST_F(Playback_Player, ADeviceThatRewindsAtTheEndEndsTheEntryToo) {
    Start(0);
    Position(179500);
    Tick();
    app.mci.replies["status Tunewhistle3.00 mode"] = "playing";
    Position(0);  // a momentary 0 while still playing is no end
    Tick();
    EXPECT_EQ(p.PlayIndex, 0);
    EXPECT_EQ(p.PlayerState, 11);
    Position(179600);
    Tick();
    app.mci.replies["status Tunewhistle3.00 mode"] = "stopped";
    Position(0);
    Tick();
    EXPECT_EQ(p.PlayIndex, 1);
    EXPECT_EQ(p.PlayerState, 10);
}

TEST_F(Playback_Player, MovingInTheListWrapsAndIdleOnlySelects) {
    Start(0);
    RunPlayerCommand(ctx, kCmdPreviousTrack, kEventDirect);
    EXPECT_EQ(p.PlayIndex, 2);
    EXPECT_EQ(p.PlayerState, 30);  // playing: restart at the new entry
    RunPlayerCommand(ctx, kCmdCloseDevice, kEventDirect);
    p.PlayIndex = 0;
    RunPlayerCommand(ctx, kCmdPreviousTrack, kEventWheelStep);
    EXPECT_EQ(p.PlayIndex, 2);
    EXPECT_EQ(p.PlayerState, 70);  // idle: close and stay
    Tick();
    EXPECT_EQ(p.PlayerState, 0);
    RunPlayerCommand(ctx, kCmdNextTrack, kEventDirect);
    EXPECT_EQ(p.PlayIndex, 0);
}

TEST_F(Playback_Player, SeeksStayInsideTheEntry) {
    Start(0);
    Position(175000);
    Tick();
    RunPlayerCommand(ctx, kCmdFastForward, kEventDirect);  // 5 s before the end
    EXPECT_EQ(p.PlayPosition, 179999);
    EXPECT_EQ(p.PlayerState, 20);
    Position(179999);
    Tick();
    EXPECT_TRUE(Sent("seek Tunewhistle3.00 to 179999"));
    EXPECT_EQ(p.PlayerState, 11);
    Position(180000);  // the first poll at the full length ends it
    Tick();
    EXPECT_EQ(p.PlayIndex, 1);

    Start(0);
    Position(4000);
    Tick();
    RunPlayerCommand(ctx, kCmdRewind, kEventDirect);
    EXPECT_EQ(p.PlayPosition, 0);
}

TEST_F(Playback_Player, SeekWhileIdleOpensAndPositions) {
    // The length is unknown until the entry is open, so the first seek
    // lands at 0; it opens the entry and learns the length.
    RunPlayerCommand(ctx, kCmdFastForward, kEventWheelStep);
    EXPECT_EQ(p.PlayerState, 60);
    RunPlayerCommand(ctx, kCmdFastForward, kEventWheelStep);  // dropped: a seek is pending
    Tick();
    EXPECT_TRUE(p.DeviceOpen);
    EXPECT_EQ(p.TrackLength, 180000);
    EXPECT_EQ(app.mci.commands.back(), "seek Tunewhistle3.00 to 0");
    EXPECT_EQ(p.PlayerState, 0);
    RunPlayerCommand(ctx, kCmdFastForward, kEventWheelStep);
    Tick();
    EXPECT_EQ(app.mci.commands.back(), "seek Tunewhistle3.00 to 10000");
    EXPECT_EQ(p.PlayerState, 0);
    EXPECT_EQ(p.PlayPosition, 10000);
}

TEST_F(Playback_Player, PausePlayAndStop) {
    Start(0);
    Position(65000);
    Tick();
    RunPlayerCommand(ctx, kCmdPlayPause, kEventDirect);
    Tick();
    EXPECT_EQ(p.PlayerState, 0);
    EXPECT_TRUE(p.DeviceOpen);
    EXPECT_EQ(p.PlayPosition, 65000);
    RunPlayerCommand(ctx, kCmdPlayPause, kEventDirect);  // resumes without reopening
    const size_t opens = std::count_if(app.mci.commands.begin(), app.mci.commands.end(),
                                       [](const std::string& c) { return c.rfind("open", 0) == 0; });
    Tick();
    EXPECT_EQ(p.PlayerState, 11);
    EXPECT_EQ(std::count_if(app.mci.commands.begin(), app.mci.commands.end(),
                            [](const std::string& c) { return c.rfind("open", 0) == 0; }),
              static_cast<long>(opens));
    RunPlayerCommand(ctx, kCmdStop, kEventDirect);
    Tick();
    EXPECT_EQ(p.PlayerState, 0);
    EXPECT_EQ(p.PlayPosition, 0);
    EXPECT_EQ(app.mci.commands.back(), "seek Tunewhistle3.00 to 0");

    // Stop while paused goes back to the start too.
    RunPlayerCommand(ctx, kCmdPlayPause, kEventDirect);
    Position(42000);
    Tick();
    RunPlayerCommand(ctx, kCmdPlayPause, kEventDirect);
    Tick();
    ASSERT_EQ(p.PlayerState, 0);
    ASSERT_EQ(p.PlayPosition, 42000);
    app.mci.commands.clear();
    RunPlayerCommand(ctx, kCmdStop, kEventDirect);
    Tick();
    EXPECT_EQ(p.PlayPosition, 0);
    EXPECT_EQ(app.mci.commands, (std::vector<std::string>{"stop Tunewhistle3.00", "seek Tunewhistle3.00 to 0"}));
}

TEST_F(Playback_Player, CombinedButtonClickedMovesHeldWinds) {
    Start(0);
    Position(30000);
    Tick();
    // Clicked: released within 800 ms over the pad.
    RunPlayerCommand(ctx, kCmdNextOrForward, kEventPadDown);
    Tick(300);
    RunPlayerCommand(ctx, kCmdNextOrForward, kEventPadUp, true);
    EXPECT_EQ(p.PlayIndex, 1);
    EXPECT_EQ(p.HeldCommand, -1);
    Tick();
    Tick();
    ASSERT_EQ(p.PlayerState, 11);

    // Held for two seconds: winds in 10 s steps from 800 ms on, no move.
    Position(30000);
    Tick();
    RunPlayerCommand(ctx, kCmdNextOrForward, kEventPadDown);
    std::vector<uint32_t> seekTimes;
    const uint32_t down = app.clock.now;
    for (int t = 0; t < 2000; t += 50) {
        const size_t sent = app.mci.commands.size();
        Tick(50);
        for (size_t i = sent; i < app.mci.commands.size(); ++i)
            if (app.mci.commands[i] == "seek Tunewhistle3.00 to 40000") seekTimes.push_back(app.clock.now - down);
    }
    RunPlayerCommand(ctx, kCmdNextOrForward, kEventPadUp, true);
    EXPECT_EQ(p.PlayIndex, 1);
    EXPECT_EQ(seekTimes, (std::vector<uint32_t>{850, 1150, 1450, 1750}));
}

TEST_F(Playback_Player, HeldNextStepsAtOnceThenRepeats) {
    SetList(10);
    Start(0);
    RunPlayerCommand(ctx, kCmdNextTrack, kEventButtonDown);
    Tick(1);
    EXPECT_EQ(p.PlayIndex, 1);  // at once
    Tick(700);
    EXPECT_EQ(p.PlayIndex, 1);
    Tick(200);  // past 800 ms
    EXPECT_EQ(p.PlayIndex, 2);
    Tick(260);
    EXPECT_EQ(p.PlayIndex, 3);
    RunPlayerCommand(ctx, kCmdNextTrack, kEventButtonUp);
    Tick(1000);
    EXPECT_EQ(p.PlayIndex, 3);
}

TEST_F(Playback_Player, PadCommandsActOnReleaseOverThePadOnly) {
    Start(0);
    RunPlayerCommand(ctx, kCmdStop, kEventPadDown);
    EXPECT_EQ(p.PlayerState, 11);
    RunPlayerCommand(ctx, kCmdStop, kEventPadUp, false);  // released off the pad
    EXPECT_EQ(p.PlayerState, 11);
    RunPlayerCommand(ctx, kCmdStop, kEventButtonDown);  // extra buttons act on the press
    EXPECT_EQ(p.PlayerState, 40);

    Tick();
    RunPlayerCommand(ctx, kCmdNextOrForward, kEventPadDown);
    RunPlayerCommand(ctx, kCmdNextOrForward, kEventPadUp, false);
    EXPECT_EQ(p.PlayIndex, 0);  // off the pad: the hold ends, nothing moves
    EXPECT_EQ(p.HeldCommand, -1);
    RunPlayerCommand(ctx, kCmdNextOrForward, kEventWheelStep);
    EXPECT_EQ(p.PlayIndex, 1);  // a notch moves at once
}

TEST_F(Playback_Player, AFailedOpenWaitsThenMovesOn) {
    app.files.files.erase("C:\\m\\1.mp3");
    app.mci.errors["open  Alias Tunewhistle3.00"] = 275;
    Start(1);
    EXPECT_EQ(p.PlayerState, 81);
    Tick(1);
    EXPECT_EQ(app.window.statusShown.back(), "エラー No.2\r\n1.mp3 (  )");
    Tick(2400);
    EXPECT_EQ(p.PlayerState, 81);
    Tick(200);
    EXPECT_EQ(p.PlayIndex, 2);
    EXPECT_EQ(p.PlayerState, 11);

    // Play/pause during the wait cancels it.
    Start(1);
    RunPlayerCommand(ctx, kCmdPlayPause, kEventDirect);
    EXPECT_EQ(p.PlayerState, 0);
    Tick(3000);
    EXPECT_EQ(p.PlayIndex, 1);
}

TEST_F(Playback_Player, AOneEntryListWithAMissingFileStops) {
    SetList(1);
    app.files.files.clear();
    app.mci.errors["open  Alias Tunewhistle3.00"] = 275;
    Start(0);
    EXPECT_EQ(p.PlayerState, 81);
    Tick(2600);
    EXPECT_EQ(p.PlayerState, 0);
    Tick(5000);
    EXPECT_EQ(p.PlayerState, 0);
}

TEST_F(Playback_Player, AnEmptyListIgnoresMovesAndStarts) {
    SetList(0);
    for (int16_t code : {kCmdNextTrack, kCmdPreviousTrack, kCmdCurrentTrack, kCmdNextOrForward})
        RunPlayerCommand(ctx, code, kEventDirect);
    EXPECT_EQ(p.PlayIndex, 0);
    RunPlayerCommand(ctx, kCmdStartList, kEventDirect);
    Tick();
    Tick();
    Tick();
    EXPECT_EQ(p.PlayerState, 0);
    EXPECT_FALSE(Sent("play Tunewhistle3.00"));
}

TEST_F(Playback_Player, CloseDeviceResetsAndEveryCommandEndsAMessage) {
    Start(0);
    ctx.run.MessageTime = app.clock.now;
    RunPlayerCommand(ctx, kCmdCloseDevice, kEventDirect);
    EXPECT_EQ(ctx.run.MessageTime, 0u);
    EXPECT_EQ(p.PlayerState, 0);
    EXPECT_FALSE(p.DeviceOpen);
    EXPECT_EQ(app.mci.commands.back(), "close Tunewhistle3.00");
    EXPECT_EQ(app.mci.commands[app.mci.commands.size() - 2], "stop Tunewhistle3.00");
}

TEST_F(Playback_Player, AnnouncedListKeepsItsMessageForItsTime) {
    ctx.run.MessageText = "announced";
    ctx.run.MessageTime = app.clock.now;
    RunPlayerCommand(ctx, kCmdStartList, kEventDirect);
    Tick();
    EXPECT_EQ(app.window.statusShown.back(), "announced");
    Tick(2500);
    EXPECT_NE(app.window.statusShown.back(), "announced");
}

}  // namespace
}  // namespace tw
