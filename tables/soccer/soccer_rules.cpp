// The Soccer Star match rules on top of the play engine: goals at both
// ends, the keeper's save, SAVE and GOAL with the penalty kick, double
// score, the visiting defenders, offside, cards, the status report and the
// words at the end of the match.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "audio/positional.h"
#include "audio/speech.h"
#include "core/app.h"
#include "platform/platform.h"
#include "table/play.h"
#include "table/table.h"
#include "tables/soccer/soccer.h"
#include "tables/soccer/soccer_internal.h"

namespace tamblor::soccer {

namespace {

constexpr float kHalfway = 25;
constexpr float kKickSpotX = 25;
constexpr float kVisitorsKickY = 4;
constexpr float kHomeRestartY = 45;
constexpr double kGoalValue = 250000;
constexpr double kSpelledValue = 50000;
constexpr double kPenaltyValue = 100000;
constexpr double kDefenderValue = 20000;
constexpr double kDefenderSlowdown = 0.4;
constexpr uint8_t kLastGoalAgainstBefore = 4;  // a goal against with this many already ends the match
constexpr int kCardDraw = 2;                   // of round(Rnd x 4): a card about one time in four

const char* const kSaveVoices[] = {"soccer/S.wav", "soccer/A.wav", "soccer/V.wav", "soccer/E.wav"};
const char* const kGoalVoices[] = {"soccer/G.wav", "soccer/O.wav", "soccer/A.wav", "soccer/L.wav"};
const char* const kDefenderVoices[] = {"soccer/v_d0.wav", "soccer/v_d1.wav", "soccer/v_d2.wav", "soccer/v_d3.wav",
                                       "soccer/v_d4.wav"};

// Where an offside restarts play: a throw-in on the other half, on the
// ball's side, heading back into the field.
struct ThrowIn {
    float x, y, direction;
};
constexpr ThrowIn kHomeThrowInLeft{9, 37, 28}, kHomeThrowInRight{42, 37, 119};
constexpr ThrowIn kVisitorsThrowInLeft{6, 17, 60}, kVisitorsThrowInRight{45, 17, 92};
constexpr float kThrowInSpread = 8;

void StandDefendersUp() { std::fill(std::begin(Soccer.DefenderDown), std::end(Soccer.DefenderDown), false); }

// "n goal" or "n goals".
void SayGoals(const char* whose, uint8_t goals) {
    PlaySound(whose, 0, true);
    SpeakNumber(goals);
    PlaySound(goals == 1 ? "soccer/v_Goal.wav" : "soccer/v_Goals.wav", 0, true);
}

void SayBothSides() {
    SayGoals("soccer/vNOGSBHT.wav", Soccer.HomeGoals);
    SayGoals("soccer/v_NOGSBV.wav", Soccer.VisitorGoals);
}

// Lights one letter of the word being spelled, when it is the next one.
bool LightLetter(int position, uint8_t& progress, bool (&marks)[kMarks], const char* const (&voices)[4]) {
    if (marks[position] || progress != position - 1) return false;
    PlaySound(voices[position - 1], 0, true);
    PlayAtBall(sndSpellSw);
    progress = uint8_t(position);
    marks[position] = true;
    return true;
}

void PenaltyKick() {
    std::fill(std::begin(Soccer.GoalMark), std::end(Soccer.GoalMark), false);
    if (Soccer.MidfieldOpen) Sounds.MidfieldMusic.Stop();
    sndBall.Stop();
    Randomize();
    if (DrawUpTo(2) == 1) {
        PlaySound("soccer/GKckGood.wav", 0, true);
        AddScore(kPenaltyValue);
        ++Soccer.HomeGoals;
    } else {
        PlaySound("soccer/GKickBad.wav", 0, true);
    }
    RecordHalf();
    Ball.X = kKickSpotX;
    Ball.Y = kVisitorsKickY;
    Ball.Direction = float(64 + DrawUpTo(32));
    StandDefendersUp();
    Sounds.Kick[2].SetPan(0);
    Sounds.Kick[2].Play(false);
    if (Soccer.MidfieldOpen) Sounds.MidfieldMusic.Play(true);
    Soccer.GoalMode = false;
    Soccer.SaveProgress = 0;
    AddScore(kSpelledValue);
    sndBall.Play(true);
}

}  // namespace

void AddScore(double value) { Game.Score += Soccer.Multiplier * value; }

void RecordHalf() { Soccer.UpperHalf = Ball.Y < kHalfway; }

void EndDoubleScore() {
    Soccer.DoubleScore.Stop();
    Soccer.Multiplier = 1;
    Sounds.Chant.Stop();
}

void CloseMidfield() {
    Soccer.MidfieldOpen = false;
    Sounds.MidfieldMusic.Stop();
    Soccer.Midfield.Start();
}

void VisitorsKickOff() {
    Ball.X = kKickSpotX;
    Ball.Y = kVisitorsKickY;
    Ball.Direction = float(76 + DrawUpTo(8));
}

bool ShotScores(uint8_t difficulty, float draw) { return std::nearbyint(draw * float(difficulty)) == 1; }

void ShotAtVisitorsGoal(uint8_t difficulty) {
    CloseMidfield();
    RecordHalf();
    const bool scores = ShotScores(difficulty, Rnd());
    sndBall.Stop();
    if (scores) {
        PlaySound("soccer/GVisitor.wav", 0, true);
        ++Soccer.HomeGoals;
        AddScore(kGoalValue);
    } else {
        PlaySound("soccer/GKckMiss.wav", 0, true);
    }
    VisitorsKickOff();
    StandDefendersUp();
    PlaySound("soccer/v_OTKO.wav", 0, true);
    Sounds.Kick[2].SetPan(0);
    Sounds.Kick[2].Play(false);
    sndBall.Play(true);
}

void BallInHomeGoal() {
    RecordHalf();
    sndBall.Stop();
    if (Soccer.SaveArmed) {
        PlaySound("soccer/Saved.wav", 0, true);
        Soccer.SaveArmed = false;
        std::fill(std::begin(Soccer.SaveMark), std::end(Soccer.SaveMark), false);
    } else {
        PlaySound("soccer/goalhome.wav", 0, true);
        const uint8_t before = Soccer.VisitorGoals++;
        // A goal against costs a ball; with none to spare (after tilts) it
        // ends the match as the last goal would, and the count never wraps.
        TakeSpareBall(before >= kLastGoalAgainstBefore);
    }
    Ball.X = kKickSpotX;
    Ball.Y = kHomeRestartY;
    Ball.Direction = float(DrawUpTo(32));
    PlaySound("soccer/v_KckOff.wav", 0, true);
    AimedShot(false);
}

void KeeperSave() {
    Soccer.Block.Stop();
    StopBlockWarning();
    sndBall.Stop();
    PlaySound("soccer/Saved.wav", 0, true);
    PlaySound("soccer/v_KckOff.wav", 0, true);
    AimedShot(false);
    sndBall.Play(true);
}

void LetterTarget(int position) {
    if (position < 1 || position > 4) return;
    if (Soccer.GoalMode && LightLetter(position, Soccer.GoalProgress, Soccer.GoalMark, kGoalVoices) && position == 4)
        PenaltyKick();
    if (Soccer.GoalMode || Soccer.SaveArmed) return;
    if (!LightLetter(position, Soccer.SaveProgress, Soccer.SaveMark, kSaveVoices) || position != 4) return;
    Soccer.SaveArmed = true;
    Soccer.GoalMode = true;
    Soccer.GoalProgress = 0;
    PlaySound("soccer/v_SMode.wav", 0, true);
    AddScore(kSpelledValue);
}

void DoubleScoreTarget(int index) {
    if (index < 0 || index >= kMarks || Soccer.DoubleScoreMark[index]) return;
    Soccer.DoubleScoreMark[index] = true;
    Sounds.DoubleScore.Play(false);
    if (Soccer.DoubleScoreHits < 3) {
        ++Soccer.DoubleScoreHits;
        return;
    }
    // Target 0 keeps its mark: it counts once a match.
    std::fill(std::begin(Soccer.DoubleScoreMark) + 1, std::end(Soccer.DoubleScoreMark), false);
    PlaySound("soccer/v_DblScr.wav", 0, true);
    Soccer.Multiplier = 2;
    Soccer.DoubleScore.Start();
    Soccer.DoubleScoreHits = 0;
    Sounds.Chant.Play(true);
}

void Defender(int defender) {
    if (defender < 0 || defender >= kMarks || Soccer.DefenderDown[defender]) return;
    sndBall.Stop();
    PlaySound("soccer/GHitVist.wav", PanFor(Ball.X, 25, 200), true, SoundClass::Effects);
    RecordHalf();
    Soccer.DefenderDown[defender] = true;
    PlaySound(kDefenderVoices[defender], 0, true);
    RecordBounce();
    LowerSpeed(kDefenderSlowdown);
    AddScore(kDefenderValue);
    PlayAtBall(Sounds.BallKick);
    sndBall.Play(true);
    VisitorsKickOff();
}

void Offside() {
    sndBall.Stop();
    StopBlockWarning();
    EndDoubleScore();
    PlaySound("soccer/v_OffSid.wav", PanFor(Ball.X, 26, 200), true);
    PlaySound(Soccer.UpperHalf ? "soccer/v_TIBHT.wav" : "soccer/v_TIBV.wav", 0, true);
    Sounds.Kick[3].SetPan(0);
    Sounds.Kick[3].Play(false);
    Ball.Speed = SpeedFactor;
    RecordHalf();
    const bool left = Ball.X < kHalfway;
    const ThrowIn& to = Soccer.UpperHalf ? (left ? kHomeThrowInLeft : kHomeThrowInRight)
                                         : (left ? kVisitorsThrowInLeft : kVisitorsThrowInRight);
    Ball.X = to.x;
    Ball.Y = to.y;
    Ball.Direction = to.direction + float(DrawUpTo(kThrowInSpread));
    sndBall.Play(true);
}

void Cards(uint8_t kind) {
    if (DrawUpTo(4) != kCardDraw) return;
    if (kind == 1) {
        PlaySound("soccer/v_YCard.wav", 0, true);
        return;
    }
    Randomize();
    PlaySound(DrawUpTo(1) == 0 ? "soccer/v_RCard1.wav" : "soccer/v_RCard2.wav", 0, true);
}

void StatusReport() {
    HeldLoops held(kTable.loops);
    SayScore();
    SayBothSides();
    SayBallsLeft(Game.BallsLeft);
}

void PlaceAfterTilt() {
    Ball.X = kKickSpotX;
    Ball.Y = kHomeRestartY;
    Ball.Direction = float(DrawUpTo(32));
}

void Horn() { PlaySound("soccer/gohorn.wav", 0, true, SoundClass::Effects); }

void MatchResult() {
    SayBothSides();
    if (Soccer.HomeGoals == Soccer.VisitorGoals) {
        PlaySound("soccer/v_TGWT.wav", 0, true);
        return;
    }
    PlaySound("soccer/v_TGWWB.wav", 0, true);
    const bool won = Soccer.HomeGoals > Soccer.VisitorGoals;
    PlaySound(won ? "soccer/v_HomeTm.wav" : "soccer/v_Vistrs.wav", 0, true);
    PlaySound(won ? "soccer/GameWon.wav" : "soccer/GameLost.wav", 0, true, SoundClass::Effects);
}

}  // namespace tamblor::soccer
