// Many seeded games of the Haunted House played by a listening bot in
// virtual time, half in each game mode: every event of the table must be
// reached, no ball may roll on for long without progress, and none may
// escape the field.
#include <gtest/gtest.h>

#include "core/keyboard.h"
#include "core/settings.h"
#include "support/table_fixture.h"
#include "support/table_bot.h"
#include "table/ball.h"
#include "tables/haunted/haunted.h"

namespace tamblor::test {
namespace {

constexpr uint64_t kGameBudgetMs = 15 * 60 * 1000;  // then the bot leaves with Escape
constexpr double kThrowChance = 0.93;  // how often it throws as a gravestone sounds

const char* const kLetters = "GRAVE";

BotCues HauntedCues() {
    BotCues cues;
    cues.events = {{"sounds/bumper1.wav", "bumper"},
                   {"sounds/bumper2.wav", "hard wall"},
                   {"Haunted/v_Welc.wav", "laboratory entered"},
                   {"Haunted/itsalive.wav", "monster woken"},
                   {"Haunted/frankeat.wav", "ball grabbed"},
                   {"Haunted/windamb.wav", "wind raised"},
                   {"Haunted/loseball.wav", "grave trap"},
                   {"Haunted/ignite.wav", "fire lit"},
                   {"Haunted/InFire.wav", "ball burnt"},
                   {"Haunted/Creak.wav", "spooky creak"},
                   {"Haunted/v_G.wav", "letter G"},
                   {"Haunted/v_R.wav", "letter R"},
                   {"Haunted/v_A.wav", "letter A"},
                   {"Haunted/v_V.wav", "letter V"},
                   {"Haunted/v_E.wav", "letter E"},
                   {"Haunted/v_Tombs.wav", "tomb mode"},
                   {"Haunted/allstone.wav", "tomb mode with all six stones down"},
                   {"Haunted/v_NoStns.wav", "tomb mode with fewer stones down"},
                   {"Haunted/xtraball.wav", "extra ball"},
                   {"sounds/flush.wav", "drain lost"},
                   {"sounds/v_NHS.wav", "new high score cue"}};
    for (int i = 1; i <= 8; ++i) cues.events["Haunted/SE0" + std::to_string(i) + ".wav"] = "spooky effect";
    for (int i = 1; i <= 9; ++i) cues.events["Haunted/LE0" + std::to_string(i) + ".wav"] = "spooky zone that pays";
    for (int i = 1; i <= 3; ++i) cues.events["Haunted/Glass" + std::to_string(i) + ".wav"] = "grave";
    cues.flipChance = 0.95;
    cues.notCellEvents = {"extra ball", "new high score cue", "tomb mode with all six stones down",
                          "tomb mode with fewer stones down", "drain saved", "drain shot", "double score"};
    cues.progress = {"grave", "wind raised", "fire lit", "spooky zone that pays", "letter G", "letter R", "letter A",
                     "letter V", "letter E", "monster woken", "ball grabbed", "grave trap", "ball burnt",
                     "drain lost", "drain saved", "drain shot"};
    cues.scanCues = {"sounds/ScanBeep.wav", "sounds/ScanTrig.wav", "Haunted/ScanG.wav", "Haunted/ScanR.wav",
                     "Haunted/ScanA.wav",   "Haunted/ScanV.wav",   "Haunted/ScanE.wav", "Haunted/ScanGlas.wav",
                     "Haunted/scancrk.wav"};
    cues.targets = {{"Haunted/ScanG.wav", "letter G"}, {"Haunted/ScanR.wav", "letter R"},
                    {"Haunted/ScanA.wav", "letter A"}, {"Haunted/ScanV.wav", "letter V"},
                    {"Haunted/ScanE.wav", "letter E"}, {"Haunted/ScanGlas.wav", "grave"},
                    {"Haunted/scancrk.wav", "spooky"}};
    return cues;
}

// The Haunted House player: at the drain as every bot plays it; in aim
// scans for the next letter of GRAVE, and in the tomb a throw as each
// gravestone sounds.
class HauntedBot : public TableBot {
public:
    HauntedBot(ScriptedPlatform& platform, BotFigures& figures) : TableBot(platform, figures, HauntedCues()) {}

protected:
    void NewGame() override {
        spelt_ = 0;
        monster_ = tomb_ = false;
    }

