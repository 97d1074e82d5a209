// The play engine every table shares: the ball, its step, how it bounces off
// walls, and the game state the tables have in common. Tables keep only what
// differs (their cell codes, sounds and events) and call these pieces.
#pragma once

#include <cstdint>

namespace tamblor {

// Headings in 1/128ths of a turn.
namespace heading {
constexpr float UpLeft = 0, Up = 16, UpRight = 32, Right = 48, DownRight = 64, Down = 80, DownLeft = 96,
                Left = 112;
}

struct BallState {
    float X = 0;          // map column, growing to the right
    float Y = 0;          // map row, growing toward the player
    float Direction = 0;  // heading in 1/128ths of a turn
    float Speed = 0;      // one step every 70 - 20 x Speed ms
};

extern BallState Ball;

constexpr int kBounceHistorySize = 17;  // indices 0..16; 0 is never written

// Game state the tables share; each table's loader resets it.
struct SharedGameState {
    double Score = 0;
    uint8_t BallsLeft = 2;  // spare balls; the one in play is not counted
    uint8_t ExtraBallLevel = 1;
    bool GameRunning = false;
    bool Tilted = false;
    bool HighScoreAnnounced = false;
    int32_t LastStepTick = 0;
    uint8_t BounceHistory[kBounceHistorySize] = {};
    uint8_t BounceIndex = 1;  // next entry written, 1..16
    bool ScanDone = false;
    bool ScanWaiting = false;  // an aim scan waits for a side to be chosen
    bool FlipperUp = false;
    uint32_t FlipperTick = 0;
    uint8_t TableLevel = 0;  // a table's own difficulty counter
    bool WarningPlaying = false;  // a warning loop sounds (the ball is in its box)
    uint32_t SpeedDecayTick = 0;  // last time a slowing ball lost speed
    // Practice: a ball that would be lost comes back, and no best score is kept.
    bool Practice = false;
};

extern SharedGameState Game;

// How often a field guard has had to put an escaped ball back: a map that
// leaks. Tests watch it; nothing in the game reads it.
extern uint32_t FieldGuardResets;

// ------------------------------------------------------------- the step ---

struct StepVector {
    float dx;  // subtracted from X at each step
    float dy;  // subtracted from Y
};

// TransformPoint of (1, 1, 1) turned by `degrees`; a step is sqrt(2/3) long.
StepVector StepForAngle(float degrees);
// The same for a heading (heading x 2.8125 degrees).
StepVector StepForHeading(float direction);

// Moves the ball one step along its heading.
void MoveBall();

// The ball steps when more than 70 - 20 x Speed ms have passed since the
// last step (strictly, compared as floating point).
bool BallStepDue(uint32_t now);

// -------------------------------------------------------------- the map ---

// round(v), halves to the even neighbour, kept inside the map array.
int MapIndex(float v);

struct CellRead {
    uint8_t code = 0;
    uint8_t number = 0;  // the cell's second byte
};

// The five cells a cell handler reads: the ball's own (C) and the ones above
// (U), below (D), left (L) and right (R). Each neighbour is found by rounding
// the shifted coordinate (U at round(Y - 1)), not by shifting the rounded one.
struct CellsAround {
    int x = 0, y = 0;  // the ball's rounded cell
    int up = 0, down = 0, left = 0, right = 0;  // the rows and columns U, D, L and R were read from
    CellRead C, U, D, L, R;
};

CellsAround ReadCellsAround(float x, float y);

// True when the ball lies outside lo..hi (inclusive) on either axis, or its
// position is not a number; counts the reset the caller will make.
bool BallOutsideField(float lo, float hi);

// -------------------------------------------------------- wall bounces ---

enum class Side { Down, Up, Left, Right };

// The mirror rules of each side (floor and ceiling 96 - a, side walls
// 32 - a, modulo 128, with the exact bounds the game was tuned with), and a
// random spread of +-10 around the opposite axis for a ball running exactly
// along an axis into the wall.
void Reflect(Side side, float& direction);

// The anti-repeat nudge: records the rounded heading and, for every earlier
// pair of records the last two repeat, turns the ball by `nudge` (back, or
// either way at random when `eitherWay` is set).
void RecordBounce(float nudge = 4, bool eitherWay = false);

// Lowers Speed by `by` while it is above -0.7 (worked in double, as the
// game was tuned, then kept as a float).
void LowerSpeed(double by);

// What differs between tables in a wall hit.
struct BounceStyle {
    float nudge = 4;
    bool recordOutgoing = true;  // also record the heading after the reflection
    double speedLoss = 0.1;
    int lossCount = 1;           // how many times the loss is taken
    // A closed path can hold its nudges inside it: the same nudge at the
    // same place each time round keeps the ball on it for good. When set, a
    // nudge turns the ball either way at random, which no path can repeat;
    // but a pocket that a fixed nudge turns the ball out of in a few rounds
    // can then hold it for minutes (a large nudge, as Haunted House's), so
    // each table keeps the one its bot finds no stuck ball with.
    bool nudgeEitherWay = false;
};

constexpr BounceStyle kPacManBounce{4, true, 0.1, 1, true};

// A wall hit on one side: record, slow down, reflect, (record). Sounds and
// scores stay with the table.
void WallBounce(Side side, const BounceStyle& style = kPacManBounce);

// A heading brought into 0 up to (not including) 128: a sum that has gone a
// turn round (a shot's correction past 127 or below 0) is the same heading,
// and only headings in that range meet the walls' mirror rules.
float WrappedHeading(float direction);

// --------------------------------------------------------------- draws ---

// round(Rnd x n): a whole number 0..n, both ends half as likely.
int DrawUpTo(float n);

}  // namespace tamblor
