// The Soccer Star table: a football match on a pinball field. The player is
// the home team, defends the goal at the bottom with the keeper's block
// (Space) and attacks the visitors' net at the top through two aimed shots:
// the kick-off from the home goal and the striker's shot in the attacking
// half. Goals against cost balls and the fifth ends the match.
#pragma once

#include <cstdint>

#include "audio/sound.h"
#include "table/ball.h"
#include "table/play.h"
#include "table/table.h"

namespace tamblor::soccer {

extern const TableDesc kTable;

constexpr int kMarks = 5;  // letters, double-score targets and defenders, by second byte 0..4

struct SoccerState {
    uint8_t HomeGoals = 0;
    uint8_t VisitorGoals = 0;  // the fifth ends the match
    int Multiplier = 1;        // 2 while double score runs
    TableTimer DoubleScore;    // running while double score is on
    uint8_t DoubleScoreHits = 0;
    bool DoubleScoreMark[kMarks] = {};
    bool GoalMode = false;  // the letters spell GOAL; clear: SAVE
    uint8_t SaveProgress = 0;
    uint8_t GoalProgress = 0;
    bool SaveMark[kMarks] = {};
    bool GoalMark[kMarks] = {};
    bool SaveArmed = false;  // the next ball into the home goal is saved
    bool DefenderDown[kMarks] = {};
    bool MidfieldArmed = false;
    bool MidfieldOpen = false;  // kept from one match to the next
    TableTimer Midfield;        // since the midfield last opened, closed or was reset
    TableTimer Block;           // running while the keeper blocks
    bool UpperHalf = false;     // the ball was in the visitors' half at the last event that records it
    bool StrikerAim = false;
};

extern SoccerState Soccer;

struct SoccerSounds {
    SoundSlot Kick[4], BallKick, DoubleScore, Block, Crowd, Chant, MidfieldMusic, BlockWarning, ScanDefender,
        ScanDoubleScore, ScanMidfield, ScanNet, ScanLetter, ScanFlip;
};

extern SoccerSounds Sounds;

// Cell codes of this table.
namespace code {
constexpr uint8_t Floor = 0;
constexpr uint8_t Wall = 1;
constexpr uint8_t Card = 12;
constexpr uint8_t Net = 18;  // the visitors' net above the ball, the home goal under it
constexpr uint8_t Midfield = 19;
constexpr uint8_t GoalLine = 20;
constexpr uint8_t Spot = 29;  // the striker's spot in the upper half, the keeper's in the lower
constexpr uint8_t Letter = 31;
constexpr uint8_t Offside = 32;
constexpr uint8_t Defender = 34;
constexpr uint8_t DoubleScore = 35;
constexpr uint8_t Bumper = 36;
}  // namespace code

// The pieces of the table, in the order the loop uses them; exposed for the
// tests, which drive them one at a time.
void StartOfPlay();
void HandleCell();
void BlockWarning();
void Keys();
void Timers();
// The kick-off (from the home goal) or the striker's aim; true when a shot
// was taken.
bool AimedShot(bool striker);
void ShotAtVisitorsGoal(uint8_t difficulty);
void BallInHomeGoal();
void KeeperSave();
void LetterTarget(int position);
void DoubleScoreTarget(int index);
void Defender(int defender);
void Offside();
void Cards(uint8_t kind);
void StatusReport();
// A shot at a net of difficulty b scores when round(draw x b) is exactly 1.
bool ShotScores(uint8_t difficulty, float draw);

}  // namespace tamblor::soccer
