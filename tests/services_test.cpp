// The launch prompt, the pause, the end-of-game prompt and the spoken
// table descriptions.
#include <gtest/gtest.h>

#include <algorithm>

#include "audio/sound.h"
#include "core/errors.h"
#include "core/keyboard.h"
#include "support/game_fixture.h"
#include "table/services.h"

namespace tamblor::test {
namespace {

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
    uint64_t StartOf(const std::string& label) {
        for (const SoundEvent& e : platform.SoundLog())
            if ((e.op == "play" || e.op == "loop") && e.label == label) return e.ms;
        return UINT64_MAX;
    }
};

TEST_F(ServicesTest, ASpaceHeldThroughThePromptLaunchesAtOnce) {
    platform.SetKeyDown(scan::Space, true);
    LaunchBall();
    EXPECT_EQ(PlayedList(), "sounds/v_Launch.wav,sounds/LReady.wav,sounds/BLaunch.wav,sounds/ball.wav");
    EXPECT_NEAR(double(StartOf("sounds/BLaunch.wav")), 1200, 3);
    EXPECT_TRUE(platform.IsLabelPlaying("sounds/ball.wav"));
    EXPECT_EQ(Ops("sounds/ball.wav").back(), "loop:0");
    const std::vector<std::string> ready = Ops("sounds/LReady.wav");
    EXPECT_NE(std::find(ready.begin(), ready.end(), "pan:3200"), ready.end());
}

TEST_F(ServicesTest, AHeldArrowBlocksLaunchAndQuitUntilReleased) {
    platform.SetKeyDown(scan::Up, true);
    platform.PressAt(2000, scan::Space);
    platform.PressAt(2000, scan::Escape);
    platform.ReleaseAt(5000, scan::Up);
    EXPECT_THROW(LaunchBall(), ReturnToMainMenu);
    EXPECT_GE(platform.NowMs(), 5000u);
    EXPECT_EQ(StartOf("sounds/BLaunch.wav"), UINT64_MAX);  // a quit launches nothing
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

TEST_F(ServicesTest, PauseResumesAtOnceWhenThePausingKeyIsStillHeld) {
    platform.SetKeyDown(scan::P, true);
    PauseGame();
    EXPECT_EQ(PlayedList(), "sounds/Paused.wav,sounds/PausedLp.wav,sounds/Resumed.wav");
    EXPECT_NEAR(double(platform.NowMs()), 1200, 3);
    EXPECT_FALSE(platform.IsLabelPlaying("sounds/PausedLp.wav"));

    platform.SetKeyDown(scan::P, false);
    PollKeyboard();
    platform.TapAt(platform.NowMs() + 5000, scan::F2);
    uint64_t start = platform.NowMs();
    PauseGame();
    EXPECT_GE(platform.NowMs() - start, 5600u);
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

TEST_F(ServicesTest, PressAnyKeyWaitsForTheWholePromptThenAKey) {
    platform.SetKeyDown(scan::Space, true);  // still held: returns as the prompt ends
    PressAnyKey();
    EXPECT_NEAR(double(platform.NowMs()), 600, 3);
    platform.SetKeyDown(scan::Space, false);
    PollKeyboard();
    platform.TapAt(3000, scan::M);
    PressAnyKey();
    EXPECT_GE(platform.NowMs(), 3000u);
}

}  // namespace
}  // namespace tamblor::test
