// Spoken numbers, loose announcements and the pan rule.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/positional.h"
#include "audio/speech.h"
#include "core/errors.h"
#include "core/startup.h"
#include "core/keyboard.h"
#include "support/game_fixture.h"

namespace tamblor::test {
namespace {

std::string Words(double n) {
    std::string out;
    for (const std::string& member : NumberWords(n)) {
        std::string word = member.substr(std::string("sounds/numbers/").size());
        word.resize(word.size() - 4);
        out += (out.empty() ? "" : " ") + word;
    }
    return out;
}

TEST(NumberWordsTest, SaysGroupsTeensAndTensAsRecorded) {
    const std::pair<double, const char*> cases[] = {
        {0, "zero"}, {10, "10"}, {15, "15"}, {40, "40"}, {42, "40 2"}, {305, "3 hundred 5"}, {1000, "1 thousand"},
        {1001, "1 thousand 1"}, {12019, "12 thousand 19"}, {342000, "3 hundred 40 2 thousand"},
        {1000000, "1 million"}, {2000000, "2 million"}, {100000300, "1 hundred million 3 hundred"},
        {999999999, "9 hundred 90 9 million 9 hundred 90 9 thousand 9 hundred 90 9"}, {17000010, "17 million 10"},
        // Beyond the millions nothing is dropped: "thousand million".
        {2000000000, "2 thousand million"}, {1234000005, "1 thousand 2 hundred 30 4 million 5"},
        // Scores are whole; anything else is said sensibly.
        {-5, "zero"}, {7.9, "7"}, {NAN, "zero"}};
    for (const auto& [n, words] : cases) EXPECT_EQ(Words(n), words) << n;
}

using SpeechTest = GameTest;

TEST_F(SpeechTest, AnnouncementWaitsForTheHeldKeyAndTheNextPressCutsIt) {
    UseArchive(StandardMembers());
    WriteLooseFile("system/hss/instr.wav", 2000);
    platform.SetKeyDown(scan::Return, true);
    PollKeyboard();
    platform.ReleaseAt(300, scan::Return);
    platform.TapAt(800, scan::Return);
    Announcement("system\\hss\\instr.wav");
    ASSERT_EQ(platform.Played().size(), 1u);
    EXPECT_GE(platform.SoundLog()[1].ms, 300u);  // created, then played after the release
    EXPECT_LE(platform.NowMs(), 810u);
    EXPECT_EQ(platform.LiveBuffers(), 0);  // its own buffer is released

    // Keys outside the announcement set do not cut it.
    platform.TapAt(900, scan::P);
    uint64_t start = platform.NowMs();
    Announcement("system\\hss\\instr.wav");
    EXPECT_GE(platform.NowMs() - start, 2000u);

    Announcement("system\\hss\\absent.wav");  // reported, and the caller goes on
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_EQ(platform.Messages()[0],
              "An error has occurred in this application.  Procedure: Announcement.  Error Number: 53 - The file " +
                  appFolder + "/system/hss/absent.wav is missing.  Please e-mail " + kSupportAddress +
                  " with this information.  This report is also saved in " + DataFolder + "/error-report.txt.");
}

// (The step TransformPoint turns, at each eighth of a turn: the ball's step
// of EngineTest, its only user.)
TEST(PositionalTest, PanFollowsTheColumnAndRoundsHalvesToEven) {
    // Beyond the edges: kept within range; 26.00125 is 0.5 of a step, rounded to the even neighbour.
    const std::pair<float, int32_t> cases[] = {{26, 0},     {1, -10000},     {51, 10000}, {26.5f, 200}, {25.5f, -200},
                                               {0, -10000}, {52.4f, 10000}, {26.00125f, 0}};
    for (const auto& [column, pan] : cases) EXPECT_EQ(PanFor(column), pan) << column;
    EXPECT_EQ(PanFor(30, 25, 200), 1000);
}

}  // namespace
}  // namespace tamblor::test
