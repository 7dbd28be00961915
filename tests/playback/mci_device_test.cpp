#include "playback/mci_device.h"

#include <gtest/gtest.h>

#include "fakes/fakes.h"

namespace tw {
namespace {

using test::TestApp;

class Playback_Mci : public ::testing::Test {
protected:
    TestApp app;
    MciWrapper mci{app.mci, app.files};
    std::vector<std::string>& sent = app.mci.commands;
};

TEST_F(Playback_Mci, AMissingFileFailsToOpenAndIsClosed) {
    app.mci.errors["open  Alias Tunewhistle3.00"] = 275;
    EXPECT_EQ(mci.OpenDevice("Tunewhistle3.00", "C:\\gone.mp3"), 275u);
    EXPECT_EQ(sent, (std::vector<std::string>{"open  Alias Tunewhistle3.00", "close Tunewhistle3.00"}));
}

TEST_F(Playback_Mci, OpenUsesTheShortPathOrQuotesAPathWithSpaces) {
    app.files.AddFile("C:\\music\\a.mp3");
    EXPECT_EQ(mci.OpenDevice("Tunewhistle3.00", "C:\\music\\a.mp3"), 0u);
    app.files.AddFile("C:\\My Music\\b c.mp3");  // the fake has no 8.3 names
    EXPECT_EQ(mci.OpenDevice("Tunewhistle3.00", "C:\\My Music\\b c.mp3"), 0u);
    EXPECT_EQ(sent, (std::vector<std::string>{
                        "open C:\\music\\a.mp3 Alias Tunewhistle3.00",
                        "set Tunewhistle3.00 time format ms",
                        "open \"C:\\My Music\\b c.mp3\" Alias Tunewhistle3.00",
                        "set Tunewhistle3.00 time format ms",
                    }));
}

TEST_F(Playback_Mci, CommandTexts) {
    mci.PlayDevice();
    mci.StopDevice();
    mci.SeekDevice(0);
    mci.SeekDevice(-5);
    mci.SeekDevice(123456);
    mci.CloseDevice();
    mci.GetPosition();
    mci.GetLength();
    EXPECT_EQ(sent, (std::vector<std::string>{
                        "play Tunewhistle3.00", "stop Tunewhistle3.00", "seek Tunewhistle3.00 to 0",
                        "seek Tunewhistle3.00 to -5", "seek Tunewhistle3.00 to 123456",
                        "close Tunewhistle3.00", "status Tunewhistle3.00 position",
                        "status Tunewhistle3.00 length"}));
}

TEST_F(Playback_Mci, StatusRepliesBecomeNumbers) {
    app.mci.replies["status Tunewhistle3.00 position"] = "250";
    app.mci.replies["status Tunewhistle3.00 length"] = std::string("183000\0garbage", 14);
    EXPECT_EQ(mci.GetPosition(), 250);
    EXPECT_EQ(mci.GetLength(), 183000);
    struct Case { const char* reply; int32_t value; } cases[] = {
        {"", 0}, {"abc", 0}, {"12abc", 12}, {" 42", 42}, {"12.5", 12}, {"13.5", 14},
        {"-7", -7}, {".", 0}, {"99999999999", 2147483647},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseMciNumber(c.reply), c.value) << c.reply;
}

TEST_F(Playback_Mci, RepliesAreCutToTheBufferSize) {
    app.mci.replies["x"] = std::string(300, '7');
    std::string reply;
    mci.SendMci("x", reply);
    EXPECT_EQ(reply.size(), 99u);
}

}  // namespace
}  // namespace tw
