// Start-up, the two ways the program ends, and a second instance.
#include <gtest/gtest.h>

#include <algorithm>

#include "audio/sound.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "core/startup.h"
#include "support/game_fixture.h"

namespace tamblor::test {
namespace {

class StartupTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        UseArchive(StandardMembers(), false);
    }
};

TEST_F(StartupTest, CreatesTheSharedSoundsInOrderThenPlaysBothJinglesAndLeavesOnEscape) {
    platform.PressAt(6000, scan::Escape);
    platform.ReleaseAt(6100, scan::Escape);
    EXPECT_EQ(RunUntilExit(RunGame), 0);

    std::vector<std::string> created;
    for (const SoundEvent& e : platform.SoundLog())
        if (e.op == "create") created.push_back(e.label);
    std::vector<std::string> expected = {
        "sounds/ball.wav",     "sounds/bumper1.wav", "sounds/bumper2.wav",       "sounds/MultiHit.wav",
        "sounds/WallHit.wav",  "sounds/ScanBeep.wav", "sounds/ScanTrig.wav",     "sounds/Flipper.wav",
        "sounds/menu/mnuMusic.wav", "sounds/Bell.wav", "sounds/SpellSw.wav",     "sounds/ScanWait.wav",
        "sounds/ProxBeep.wav", "sounds/PausedLp.wav", "sounds/vrenn.wav",        "sounds/tamblor.wav",
        "sounds/menu/mnuInstr.wav", "sounds/menu/mnuExit.wav"};
    EXPECT_EQ(created, expected);
    EXPECT_EQ(PlayedList(), "sounds/vrenn.wav,sounds/tamblor.wav,sounds/menu/mnuMusic.wav,sounds/menu/mnuInstr.wav,"
                            "sounds/menu/mnuExit.wav");
    // The jingles play whole, one after the other; the exit voice waits for Escape's release.
    EXPECT_NEAR(double(FirstMs("sounds/tamblor.wav")), 1500, 3);
    EXPECT_GE(FirstMs("sounds/menu/mnuExit.wav"), 6100u);
    EXPECT_EQ(platform.Caption(), "Tamblor v1.0.0");
    EXPECT_EQ(platform.FlushCount(), 2);  // at start-up and by the exit
    EXPECT_EQ(platform.StoredSettings().size(), 44u);  // every key, at its default
    EXPECT_TRUE(platform.Messages().empty());
}

TEST_F(StartupTest, AKeySkipsTheLogoJingle) {
    platform.TapWhenSoundStarts("sounds/vrenn.wav", scan::Return, 200, 50);
    platform.TapAt(5000, scan::Escape);
    RunUntilExit(RunGame);
    // Return cuts the logo at 200 ms; the title waits for its release.
    EXPECT_NEAR(double(FirstMs("sounds/vrenn.wav", "stop")), 200, 3);
    EXPECT_NEAR(double(FirstMs("sounds/tamblor.wav")), 250, 3);
}

TEST_F(StartupTest, ACloseRequestEndsAtOnceWithoutSaving) {
    platform.RequestCloseAt(2000);
    EXPECT_EQ(RunUntilExit(RunGame), 0);
    EXPECT_EQ(platform.FlushCount(), 1);  // only the start-up save
    EXPECT_EQ(PlayedList().find("mnuExit"), std::string::npos);

    // What changed after start-up is lost on a close, kept by ExitGame.
    BestScore[kPacMan] = 5000;
    platform.ClearSoundLog();
    EXPECT_EQ(RunUntilExit(ExitGame), 0);
    EXPECT_EQ(DecodeScore(platform.Stored("Settings", "HSPacMan"), "1.0"), 5000);
}

// (No archive at all: installed_data_test.cpp.)
TEST_F(StartupTest, NoSoundDeviceIsSaidInWordsAndEnds) {
    platform.SetDeviceAvailable(false);
    EXPECT_EQ(RunUntilExit(RunGame), 1);
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_EQ(platform.Messages()[0].rfind(
                  "Sound driver error. Please update your sound card drivers and make sure you have at least "
                  "DirectX 7.0 installed. ",
                  0),
              0u);
    EXPECT_EQ(platform.FlushCount(), 0);
}

TEST_F(StartupTest, MissingJinglesAreSkippedSilently) {
    std::vector<ArchiveMember> members = StandardMembers();
    std::erase_if(members, [](const ArchiveMember& m) { return m.name == "sounds/vrenn.wav"; });
    UseArchive(members, false);
    platform.TapAt(3000, scan::Escape);
    EXPECT_EQ(RunUntilExit(RunGame), 0);
    EXPECT_EQ(platform.Played().front(), "sounds/tamblor.wav");
    EXPECT_EQ(FirstMs("sounds/tamblor.wav"), 0u);
}

}  // namespace
}  // namespace tamblor::test
