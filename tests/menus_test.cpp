// The spoken menus walked by key scripts, asserting on what is heard and
// what is stored.
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>

#include "audio/sound.h"
#include "audio/speech.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "core/startup.h"
#include "menus/main_menu.h"
#include "support/table_fixture.h"

namespace tamblor::test {
namespace {

class MenuTest : public MenuGameTest {
protected:
    // The same key on each of these voices in turn.
    void OnEach(std::initializer_list<const char*> labels, uint8_t key) {
        for (const char* label : labels) On(label, key);
    }
    std::vector<int64_t> MusicVolumes() {
        std::vector<int64_t> v;
        for (const SoundEvent& e : platform.SoundLog())
            if (e.op == "volume" && e.label == "sounds/menu/mnuMusic.wav") v.push_back(e.value);
        return v;
    }
};

TEST_F(MenuTest, AHeldArrowMovesOneEntryAndAHeldEnterChoosesOnce) {
    On("sounds/menu/mnuInstr.wav", scan::Down, 2000);  // held for two seconds
    OnEach({"sounds/menu/mnuSS.wav", "sounds/menu/mnuPM.wav", "sounds/menu/mnuExitP.wav", "sounds/menu/mnuOMenu.wav"},
           scan::Up);
    On("sounds/menu/mnuHMenu.wav", scan::Return, 3000);  // the help menu, entered once
    After("sounds/menu/mnuPMSD.wav", scan::Escape);
    platform.TapAt(90000, scan::Escape);
    Run();
    const std::string heard = Heard();
    EXPECT_EQ(heard.rfind("mnuMusic mnuInstr bumper1 mnuSS bumper1 mnuPM bumper1 mnuExitP bumper1 mnuOMenu bumper1 "
                          "mnuHMenu mnuHMI mnuPMSD",
                          0),
              0u)
        << heard;
    EXPECT_EQ(heard.find("mnuHMI", heard.find("mnuHMI") + 1), std::string::npos) << heard;  // entered once
    // The name waited for the release of the arrow.
    uint64_t instr = 0, name = 0;
    for (const SoundEvent& e : platform.SoundLog()) {
        if (e.op == "play" && e.label == "sounds/menu/mnuInstr.wav") instr = e.ms;
        if (e.op == "play" && e.label == "sounds/menu/mnuSS.wav" && !name) name = e.ms;
    }
    EXPECT_GE(name - instr, 2000u);
}

TEST_F(MenuTest, VersionIsSpokenFromTheDigitFiles) {
    // V acts only on a pass after one with no command key down, so a V
    // that cuts the instructions short does nothing; once they end it speaks.
    On("sounds/menu/mnuInstr.wav", scan::V);
    platform.TapAt(6000, scan::V);
    platform.TapAt(30000, scan::Escape);
    Run();
    EXPECT_EQ(Heard(), "mnuMusic mnuInstr 1 point 0 point 0 mnuExit");
    EXPECT_EQ(MusicVolumes().back(), 0);
}

TEST_F(MenuTest, OptionsAreStoredAtOnceSurviveARestartAndLeadToAFreshMainMenu) {
    // Main menu: Up, Up to the options; then mode, speed, speed, mode... and out.
    IntoOptions();
    // 0 -> 14 (leave, always last) -> 13 (naming hits) -> 12 (rumble) -> 11 (screen)
    OnEach({"sounds/menu/mnuOMI.wav", "sounds/menu/mnuEOM.wav", "sounds/menu/mnuNHits.wav", "sounds/menu/mnuRumbl.wav"},
           scan::Up);
    On("sounds/menu/mnuScrn.wav", scan::Return);  // captions only
    After("sounds/menu/mnuScCO.wav", scan::Up);   // 11 -> 10 (voice)
    // 10 -> ... -> 3 (menu instructions) -> 2 (speed)
    OnEach({"sounds/menu/mnuVoice.wav", "sounds/menu/mnuRate.wav", "sounds/menu/mnuPan.wav", "sounds/menu/mnuDuck.wav",
            "sounds/menu/mnuMuVol.wav", "sounds/menu/mnuFxVol.wav", "sounds/menu/mnuSpVol.wav", "sounds/menu/mnuMInst.wav"},
           scan::Up);
    On("sounds/menu/mnuGSped.wav", scan::Return);  // insane
    After("sounds/menu/mnuInsan.wav", scan::Up);  // 2 -> 1 (mode)
    On("sounds/menu/mnuGMode.wav", scan::Return);  // classic
    After("sounds/menu/mnuClass.wav", scan::Escape);
    platform.TapAt(60000, scan::Escape);  // at the fresh main menu
    Run();
    EXPECT_EQ(Heard(), "mnuMusic mnuInstr bumper1 mnuExitP bumper1 mnuOMenu mnuOMI bumper1 mnuEOM bumper1 mnuNHits "
                       "bumper1 mnuRumbl bumper1 mnuScrn mnuScCO bumper1 mnuVoice bumper1 mnuRate bumper1 mnuPan bumper1 "
                       "mnuDuck bumper1 mnuMuVol bumper1 mnuFxVol bumper1 mnuSpVol bumper1 mnuMInst bumper1 mnuGSped "
                       "mnuInsan bumper1 mnuGMode mnuClass mnuMusic mnuInstr mnuExit");
    EXPECT_EQ(SpeedFactor, 3.5f);
    EXPECT_EQ(platform.Stored("Settings", "GameSpeed"), "1");
    EXPECT_EQ(platform.Stored("Settings", "GameMode"), "1");
    EXPECT_EQ(platform.Stored("Settings", "Screen"), "1");

    // A restart reads them back; choosing the mode again turns it back.
    GameMode = GameSpeed = 0;
    SpeedFactor = 3.0f;
    platform.ClearSoundLog();
    IntoOptions(1);
    On("sounds/menu/mnuGMode.wav", scan::Return);
    After("sounds/menu/mnuAccs.wav", scan::Escape);
    platform.TapAt(platform.NowMs() + 60000, scan::Escape);
    EXPECT_EQ(RunUntilExit(RunGame), 0);
    EXPECT_EQ(SpeedFactor, 3.5f);
    EXPECT_EQ(platform.Stored("Settings", "GameMode"), "0");
    EXPECT_EQ(platform.Stored("Settings", "GameSpeed"), "1");
}

TEST_F(MenuTest, RelaxedSpeedAndInstructionsOnlyTheFirstTimeAreStoredAndKept) {
    // Speed: insane, relaxed, then (leaving) kept; instructions: first time only.
    IntoOptions(2);
    On("sounds/menu/mnuGSped.wav", scan::Return);  // insane
    After("sounds/menu/mnuInsan.wav", scan::Return);  // relaxed
    After("sounds/menu/mnuRelax.wav", scan::Down);    // 2 -> 3
    On("sounds/menu/mnuMInst.wav", scan::Return);     // first time only
    After("sounds/menu/mnuFirst.wav", scan::Escape);
    // The fresh main menu names its entry instead of the instructions.
    On("sounds/menu/mnuPM.wav", scan::Escape, 100);
    Run();
    const std::string heard = Heard();
    EXPECT_NE(heard.find("mnuGSped mnuInsan mnuRelax bumper1 mnuMInst mnuFirst mnuMusic mnuPM mnuExit"),
              std::string::npos)
        << heard;
    EXPECT_EQ(SpeedFactor, 2.0f);
    EXPECT_EQ(platform.Stored("Settings", "GameSpeed"), "2");
    EXPECT_EQ(platform.Stored("Settings", "MenuInstructions"), "1");
}

TEST_F(MenuTest, HighScoreReadoutResetAndReturn) {
    BestScore[kHeist] = 0;
    platform.StoredSettings()[{kSettingsApp, "Settings", "HSHeist"}] = EncodeScore(305, "1.0");
    // Main menu: Up x4 to entry 6; readout; reset; readout; Escape; then leave.
    OnEach({"sounds/menu/mnuInstr.wav", "sounds/menu/mnuExitP.wav", "sounds/menu/mnuOMenu.wav", "sounds/menu/mnuHMenu.wav"},
           scan::Up);
    On("sounds/menu/mnuHighS.wav", scan::Return);
    On("system/hss/scoresel.wav", scan::Return);   // entry 0: hear them
    On("system/hss/scoresel.wav", scan::Up);       // after the readout: 0 -> 5
    On("system/hss/exit.wav", scan::Up);           // 5 -> 4
    On("system/hss/hsmsg.wav", scan::Return);      // unavailable
    On("sounds/menu/mnuUnava.wav", scan::Up);      // 4 -> 3
    On("system/hss/hs_reset.wav", scan::Return);   // reset
    After("sounds/HSReset.wav", scan::Escape);     // one Escape leaves
    On("sounds/menu/mnuHighS.wav", scan::Escape);  // spoken again by the main menu: leave
    Run();
    std::string heard = Heard();
    EXPECT_NE(heard.find("scoresel mnuPM zero mnuSS zero mnuHeist 3 hundred 5 mnuSFRI zero mnuHH zero mnuWW zero "
                         "scoresel bumper1 exit bumper1 hsmsg mnuUnava bumper1 hs_reset HSReset bumper1 mnuHighS"),
              std::string::npos)
        << heard;
    for (const char* t : {"PacMan", "SoccerStar", "Heist", "Safari", "HauntedHouse", "WildWest"})
        EXPECT_EQ(platform.Stored("Settings", std::string("HS") + t), "0");
}

// The main menu wraps both ways (0 -> 9 -> 0 -> 9), clicking before each
// entry, on its way to the help menu.
TEST_F(MenuTest, HelpDescriptionsSilenceTheMusicAndBringItBackFull) {
    On("sounds/menu/mnuInstr.wav", scan::Up);
    On("sounds/menu/mnuExitP.wav", scan::Down);
    OnEach({"sounds/menu/mnuPM.wav", "sounds/menu/mnuExitP.wav", "sounds/menu/mnuOMenu.wav"}, scan::Up);
    On("sounds/menu/mnuHMenu.wav", scan::Return);
    After("sounds/menu/mnuPMSD.wav", scan::Down);  // the first entry, spoken on entering
    On("sounds/menu/mnuSSSD.wav", scan::Return);
    On("soccer/v_SDSS.wav", scan::Up, 20);      // cut the description, move up
    On("sounds/menu/mnuPMSD.wav", scan::Up);     // 0 -> 6
    On("sounds/menu/mnuEHM.wav", scan::Return);  // leave
    On("sounds/menu/mnuHMenu.wav", scan::Escape);
    Run();
    EXPECT_EQ(Heard(),
              "mnuMusic mnuInstr bumper1 mnuExitP bumper1 mnuPM bumper1 mnuExitP bumper1 mnuOMenu bumper1 mnuHMenu "
              "mnuHMI mnuPMSD bumper1 mnuSSSD v_SDSS bumper1 mnuPMSD bumper1 mnuEHM bumper1 mnuHMenu mnuExit");
    std::vector<int64_t> v = MusicVolumes();
    // Each voice over the music lowered by 10 dB, then restored; around the
    // description: silent, then full.
    EXPECT_EQ(std::vector<int64_t>(v.begin(), v.begin() + 2), (std::vector<int64_t>{-1000, 0}));
    EXPECT_NE(std::adjacent_find(v.begin(), v.end(), [](int64_t a, int64_t b) { return a == -10000 && b == 0; }),
              v.end());
}

TEST_F(MenuTest, QuittingAtTheFirstLaunchPromptReleasesTheTableForAFreshMenu) {
    UseArchive(ProgramMembers(kPacManCase), false);
    On("sounds/menu/mnuInstr.wav", scan::Return);  // entry 0: Pac Man
    After("sounds/LReady.wav", scan::Escape);       // quit at the launch prompt
    platform.TapAt(120000, scan::Escape);           // leave from the fresh menu
    Run();
    std::string heard = Heard();
    EXPECT_NE(heard.find("v_Launch LReady mnuMusic mnuInstr"), std::string::npos) << heard;
    // Everything the table loaded was released before the menu came back.
    EXPECT_EQ(platform.LiveBuffers(), 0);
}

TEST_F(MenuTest, AThousandTripsThroughTheOptionsKeepStackAndMemoryFlat) {
    const int kTrips = 1000;
    for (int i = 0; i < kTrips; ++i) {
        IntoOptions();
        On("sounds/menu/mnuOMI.wav", scan::Escape);
    }
    // Each fresh main menu begins with its instructions: count them, and
    // watch how deep the stack gets early on and late.
    int menus = 0;
    uintptr_t deepest[2] = {UINTPTR_MAX, UINTPTR_MAX};
    size_t heap[2] = {0, 0};
    platform.OnYield([&] {
        char probe;
        if (menus >= 2) {
            uintptr_t& d = deepest[menus < 10 ? 0 : 1];
            d = std::min(d, reinterpret_cast<uintptr_t>(&probe));
        }
        bool fresh = false;
        for (const SoundEvent& e : platform.SoundLog())
            if (e.op == "play" && e.label == "sounds/menu/mnuInstr.wav") fresh = true;
        if (!fresh) return;
        ++menus;
        platform.ClearSoundLog();
        if (menus == 10) heap[0] = mallinfo2().uordblks;
        if (menus == kTrips + 1) {
            heap[1] = mallinfo2().uordblks;
            platform.TapAt(platform.NowMs() + 100, scan::Escape);
        }
    });
    platform.SetTimeLimitMs(24ull * 3600 * 1000);
    EXPECT_EQ(RunUntilExit(RunGame), 0);
    EXPECT_EQ(menus, kTrips + 1);
    EXPECT_GE(deepest[1], deepest[0]) << "the stack grew by " << (deepest[0] - deepest[1]) << " bytes";
    EXPECT_LT(heap[1], heap[0] + 64 * 1024) << heap[0] << " -> " << heap[1];
    EXPECT_LE(platform.LiveBuffers(), 16);
}

}  // namespace
}  // namespace tamblor::test
