#include "playback/resume_point.h"

#include <gtest/gtest.h>

#include "app/main_tick.h"
#include "app/startup.h"
#include "fakes/fakes.h"
#include "playback/player.h"

namespace tw {
namespace {

using test::TestApp;

void SetList(TestApp& app, const std::vector<std::string>& names) {
    StateRecord& live = app.ctx.live;
    live.PlayList.Clear();
    live.PlayCount = 0;
    for (const std::string& n : names) AppendCapped(live.PlayList, live.PlayCount, SearchHit{"C:\\m\\", "", n});
}

// The place noted at exit, found again in the list the next start has.
TEST(Playback_Resume, TheNotedEntryAndPlaceComeBackWhereTheyStillHold) {
    const struct Case {
        const char* what;
        std::vector<std::string> listAtStart;
        std::vector<std::string> filesAtStart;
        bool settingOn;
        int32_t position;  // when left
        int16_t index;     // at the next start
        int32_t resumedAt;
    } cases[] = {
        {"the same list", {"a.mp3", "b.mp3", "c.mp3"}, {"b.mp3", "c.mp3"}, true, 5000, 2, 5000},
        {"the list shrank", {"c.mp3", "a.mp3"}, {"c.mp3"}, true, 5000, 0, 5000},
        {"the list changed order", {"c.mp3", "b.mp3", "a.mp3"}, {"c.mp3"}, true, 5000, 0, 5000},
        {"the entry left the list", {"a.mp3", "b.mp3"}, {"a.mp3"}, true, 5000, 0, 0},
        {"its file is gone", {"a.mp3", "b.mp3", "c.mp3"}, {"a.mp3"}, true, 5000, 2, 0},
        {"the setting is off", {"a.mp3", "b.mp3", "c.mp3"}, {"c.mp3"}, false, 5000, 0, 0},
        {"stopped at the start", {"a.mp3", "b.mp3", "c.mp3"}, {"c.mp3"}, true, 0, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestApp before;
        before.ctx.live.Settings.ResumePlay = ToVBool(c.settingOn);
        SetList(before, {"a.mp3", "b.mp3", "c.mp3"});
        before.ctx.player.PlayIndex = 2;
        before.ctx.player.PlayPosition = c.position;
        before.ctx.player.TrackLength = 180000;
        KeepResumePoint(before.ctx);

        TestApp after;
        after.ctx.live.Settings = before.ctx.live.Settings;
        SetList(after, c.listAtStart);
        for (const std::string& f : c.filesAtStart) after.files.AddFile("C:\\m\\" + f);
        TakeResumePoint(after.ctx);
        EXPECT_EQ(after.ctx.player.PlayIndex, c.index);
        EXPECT_EQ(after.ctx.player.PlayPosition, c.resumedAt);
        EXPECT_EQ(after.ctx.player.PlayerState, 0);  // nothing plays by itself
    }
}

// Play/pause after such a start opens the entry and goes on from the place.
TEST(Playback_Resume, PlayPauseAfterAStartSeeksThenPlays) {
    TestApp app;
    AppContext& ctx = app.ctx;
    ctx.live.Settings.UseInternalPlayer = kTrue;
    ctx.run.AppState = 31;
    SetList(app, {"a.mp3", "b.mp3"});
    app.files.AddFile("C:\\m\\b.mp3");
    app.mci.replies["status Tunewhistle3.00 length"] = "180000";
    app.mci.replies["status Tunewhistle3.00 position"] = "5016";
    ctx.live.Settings.ResumeEntry = 1;
    ctx.live.Settings.ResumeCheck = PathCheck("C:\\m\\b.mp3");
    ctx.live.Settings.ResumeAt = 5000;
    ctx.live.Settings.ResumeLength = 180000;
    TakeResumePoint(ctx);
    ctx.run.BlinkBase = app.clock.now;  // the half second the time shows
    MainTick(ctx);
    EXPECT_EQ(ctx.run.IdleText.substr(0, std::string("停止中 No.2 00:05  -02:55").size()), "停止中 No.2 00:05  -02:55");
    RunPlayerCommand(ctx, kCmdPlayPause, kEventDirect);
    MainTick(ctx);
    const auto& sent = app.mci.commands;
    const auto seek = std::find(sent.begin(), sent.end(), "seek Tunewhistle3.00 to 5000");
    ASSERT_NE(seek, sent.end());
    EXPECT_NE(std::find(seek, sent.end(), "play Tunewhistle3.00"), sent.end());
    EXPECT_EQ(ctx.player.PlayerState, 11);
}

}  // namespace
}  // namespace tw
