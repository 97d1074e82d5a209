// The player's own hearing options: with every one at its default the game
// must sound exactly as it always did, sample for sample.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "core/keyboard.h"
#include "core/startup.h"
#include "support/game_fixture.h"
#include "support/pacman_fixture.h"
#include "support/render_mixer.h"
#include "support/table_bot.h"
#include "tables/pacman/pacman.h"

namespace tamblor::test {
namespace {

// Fingerprints of the rendered output of the two walks below, taken from
// the game before any hearing option existed. A change to what the walks
// hear (a menu, the Pac Man rules, the mixer) changes them too; then check
// that the change is meant and take the new values from the test's output.
constexpr uint64_t kMenuWalkFingerprint = 0x27025d6f6a81fe01;
constexpr uint64_t kMenuWalkFrames = 453833;
constexpr uint64_t kPacManFingerprint = 0x3fb19ed0b148759b;
constexpr uint64_t kPacManFrames = 6311261;

class MenuWalk : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        mixer = std::make_unique<RenderingMixer>(platform);
        UseArchive(MenuMembers(), false);
        WriteMenuLooseFiles();
    }
    void On(const std::string& label, uint8_t key) { platform.TapWhenSoundStarts(label, key, 10, 50); }
    void After(const std::string& label, uint8_t key) { platform.TapWhenSoundStarts(label, key, 700, 50); }

    // Through the main menu, every option the game always had (each
    // changed and changed back), the speaker test, the version, the help
    // menu and the high scores, and out.
    void Walk() {
        On("sounds/menu/mnuInstr.wav", scan::Down);  // 0 -> 1
        On("sounds/menu/mnuSS.wav", scan::Down);     // 1 -> 2
        On("sounds/menu/mnuHeist.wav", scan::Up);    // 2 -> 1
        On("sounds/menu/mnuSS.wav", scan::Up);       // 1 -> 0
        On("sounds/menu/mnuPM.wav", scan::Up);       // 0 -> 9
        On("sounds/menu/mnuExitP.wav", scan::Up);    // 9 -> 8
        On("sounds/menu/mnuOMenu.wav", scan::Return);
        On("sounds/menu/mnuOMI.wav", scan::Down);      // 0 -> 1
        On("sounds/menu/mnuGMode.wav", scan::Return);  // classic
        After("sounds/menu/mnuClass.wav", scan::Return);  // accessible
        After("sounds/menu/mnuAccs.wav", scan::Down);     // 1 -> 2
        On("sounds/menu/mnuGSped.wav", scan::Return);     // insane
        After("sounds/menu/mnuInsan.wav", scan::Return);  // relaxed
        After("sounds/menu/mnuRelax.wav", scan::Return);  // normal
        After("sounds/menu/mnuNorml.wav", scan::Up);      // 2 -> 1
        On("sounds/menu/mnuGMode.wav", scan::Up);         // 1 -> 0
        On("sounds/menu/mnuTestS.wav", scan::Return);     // the speaker test
        platform.TapWhenSoundStarts("sounds/TestSpkr.wav", scan::Up, 900, 50);  // 0 -> leave
        On("sounds/menu/mnuEOM.wav", scan::Return);
        // The fresh main menu: the version, then the help menu.
        platform.TapWhenSoundStarts("sounds/menu/mnuInstr.wav", scan::V, 900, 50);
        platform.TapWhenSoundStarts("system\\initials\\0.wav", scan::Up, 1000, 50);  // 0 -> 9
        On("sounds/menu/mnuExitP.wav", scan::Up);  // 9 -> 8
        On("sounds/menu/mnuOMenu.wav", scan::Up);  // 8 -> 7
        On("sounds/menu/mnuHMenu.wav", scan::Return);
        After("sounds/menu/mnuPMSD.wav", scan::Down);
        On("sounds/menu/mnuSSSD.wav", scan::Return);
        After("soccer/v_SDSS.wav", scan::Escape);
        // Back on entry 7: up to the high scores, hear them, leave.
        On("sounds/menu/mnuHMenu.wav", scan::Up);
        On("sounds/menu/mnuHighS.wav", scan::Return);
        On("system/hss/scoresel.wav", scan::Return);
        On("system/hss/scoresel.wav", scan::Escape);
        On("sounds/menu/mnuHighS.wav", scan::Escape);
        EXPECT_EQ(RunUntilExit(RunGame), 0) << PlayedList();
    }

    std::unique_ptr<RenderingMixer> mixer;
};

TEST_F(MenuWalk, WithEveryHearingOptionAtItsDefaultTheMenusSoundAsBefore) {
    Walk();
    const uint64_t print = mixer->Fingerprint(), frames = mixer->Frames();
    std::printf("[ hearing ] menu walk: fingerprint 0x%016llx over %llu frames\n", (unsigned long long)print,
                (unsigned long long)frames);
    EXPECT_EQ(frames, kMenuWalkFrames);
    EXPECT_EQ(print, kMenuWalkFingerprint);
}

// A Pac Man game played by the listening bot on a fixed seed.
class PacManWalk : public PacManTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        mixer = std::make_unique<RenderingMixer>(platform);
        UseArchive(TableMembers(Table(), StandIns(), MapSource()), false);
        InitGame();
        platform.ClearSoundLog();
    }
    void PlayOneGame(uint64_t seed, uint64_t budgetMs) {
        BotCues cues;
        cues.scanCues = {"sounds/ScanBeep.wav", "sounds/ScanTrig.wav", "pacman/ScanGhst.wav",
                         "pacman/ScanFrt.wav",  "pacman/ScanPUp.wav",  "pacman/ScanTunl.wav"};
        BotFigures figures;
        TableBot bot(platform, figures, cues);
        bot.PlayGame(pacman::kTable, seed, budgetMs);
    }

    std::unique_ptr<RenderingMixer> mixer;
};

TEST_F(PacManWalk, WithEveryHearingOptionAtItsDefaultAGameSoundsAsBefore) {
    PlayOneGame(4242, 120000);
    const uint64_t print = mixer->Fingerprint(), frames = mixer->Frames();
    std::printf("[ hearing ] Pac Man game: fingerprint 0x%016llx over %llu frames\n", (unsigned long long)print,
                (unsigned long long)frames);
    EXPECT_EQ(frames, kPacManFrames);
    EXPECT_EQ(print, kPacManFingerprint);
}

}  // namespace
}  // namespace tamblor::test
