// What the window is handed: the menu with its current entry, the caption
// of each message (numbers as digits) until a while after its voice ends,
// the table with its ball, score and aim ray; at most one frame a clock
// step (the ball's motion every other step), and none while the Screen
// option has the window off.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "audio/voice_text.h"
#include "core/screen.h"
#include "support/table_fixture.h"
#include "table/aim_scan.h"
#include "table/table.h"

namespace tamblor::test {
namespace {

class ScreenMenus : public MenuGameTest {
protected:
    void SetUp() override {
        MenuGameTest::SetUp();
        std::vector<ArchiveMember> members = MenuMembers();
        members.push_back(ManifestVoiceTexts());
        UseArchive(members, false);
        // Each frame handed over, as "mode title [current entry] caption".
        platform.OnYield([this] {
            if (platform.FrameDraws().size() == seen) return;
            seen = platform.FrameDraws().size();
            const Frame& f = platform.DrawnFrame();
            const std::string line = std::to_string(int(f.mode)) + " " + f.title + " [" +
                                     (f.entryCount > 0 ? f.entries[f.current] : "") + "] " + f.caption;
            if (lines.empty() || lines.back() != line) lines.push_back(line), at.push_back(platform.NowMs());
            offDraws += f.mode == ScreenMode::Off;
        });
    }
    // Index of `line` among the lines, or -1.
    int Find(const std::string& line) const {
        const auto at = std::ranges::find(lines, line);
        return at == lines.end() ? -1 : int(at - lines.begin());
    }
    std::string All() const {
        std::string out;
        for (const std::string& l : lines) out += l + "\n";
        return out;
    }
    size_t seen = 0;
    int offDraws = 0;
    std::vector<std::string> lines;
    std::vector<uint64_t> at;
};

TEST_F(ScreenMenus, MenusEntriesAndCaptionsAreDrawnOnceAStepAndNotAtAllWhileOff) {
    platform.TapWhenSoundStarts("sounds/menu/mnuInstr.wav", scan::Down, 6000);  // the caption has gone by then
    for (const char* entry : {"sounds/menu/mnuSS.wav", "sounds/menu/mnuPM.wav", "sounds/menu/mnuExitP.wav"})
        On(entry, scan::Up);
    On("sounds/menu/mnuOMenu.wav", scan::Return);
    for (const char* option : {"sounds/menu/mnuOMI.wav", "sounds/menu/mnuEOM.wav", "sounds/menu/mnuNHits.wav",
                               "sounds/menu/mnuRumbl.wav"})
        On(option, scan::Up);                       // up to the screen option
    On("sounds/menu/mnuScrn.wav", scan::Return);    // captions only
    After("sounds/menu/mnuScCO.wav", scan::Return);  // off
    After("sounds/menu/mnuScOff.wav", scan::Return); // table and captions
    After("sounds/menu/mnuScTC.wav", scan::Up);
    On("sounds/menu/mnuVoice.wav", scan::Up);
    On("sounds/menu/mnuRate.wav", scan::Right);     // 125 percent
    After("sounds/menu/mnuPcent.wav", scan::Escape);
    On("sounds/menu/mnuInstr.wav", scan::Escape);
    Run();
    const std::string instructions = VoiceText("sounds/menu/mnuInstr.wav");
    const char* const expected[] = {
        "0 Main menu [Pac Man.] ",  // the instructions' caption gone
        "0 Main menu [Soccer Star.] Soccer Star.",
        "0 Main menu [Options menu.] Options menu.",
        "0 Options [Screen.] Screen.",
        "1 Options [Screen.] The window shows captions only.",
        "2 Options [Screen.] The window stays plain.",
        "0 Options [Screen.] The window shows the table and captions.",
        "0 Options [Speech rate.] 125 percent",
        "0 Main menu [Pac Man.] Thanks for playing Tamblor. Goodbye!"};
    int last = -1;
    for (const char* line : expected) {
        const int i = Find(line);
        EXPECT_GT(i, last) << line << "\n" << All();
        last = i;
    }
    // The instructions' words stay 4 s after their voice (600 ms) ends.
    const int shown = Find("0 Main menu [Pac Man.] " + instructions), gone = Find(expected[0]);
    ASSERT_GE(shown, 0) << All();
    ASSERT_GT(gone, shown) << All();
    EXPECT_NEAR(double(at[size_t(gone)] - at[size_t(shown)]), 600 + kCaptionHoldMs, 50) << All();
    EXPECT_EQ(offDraws, 1);  // one plain frame, then nothing while the player hears on
    const std::vector<uint32_t>& ticks = platform.FrameDraws();
    for (size_t i = 1; i < ticks.size(); ++i) ASSERT_GT(ticks[i], ticks[i - 1]) << "two frames in one clock step";
}

// The aim scan of a launch hole, with nothing on its ray.
class QuietScan : public FanAimScan {
public:
    QuietScan() : FanAimScan({0, 10, 5, 30}, 150) {}

protected:
    ProbeAnswer Answer(const MapCell&) override { return {}; }
    void Keys() override {}
    bool Escape() override { return false; }
    bool ShotKeyDown() override { return true; }
};

using ScreenTable = PacManTest;

TEST_F(ScreenTable, TheMapBallScoreAndAimRayAreWhatThePlayIs) {
    BeginPlay();
    Put(12.5f, 30.25f, heading::Up);
    Game.Score = 12345;
    auto nextFrame = [&]() -> const Frame& {
        platform.AdvanceMs(20);
        YieldToSystem();
        return platform.DrawnFrame();
    };
    const Frame& f = nextFrame();
    EXPECT_EQ(std::tuple(f.scene, f.ballShown, f.ballX, f.ballY, f.score, f.ballsLeft),
              std::tuple(Scene::Table, true, 12.5f, 30.25f, 12345.0, int(Game.BallsLeft)));
    int differing = 0, walls = 0;
    for (int x = 0; x < kFrameMapSize; ++x)
        for (int y = 0; y < kFrameMapSize; ++y) {
            differing += f.cells[x][y] != TableMap.Cells[x][y].Code;
            walls += f.cells[x][y] != 0;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(walls, 100);

    QuietScan scan;
    scan.Probe(2);  // 20 degrees, 30 steps
    const Frame& aimed = nextFrame();
    const StepVector step = StepForAngle(20);
    EXPECT_TRUE(aimed.rayShown);
    EXPECT_EQ(aimed.rayX0, 12.5f);
    EXPECT_FLOAT_EQ(aimed.rayX1, 12.5f - 30 * step.dx);
    EXPECT_FLOAT_EQ(aimed.rayY1, 30.25f - 30 * step.dy);
    EXPECT_EQ(scan.Run(), 0);  // shot at once
    EXPECT_FALSE(nextFrame().rayShown);

    // A ball moving at every step is drawn at every other; a caption the
    // step it comes.
    const size_t before = platform.FrameDraws().size();
    for (int i = 1; i <= 16; ++i) {
        Ball.X = 12.5f + 0.1f * float(i);
        platform.AdvanceMs(kTickQuantumMicros / 1000 + (i % 2));
        YieldToSystem();
    }
    EXPECT_EQ(platform.FrameDraws().size() - before, 8u);
    EXPECT_GE(platform.DrawnFrame().ballX, 12.5f + 0.1f * 15 - 0.01f);  // a step behind at most
    const size_t moved = platform.FrameDraws().size();
    ShowCaption("Bonus");
    YieldToSystem();
    ASSERT_EQ(platform.FrameDraws().size(), moved + 1);
    EXPECT_STREQ(platform.DrawnFrame().caption, "Bonus");
}

}  // namespace
}  // namespace tamblor::test
