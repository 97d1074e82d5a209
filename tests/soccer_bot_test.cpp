// Many seeded matches of Soccer Star played by a listening bot in virtual
// time: every event of the table must be reached, no ball may roll on for
// long without progress, and no ball may escape the field.
#include <gtest/gtest.h>

#include "core/keyboard.h"
#include "support/table_fixture.h"
#include "support/table_bot.h"
#include "table/ball.h"
#include "tables/soccer/soccer.h"

namespace tamblor::test {
namespace {

constexpr uint64_t kGameBudgetMs = 12 * 60 * 1000;  // then the bot leaves with Escape
constexpr double kBlockChance = 0.85;  // how often the bot hears the warning in time

BotCues SoccerCues() {
    BotCues cues;
    cues.events = {{"soccer/GVisitor.wav", "goal scored"},
                   {"soccer/GKckMiss.wav", "shot missed"},
                   {"soccer/goalhome.wav", "goal against"},
                   {"soccer/Saved.wav", "goal saved"},
                   {"soccer/BlokGoal.wav", "block used"},
                   {"soccer/v_SMode.wav", "SAVE completed"},
                   {"sounds/SpellSw.wav", "letter"},
                   {"soccer/DblScore.wav", "double-score target"},
                   {"soccer/v_DblScr.wav", "double score started"},
                   {"soccer/v_OffSid.wav", "offside"},
                   {"soccer/v_YCard.wav", "yellow card"},
                   {"soccer/v_RCard1.wav", "red card"},
                   {"soccer/v_RCard2.wav", "red card"},
                   {"soccer/v_Midf.wav", "midfield opened"},
                   {"soccer/extraball.wav", "extra ball"},
                   {"sounds/bumper1.wav", "bumper"},
                   {"soccer/v_d0.wav", "defender 0 down"},
                   {"soccer/v_d1.wav", "defender 1 down"},
                   {"soccer/v_d2.wav", "defender 2 down"},
                   {"soccer/v_d3.wav", "defender 3 down"},
                   {"soccer/v_d4.wav", "defender 4 down"},
                   {"soccer/GameWon.wav", "match won"},
                   {"soccer/GameLost.wav", "match lost"},
                   {"soccer/v_TGWT.wav", "match tied"},
                   {"sounds/v_NHS.wav", "new high score cue"}};
    cues.notCellEvents = {"block used", "extra ball", "new high score cue", "match won", "match lost", "match tied",
                          "midfield opened", "midfield closed", "double score ended", "kick-off shot",
                          "striker shot"};
    cues.progress = {"goal scored", "shot missed", "goal against", "goal saved", "SAVE completed", "letter",
                     "double-score target", "offside", "defender 0 down", "defender 1 down", "defender 2 down",
                     "defender 3 down", "defender 4 down", "home goal kick", "visitors' goal kick", "penalty kick",
                     "kick-off shot", "striker shot"};
    cues.scanCues = {"sounds/ScanBeep.wav",   "sounds/ScanTrig.wav",  "soccer/ScanDfnd.wav", "soccer/ScanDblS.wav",
                     "soccer/ScanMidf.wav",   "soccer/ScanNet.wav",   "soccer/ScanSpll.wav", "soccer/ScanFlip.wav"};
    cues.targets = {{"soccer/ScanFlip.wav", "striker aim"},
                    {"soccer/ScanSpll.wav", "letter"},
                    {"soccer/ScanDblS.wav", "double-score target"},
                    {"soccer/ScanDfnd.wav", "defender"}};
    return cues;
}

// Soccer Star's own listening: the kick-off and striker aims (choose a side
// as the wait loop starts; the striker goes for the middle, where the net
// is, or a fallen defender), the block warning, and what some sounds mean
// on this table.
class SoccerBot : public TableBot {
public:
    SoccerBot(ScriptedPlatform& platform, BotFigures& figures) : TableBot(platform, figures, SoccerCues()) {}

protected:
    void NewGame() override { chant_ = music_ = striker_ = aimingMiddle_ = afterDefender_ = false; }

