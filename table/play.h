// Pieces of play that every table shares: in-play key rules, spoken reports,
// the extra-ball and new-high-score checks, the classic flipper window, the
// warning loops, table timers, and the scoped hold on looping sounds that
// every blocking cue uses.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "table/ball.h"

namespace tamblor {

class SoundSlot;

// ------------------------------------------------------- looping sounds ---

// Stops whichever of the given sounds (and the ball, the scan-wait loop and
// the drain warning) are looping, and starts exactly those looping again when it goes out of
// scope, unless the scope is left by an exception (the ball or the game is
// over then, and whatever comes next starts its own sounds).
class HeldLoops {
public:
    explicit HeldLoops(std::span<SoundSlot* const> loops);
    HeldLoops(std::initializer_list<SoundSlot*> loops)
        : HeldLoops(std::span<SoundSlot* const>(loops.begin(), loops.size())) {}
    ~HeldLoops();
    HeldLoops(const HeldLoops&) = delete;
    HeldLoops& operator=(const HeldLoops&) = delete;

private:
    static constexpr int kMax = 12;
    SoundSlot* held_[kMax] = {};
    int count_ = 0;
    int exceptions_ = 0;
};

// The pause key: everything looping stops, the pause runs, it all comes
// back; the key that ended the pause does nothing more.
void PauseTable();

// Says a controller plugged in or unplugged; an unplug then pauses as P
// would, so the ball waits until the player has a way to play it.
void PadNewsInPlay();

// ------------------------------------------------------------------ keys ---

// Delete (one step down while the level is above `quietest`), Page Down
// (one step up while below 0) and End (full), each once per press; the new
// level of the table's stored music volume goes to `music`.
void MusicVolumeKeys(int table, SoundSlot& music, int16_t quietest = -10000);

// Either Shift: the flipper sound at the given pans, and in classic game
// mode (when the table has flippers) the flipper window opens. `gated`:
// once per press.
void FlipperKeys(bool tableHasFlippers, bool gated = true, int32_t leftPan = 0, int32_t rightPan = 0);

// A voice that any key cuts short (a briefing, a job done), played while a
// table is in play: the key that cut it is spent until it is let go, so it
// cannot also fire the launcher or block in a duel that comes next.
void PlayAndWaitInPlay(const std::string& member);

// ------------------------------------------------------------- reports ---

// "You have" score "points".
void SayScore();
// "You have" count "ball left" / "balls left".
void SayBallsLeft(int count);

// ------------------------------------------------------------ the loop ---

// Score above ExtraBallLevel x 10,000,000 (strictly).
bool ExtraBallDue();
// Score above ExtraBallLevel x `every` (strictly).
bool ExtraBallDue(double every);
// One more ball and level, and `points`.
void AwardExtraBall(double points);

// The new-high-score cue, once per game, when a best score is stored for
// the table, the score beats it and the game is not tilted.
void NewHighScoreCue(int table);

// Classic flipper window: closes more than 1000 ms after it opened.
void CloseFlipperWindow();
// A ball reaching the drain with the flipper up is sent back: base speed,
// floor reflection. False when the flipper is down.
bool FlipperCatchesBall();

// A warning loop that sounds while the ball is inside a box: started (at
// `pan` and `hz`) as the ball enters, stopped as it leaves. `followPitch`
// retunes it to `hz` on every pass while it plays. One warning sounds at a
// time; Game.WarningPlaying says whether it does.
void WarnWhileInside(SoundSlot& loop, bool inside, int32_t pan, float hz, bool followPitch);

// Classic mode's drain warning: sndProxBeep at pan 0, its pitch set by the
// row as the ball enters the table's box above the drain heading down.
void DrainWarning(bool ballInBox);

// The speed a ball loses between hits on the tables where it slows down:
// 0.025 every 70 ms while above 1.
void DecaySpeed();

// A table's timer over the real tick.
class TableTimer {
public:
    void Start();
    void Stop() { running_ = false; }
    bool Running() const { return running_; }
    uint32_t Elapsed() const;
    // Running and more than `ms` have passed since it started.
    bool Expired(uint32_t ms) const { return running_ && Elapsed() > ms; }

private:
    uint32_t start_ = 0;
    bool running_ = false;
};

// -------------------------------------------------------------- sounds ---

// Pans `sound` to the ball's column, (X - 26) x 400, and plays it once.
void PlayAtBall(SoundSlot& sound);

// ------------------------------------------------------------- the walls ---

struct WallSide {
    Side side;
    CellRead cell;
};

// The four sides of a cell read, in the order walls are tested: down, up,
// left, right.
std::array<WallSide, 4> SidesInOrder(const CellsAround& cells);

// A hard wall: the ball leaves it at the base speed, with the second
// bumper's knock at the ball (it scores nothing).
void HardWallHit();

// ------------------------------------------------------------ the duels ---

// One pass of a wait that holds the ball (a duel): polls the keyboard,
// yields, ends the game on Escape as play does, and runs the in-play keys.
// Returns the milliseconds the keys took (a pause, a status report), which
// a timed wait leaves out of its time.
uint32_t HeldBallPass();


// --------------------------------------------------------------- sweeps ---

// A sweep's dwell on each position on the tables that quicken with their
// level: 150 ms, 4 ms less for each level, and never below none.
uint32_t LevelDwellMs(int level);

}  // namespace tamblor
