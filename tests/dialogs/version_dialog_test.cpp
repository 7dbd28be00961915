#include "dialogs/version_dialog.h"

#include <gtest/gtest.h>

#include "core/data_file.h"
#include "fakes/fakes.h"
#include "menus/menu_commands.h"
#include "menus/menu_model.h"

namespace tw {
namespace {

struct App : test::TestApp {
    VersionDialog dialog{ctx};
    RgbColor Color(int i) const {
        RgbColor c{-1, -1, -1};
        dialog.LinkColor(i, c);
        return c;
    }
};

TEST(Dialogs_Version, ALinkLightsUnderThePointerAndGoesPlainAfterIt) {
    App app;
    for (int i = 0; i < kVersionLabels; ++i) {
        if (VersionLabels()[i].link) {
            EXPECT_EQ(app.Color(i), kLinkPlain) << i;
        }
    }
    EXPECT_EQ(app.dialog.OnLabelMouseMove(2), std::vector<int>{2});
    EXPECT_EQ(app.dialog.HoverState()[2], 1);
    EXPECT_EQ(app.Color(2), kLinkHot);
    // Further moves over the same link keep it lit.
    app.dialog.OnLabelMouseMove(2);
    EXPECT_EQ(app.Color(2), kLinkHot);
    // Onto another link: the first goes plain, the second lights.
    EXPECT_EQ(app.dialog.OnLabelMouseMove(5), (std::vector<int>{2, 5}));
    EXPECT_EQ(app.Color(2), kLinkPlain);
    EXPECT_EQ(app.Color(5), kLinkHot);
    // Over the dialog's background: plain again.
    EXPECT_EQ(app.dialog.OnFormMouseMove(), std::vector<int>{5});
    EXPECT_EQ(app.Color(5), kLinkPlain);
    EXPECT_TRUE(app.dialog.OnFormMouseMove().empty());
}

TEST(Dialogs_Version, LeavingTheDialogThroughTheEdgeIsNoticedByTheWatch) {
    App app;
    const PixelRect dialog{100, 100, 291, 211};
    app.dialog.OnLabelMouseMove(4);
    EXPECT_TRUE(app.dialog.OnWatch({150, 150}, dialog).empty());  // still inside
    EXPECT_EQ(app.Color(4), kLinkHot);
    EXPECT_EQ(app.dialog.OnWatch({391, 150}, dialog), std::vector<int>{4});  // right edge is outside
    EXPECT_EQ(app.Color(4), kLinkPlain);
}

TEST(Dialogs_Version, TextLabelsNeverChangeColour) {
    App app;
    for (int i : {0, 1, 3, 7}) {
        EXPECT_FALSE(VersionLabels()[i].link);
        EXPECT_TRUE(app.dialog.OnLabelMouseMove(i).empty());
        EXPECT_EQ(app.dialog.HoverState()[i], 0);
        RgbColor c{-1, -1, -1};
        EXPECT_FALSE(app.dialog.LinkColor(i, c));
    }
    EXPECT_EQ(VersionLabels()[0].text, "Tunewhistle  version 3.10");
}

TEST(Dialogs_Version, TheLeftButtonOpensALinkAndTheOthersNothing) {
    App app;
    for (int i = 0; i < kVersionLabels; ++i) app.dialog.OnLabelMouseDown(i, 2);  // right
    EXPECT_TRUE(app.shell.links.empty());
    EXPECT_TRUE(app.shell.executed.empty());
    for (int i = 0; i < kVersionLabels; ++i) app.dialog.OnLabelMouseDown(i, 1);
    EXPECT_EQ(app.shell.links, (std::vector<std::string>{"https://tunewhistle.example.org/",
                                                        "mailto:support@tunewhistle.example.org"}));
    ASSERT_EQ(app.shell.executed.size(), 2u);
    EXPECT_EQ(app.shell.executed[0].file, "C:\\Tools\\Tunewhistle\\readme.txt");
    EXPECT_EQ(app.shell.executed[1].file, "C:\\Tools\\Tunewhistle\\version.txt");
    EXPECT_FALSE(app.shell.executed[0].ownedByMainWindow);
    EXPECT_EQ(app.shell.executed[0].showMode, 8);
}

TEST(Dialogs_Version, TheMenuMarksTheDialogOpenWhileItShows) {
    App app;
    app.dialogs.version = [&app](VersionDialog&) { EXPECT_TRUE(app.ctx.run.VersionDialogOpen); };
    RunMenuCommand(app.ctx, kMenuVersion);
    EXPECT_EQ(app.dialogs.versionShown, 1);
    EXPECT_FALSE(app.ctx.run.VersionDialogOpen);
}

}  // namespace
}  // namespace tw
