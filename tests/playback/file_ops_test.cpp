#include "playback/file_ops.h"

#include <gtest/gtest.h>

#include "fakes/fakes.h"

namespace tw {
namespace {

TEST(Playback_FileOps, DeletingTheOpenFileLeavesThePlayerAlone) {
    test::TestApp app;
    app.ctx.player.PlayerState = 11;
    app.ctx.player.DeviceOpen = true;
    DeleteToRecycleBin(app.ctx, "C:\\m\\playing.mp3");
    ASSERT_EQ(app.shell.deleted.size(), 1u);
    EXPECT_EQ(app.shell.deleted[0].first, "C:\\m\\playing.mp3");
    EXPECT_EQ(app.shell.deleted[0].second, "Tunewhistle 3.10");
    EXPECT_EQ(app.ctx.player.PlayerState, 11);
    EXPECT_TRUE(app.mci.commands.empty());
}

TEST(Playback_FileOps, LinksGoToTheShellAsTheyStand) {
    test::TestApp app;
    OpenLink(app.ctx, "mailto:someone@example.org");
    OpenLink(app.ctx, "https://example.org/");
    EXPECT_EQ(app.shell.links, (std::vector<std::string>{"mailto:someone@example.org", "https://example.org/"}));
}

}  // namespace
}  // namespace tw