    bool Hear(const SoundEvent& e) override {
        const std::string& l = e.label;
        const bool started = e.op == "play" || e.op == "loop";
        if (l == "sounds/ScanWait.wav") {
            if (e.op == "loop") {
                // Read from the game, for the bot's choice only: which aim is this?
                striker_ = soccer::Soccer.StrikerAim;
                aimingMiddle_ = striker_ && Chance(0.6);
                Count(striker_ ? "striker aim" : "kick-off aim");
                Tap(uint64_t(Uniform(200, 1500)), Chance(0.5) ? scan::LeftShift : scan::RightShift, 40);
            }
            return true;
        }
        if (l == "sounds/ScanBeep.wav" && e.op == "pan") lastBeepPan_ = e.value;
        if (l == "sounds/ScanBeep.wav" && started && aimingMiddle_ && lastBeepPan_ >= -100 && lastBeepPan_ <= 0) {
            aimingMiddle_ = false;
            Fire();
        }
        if (l == "soccer/BlokBeep.wav" && e.op == "loop" && Chance(kBlockChance)) Tap(uint64_t(Uniform(30, 250)), scan::Space);
        if (l == "sounds/ball.wav" && e.op == "loop" && inScan_) Count(striker_ ? "striker shot" : "kick-off shot");
        if (l == "soccer/Chant.wav") {
            if (e.op == "loop") chant_ = true;
            if (e.op == "stop" && chant_ && soccer::Soccer.Multiplier == 1) Count("double score ended");
            if (e.op == "stop") chant_ = false;
        }
        if (l == "soccer/MFMusic.wav") {
            if (e.op == "loop") music_ = true;
            if (e.op == "stop" && music_ && !soccer::Soccer.MidfieldOpen) Count("midfield closed");
            if (e.op == "stop") music_ = false;
        }
        if (started && l == "soccer/GHitVist.wav") afterDefender_ = true;
        if (started && l == "soccer/BallKick.wav") {
            if (!afterDefender_) Count(Ball.Y > 25 ? "home goal kick" : "visitors' goal kick");
            afterDefender_ = false;
        }
        if (started && (l == "soccer/GKckGood.wav" || l == "soccer/GKickBad.wav")) {
            Count("penalty kick");
            if (l == "soccer/GKckGood.wav") Count("penalty scored");
        }
        if (started && l.rfind("soccer/v_d", 0) == 0) Count("defender");
        return false;
    }

    std::string ChooseTarget() override {
        if (striker_) {
            if (aimingMiddle_) return "-";  // nothing but the middle
            return Chance(0.6) ? "soccer/ScanNet.wav" : Chance(0.5) ? "soccer/ScanDfnd.wav" : "";
        }
        const int r = Uniform(0, 99);
        return r < 35   ? "soccer/ScanFlip.wav"
               : r < 60 ? "soccer/ScanSpll.wav"
               : r < 75 ? "soccer/ScanDblS.wav"
               : r < 85 ? "soccer/ScanDfnd.wav"
                        : "";
    }

private:
    bool chant_ = false, music_ = false, striker_ = false, aimingMiddle_ = false, afterDefender_ = false;
    int64_t lastBeepPan_ = 0;
};

TEST_F(SoccerTest, ABotsSeededMatchesReachEveryEventWithNoStuckOrEscapedBall) {
    BotFigures figures;
    SoccerBot bot(platform, figures);
    BotSession session(platform, soccer::kTable, kGameBudgetMs, 30000);
    // The ball steps on the 15.625 ms tick however often the loop yields, so
    // yielding every 8 ms plays the same matches with an eighth of the passes.
    platform.SetYieldStepMicros(8000);
    session.Play(bot, 0, BotGames(200, 12), 11001, 1, "soccer");
    if (kSanitized) {  // a few matches still show a working table
        ExpectReached({&figures}, {"goal against", "home goal kick", "kick-off shot", "game over"});
        return;
    }
    ExpectReached({&figures}, {"goal scored", "goal against", "goal saved", "home goal kick", "visitors' goal kick",
                               "block used", "SAVE completed", "penalty kick", "double score started",
                               "double score ended", "defender 0 down", "defender 1 down", "defender 2 down",
                               "defender 3 down", "defender 4 down", "offside", "yellow card", "red card",
                               "midfield opened", "midfield closed", "match won", "match lost", "match tied",
                               "kick-off shot", "striker shot"});
}

}  // namespace
}  // namespace tamblor::test
