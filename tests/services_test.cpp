// The launch prompt, the pause, the end-of-game prompt and the spoken
// table descriptions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "audio/sound.h"
#include "core/errors.h"
#include "core/keyboard.h"
#include "support/game_fixture.h"
#include "table/services.h"

namespace tamblor::test {
namespace {

using ::testing::Contains;

class ServicesTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        UseArchive(MenuMembers());
        CreateSoundBuffer(sndBall, "sounds/ball.wav");
        CreateSoundBuffer(sndPausedLp, "sounds/PausedLp.wav");
        CreateSoundBuffer(sndBumper1, "sounds/bumper1.wav");
        CreateStereoSoundBuffer(sndMenuMusic, "sounds/menu/mnuMusic.wav");
        platform.ClearSoundLog();
    }
};

TEST_F(ServicesTest, ASpaceHeldThroughThePromptLaunchesAtOnce) {
    platform.SetKeyDown(scan::Space, true);
    LaunchBall();
    EXPECT_EQ(PlayedList(), "sounds/v_Launch.wav,sounds/LReady.wav,sounds/BLaunch.wav,sounds/ball.wav");
    EXPECT_NEAR(double(FirstMs("sounds/BLaunch.wav")), 1200, 3);
    EXPECT_TRUE(platform.IsLabelPlaying("sounds/ball.wav"));
    EXPECT_EQ(Ops("sounds/ball.wav").back(), "loop:0");
    EXPECT_THAT(Ops("sounds/LReady.wav"), Contains("pan:3200"));
}

TEST_F(ServicesTest, AHeldArrowBlocksLaunchAndQuitUntilReleased) {
    platform.SetKeyDown(scan::Up, true);
    platform.PressAt(2000, scan::Space);
    platform.PressAt(2000, scan::Escape);
    platform.ReleaseAt(5000, scan::Up);
    EXPECT_THROW(LaunchBall(), ReturnToMainMenu);
    EXPECT_GE(platform.NowMs(), 5000u);
    EXPECT_EQ(FirstMs("sounds/BLaunch.wav"), UINT64_MAX);  // a quit launches nothing
}

TEST_F(ServicesTest, TauntsComeEveryThirtySecondsFromTheEndOfTheLast) {
    platform.Seed(7);
    platform.PressAt(70000, scan::Space);
    LaunchBall();
    std::vector<uint64_t> taunts;
    for (const SoundEvent& e : platform.SoundLog())
        if (e.op == "play" && e.label.find("sounds/taunt_0") == 0) taunts.push_back(e.ms);
    ASSERT_EQ(taunts.size(), 2u) << PlayedList();
    EXPECT_NEAR(double(taunts[0]), 1200 + 30000, 20);
    EXPECT_NEAR(double(taunts[1]), taunts[0] + 600 + 30000, 20);
}

// A key still held from before returns as soon as the prompt has been said
// whole; once it is let go, only a new key ends the wait.
TEST_F(ServicesTest, PauseAndPressAnyKeyWaitForTheWholePromptThenANewKey) {
    const struct {
        const char* what;
        void (*wait)();
        uint8_t heldKey, nextKey;
        uint64_t promptMs, afterKeyMs;  // the prompt, and what is said after the key
        const char* heard;
    } cases[] = {
        {"pause", PauseGame, scan::P, scan::F2, 1200, 600, "sounds/Paused.wav,sounds/PausedLp.wav,sounds/Resumed.wav"},
        {"any key", PressAnyKey, scan::Space, scan::M, 600, 0, "sounds/v_PAKTC.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform.ClearSoundLog();
        platform.SetKeyDown(c.heldKey, true);
        uint64_t start = platform.NowMs();
        c.wait();
        EXPECT_EQ(PlayedList(), c.heard);
        EXPECT_NEAR(double(platform.NowMs() - start), double(c.promptMs), 3);
        EXPECT_FALSE(platform.IsLabelPlaying("sounds/PausedLp.wav"));
        platform.SetKeyDown(c.heldKey, false);
        PollKeyboard();
        platform.TapAt(platform.NowMs() + 5000, c.nextKey);
        start = platform.NowMs();
        c.wait();
        EXPECT_GE(platform.NowMs() - start, 5000 + c.afterKeyMs);
    }
}

TEST_F(ServicesTest, DescriptionsRestoreTheMusicToItsExactVolumeEvenWhenCut) {
    sndMenuMusic.SetVolume(-350);
    platform.TapWhenSoundStarts("sounds/menu/mnuHSD.wav", scan::Down, 100);
    SpeakTableDescription(2);
    EXPECT_EQ(sndMenuMusic.Volume(), -350);
    EXPECT_EQ(PlayedList(), "sounds/bumper1.wav,sounds/menu/mnuHSD.wav");
    SpeakTableDescription(9);  // nothing to say, and the music still comes back
    EXPECT_EQ(sndMenuMusic.Volume(), -350);
}

}  // namespace
}  // namespace tamblor::test