    bool Hear(const SoundEvent& e) override {
        const std::string& l = e.label;
        const bool started = e.op == "play" || e.op == "loop";
        if (l == "Haunted/franken.wav") {
            if (e.op == "loop") monster_ = true;
            if (e.op == "stop") monster_ = false;
            return true;
        }
        if (tomb_) {
            if (started && l == "Haunted/ScanSton.wav" && Chance(kThrowChance)) Tap(3, scan::RightShift, 30);
            if (started && (l == "sounds/ScanBeep.wav" || l == "Haunted/ScanSton.wav")) return true;
            if (started && (l.rfind("Haunted/V", 0) == 0 || l == "Haunted/v_NoStns.wav")) tomb_ = false;
            if (started && l.rfind("Haunted/V", 0) == 0 && l != "Haunted/V6.wav") Count("tomb mode with fewer stones down");
            return false;  // the report itself is counted by the core
        }
        if (!started) return false;
        if (l == "Haunted/v_Tombs.wav") tomb_ = true;
        if (l.rfind("Haunted/v_", 0) == 0 && l.size() == 15 && l[10] == kLetters[spelt_]) spelt_ = (spelt_ + 1) % 5;
        if (l == "sounds/LReady.wav") spelt_ = 0;
        if (monster_ && (l == "sounds/bumper1.wav" || l.rfind("Haunted/Glass", 0) == 0 ||
                         l.rfind("Haunted/LE0", 0) == 0 || l == "Haunted/ignite.wav"))
            Count("double score");
        return false;
    }

    std::string ChooseTarget() override {
        // The next letter mostly; else an untouched grave, a spooky zone, a bumper or anywhere.
        int r = Uniform(0, 99);
        if (r < 60) return std::string("Haunted/Scan") + kLetters[spelt_] + ".wav";
        return r < 75 ? "Haunted/ScanGlas.wav" : r < 85 ? "Haunted/scancrk.wav" : r < 90 ? "sounds/ScanTrig.wav" : "";
    }

private:
    int spelt_ = 0;
    bool monster_ = false, tomb_ = false;
};

TEST_F(HauntedTest, ABotsSeededGamesInBothModesReachEveryEventWithNoStuckOrEscapedBall) {
    BotFigures classic, accessible;
    HauntedBot classicBot(platform, classic), accessibleBot(platform, accessible);
    BotSession session(platform, haunted::kTable, kGameBudgetMs);
    const int games = BotGames(100, 4);  // under the sanitizers for memory faults, not coverage
    session.Play(classicBot, 1, games, 10001, 1, "classic");
    session.Play(accessibleBot, 0, games, 9001, 1, "accessible");
    if (kSanitized) return;
    for (const BotFigures* figures : {&classic, &accessible})
        ExpectReached({figures}, {"monster woken", "double score", "ball grabbed", "wind raised", "grave trap",
                                  "fire lit", "ball burnt", "spooky effect", "spooky creak", "spooky zone that pays",
                                  "letter G", "letter R", "letter A", "letter V", "letter E", "tomb mode",
                                  "tomb mode with fewer stones down", "grave", "bumper", "hard wall", "game over"},
                      figures == &classic ? "classic: " : "accessible: ");
    ExpectReached({&classic}, {"drain saved", "drain lost"}, "classic: ");
    ExpectReached({&accessible}, {"drain shot"}, "accessible: ");
    EXPECT_EQ(accessible.events.count("drain lost"), 0u);
    ExpectReached({&classic, &accessible}, {"tomb mode with all six stones down", "extra ball"});
}

}  // namespace
}  // namespace tamblor::test
