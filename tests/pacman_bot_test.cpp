// Many seeded games of Pac Man played by a listening bot in virtual time:
// every event of the table must be reached, no ball may roll on for long
// without progress, no ball may escape the maze, and the launch holes'
// sweeps must mean something: a shot fired at a cue mostly reaches it.
#include <gtest/gtest.h>

#include "core/keyboard.h"
#include "support/table_fixture.h"
#include "support/table_bot.h"
#include "table/ball.h"
#include "table/table_map.h"
#include "tables/pacman/pacman.h"

namespace tamblor::test {
namespace {

constexpr uint64_t kGameBudgetMs = 15 * 60 * 1000;  // then the bot leaves with Escape

BotCues PacManCues() {
    BotCues cues;
    cues.events = {{"pacman/EatDot.wav", "dot"},
                   {"sounds/bumper1.wav", "bumper"},
                   {"pacman/eatghost.wav", "ghost eaten"},
                   {"pacman/pacdie.wav", "ghost took the ball"},
                   {"pacman/EatFrS.wav", "fruit eaten"},
                   {"pacman/EatFrGR.wav", "fruit eaten"},
                   {"pacman/BonusLif.wav", "extra ball"},
                   {"sounds/v_NHS.wav", "new high score cue"}};
    cues.notCellEvents = {"extra ball", "new high score cue"};
    cues.progress = {"dot", "pill", "ghost eaten", "ghost took the ball", "fruit eaten", "top hole",
                     "bottom hole", "table completed by its last dot", "table skipped"};
    cues.scanCues = {"sounds/ScanBeep.wav", "sounds/ScanTrig.wav", "pacman/ScanGhst.wav", "pacman/ScanFrt.wav",
                     "pacman/ScanPUp.wav", "pacman/ScanTunl.wav"};
    cues.targets = {{"pacman/ScanGhst.wav", "ghost eaten"},
                    {"pacman/ScanFrt.wav", "fruit eaten"},
                    {"pacman/ScanPUp.wav", "pill"}};
    return cues;
}

// Pac Man's own listening: the power loop, the fruit, the holes, the
// tunnels, and the siren's last pitch step, which says few dots are left.
class PacManBot : public TableBot {
public:
    PacManBot(ScriptedPlatform& platform, BotFigures& figures) : TableBot(platform, figures, PacManCues()) {}

protected:
    void NewGame() override {
        power_ = tenLeft_ = false;
        fruitUntil_ = skipAt_ = 0;
    }

    bool Hear(const SoundEvent& e) override {
        const std::string& l = e.label;
        const bool started = e.op == "play" || e.op == "loop";
        if (l == "pacman/GhostRun.wav") {
            if (e.op == "loop") power_ = true;
            if (e.op == "stop") power_ = false;
        } else if (l == "pacman/Swoosh.wav" && e.op == "pan") {
            Count(e.value < 0 ? "left tunnel" : "right tunnel");
        } else if (l == "pacman/Siren.wav" && e.op == "frequency") {
            if (e.value == 30050 && !tenLeft_) {
                // Ten dots or fewer: skip soon, or go for the last dot and
                // skip only if it takes too long.
                tenLeft_ = true;
                skipAt_ = Now() + uint64_t(Chance(0.4) ? Uniform(2000, 10000) : 400000);
            } else if (e.value == 22050) {
                tenLeft_ = false;
                skipAt_ = 0;
            }
        } else if (started && l == "pacman/powerup.wav") {
            Count("pill " + std::to_string(TableMap.Cells[MapIndex(Ball.X)][MapIndex(Ball.Y)].Number));
            Count("pill");
        } else if (started && l == "pacman/pacdie.wav") {
            power_ = false;
            fruitUntil_ = 0;
            return false;
        } else if (started && l == "pacman/FruitPr.wav") {
            fruitUntil_ = Now() + 20000;
        } else if (started && (l == "pacman/EatFrS.wav" || l == "pacman/EatFrGR.wav")) {
            fruitUntil_ = 0;
            return false;
        } else if (started && l == "pacman/TableCom.wav") {
            // Read from the game, for the report only: was it the last dot?
            Count(pacman::PacMan.DotsLeft <= 1 && skipAt_ != 1 ? "table completed by its last dot" : "table skipped");
            tenLeft_ = power_ = false;
            skipAt_ = 0;
        } else if (started && !inScan_ && (l == "sounds/ScanBeep.wav" || l.rfind("pacman/Scan", 0) == 0 ||
                                           l == "sounds/ScanTrig.wav")) {
            Count(Ball.Y < 25 ? "top hole" : "bottom hole");
            return false;
        } else {
            return false;
        }
        return true;
    }

    std::string ChooseTarget() override {
        // What a player would go for: ghosts while the power loop runs, a
        // fruit heard appearing, else a pill, a tunnel, a bumper, or anywhere.
        if (power_) return "pacman/ScanGhst.wav";
        if (fruitUntil_ > Now() + 3000 && Chance(0.8)) return "pacman/ScanFrt.wav";
        int r = Uniform(0, 99);
        return r < 40 ? "pacman/ScanPUp.wav" : r < 60 ? "pacman/ScanTunl.wav" : r < 70 ? "sounds/ScanTrig.wav" : "";
    }

    bool Move(uint64_t now) override {
        if (skipAt_ <= 1 || now < skipAt_) return false;
        Tap(0, scan::Space, 60);
        skipAt_ = 1;  // sent: a completion now is a skip
        busyUntil_ = now + 500;
        return true;
    }

private:
    bool power_ = false, tenLeft_ = false;
    uint64_t fruitUntil_ = 0, skipAt_ = 0;
};

TEST_F(PacManTest, ABotsSeededGamesReachEveryEventWithNoStuckOrEscapedBall) {
    BotFigures figures;
    PacManBot bot(platform, figures);
    BotSession session(platform, pacman::kTable, kGameBudgetMs, 30000);
    // The ball steps on the 15.625 ms tick however often the loop yields:
    // five passes to a tick instead of sixteen play the same games faster.
    platform.SetYieldStepMicros(3125);
    session.Play(bot, 0, BotGames(200, 12), 7001, 1, "pacman");  // the first seeds still reach every event
    ExpectReached({&figures}, {"dot", "bumper", "pill 1", "pill 2", "pill 3", "pill 4", "ghost eaten",
                               "ghost took the ball", "fruit eaten", "top hole", "bottom hole", "left tunnel",
                               "right tunnel", "extra ball", "table completed by its last dot", "table skipped",
                               "game over"});
    if (!kSanitized) {
        EXPECT_GT(figures.shotsAtTargets, 0);
        EXPECT_GE(2 * figures.targetsReached, figures.shotsAtTargets);  // a shot at a cue mostly reaches it
    }
}

}  // namespace
}  // namespace tamblor::test
