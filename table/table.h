// One table loop for every table. A table describes itself in a TableDesc
// (its sounds, map, music, keys and the hooks for its own rules); RunTable
// then owns loading, the intro, the launch prompt, the ball entry and its
// loop, lost balls, the tilt and the game end.
//
// Leaving a pass: a new ball entry (a tilt or a lost ball with a spare, a
// new table) throws RestartPlay, which only the ball-entry loop catches; the
// end of a game throws ReturnToMainMenu. So the stack never grows however
// long a game runs.
#pragma once

#include <cstdint>
#include <span>

#include "core/table_registry.h"
#include "platform/platform.h"
#include "table/ball.h"

namespace tamblor {

class SoundSlot;

struct TableSound {
    SoundSlot* slot;
    const char* member;
    bool stereo = false;  // music and ambiences made in stereo
    // The volume it answers to; the table's music (below) is music whatever
    // this says.
    SoundClass soundClass = SoundClass::Effects;
};

struct TableDesc {
    TableId id;                    // settings index and menu entry
    const char* mapMember;         // "pacman/pacman.map"
    const char* mapFile;           // the name it is extracted and loaded as
    const char* intro = nullptr;   // played before the first launch, skippable
    SoundClass introClass = SoundClass::Speech;
    std::span<const TableSound> sounds;  // created at load, released at the end
    // The table's loops (music and the like). Whatever of them is looping
    // stops for every blocking cue of the engine and comes back after it.
    std::span<SoundSlot* const> loops;
    SoundSlot* music = nullptr;    // what the music-volume keys turn
    int16_t quietestMusic = -10000;
    const char* extraBallVoice = nullptr;
    double extraBallEvery = 10000000;          // an extra ball above each level x this score

    // Play rules that differ between tables.
    BounceStyle bounce{};
    bool hasFlippers = false;          // the classic flipper window and the drain warning
    bool shiftGated = true;            // Shift clicks once per press, not on every pass
    int32_t flipperPanLeft = 0;        // where the flipper click of each Shift sounds
    int32_t flipperPanRight = 0;
    bool escapeForfeitsScore = false;  // Escape in play sets the score to 0 first
    bool lostBallReentersPlay = true;  // false: play goes on in the same loop
    bool turnsBackBelowField = false;  // a ball below row 50 is sent up (heading 12) before it steps
    bool speedDecays = false;          // the ball slows toward speed 1 between hits
    float ballPanScale = 400;          // the rolling ball's pan per column from column 25

    // Hooks; nullptr where the table has nothing to add.
    void (*reset)() = nullptr;          // at load, after the shared state is reset
    void (*startOfPlay)() = nullptr;    // each ball entry, before its loop
    void (*handleCell)() = nullptr;     // after each step of the ball
    void (*afterTick)() = nullptr;      // each pass after the ball tick (warning boxes)
    void (*keys)() = nullptr;           // the table's own keys, after tilt and before status
    void (*timers)() = nullptr;         // each pass after the keys
    void (*statusReport)() = nullptr;   // the S key
    void (*onTilt)() = nullptr;         // after the loops stop, before "tilt" is said
    void (*onBallLost)() = nullptr;     // a spare is about to be taken (its words, the ball's place)
    void (*afterRelaunch)() = nullptr;  // a lost ball relaunched, on tables that play on
    void (*beforeGameOver)() = nullptr; // first words of the game end
    void (*finalWords)() = nullptr;     // after "your score was ... points"
    void (*unload)() = nullptr;         // the table's own clean-up, before its sounds go

    // The table's score multiplier, which the extra ball's points take too.
    int (*scoreMultiplier)() = nullptr;
    // S reports only while no command key is held (on most tables S repeats
    // whatever else is down).
    bool statusWaitsForCommandKeys = false;
};

// The table being played; set by LoadTable.
extern const TableDesc* CurrentTable;

// Thrown to start the ball entry again; caught only by the ball-entry loop.
struct RestartPlay {};

// From the main menu: loads the table, says its intro, asks for the first
// launch and plays until the game ends. Leaves only by ReturnToMainMenu.
// In practice (Game.Practice) no ball is lost and no best score is kept.
[[noreturn]] void RunTable(const TableDesc& table, bool practice = false);

// The pieces RunTable is made of, for the tests.
void LoadTable(const TableDesc& table);
[[noreturn]] void PlayFromBallEntry();
// One pass of the loop after the keyboard poll and yield; false once the
// game is over (Escape).
bool PlayPass();
void BallTick();
void InPlayKeys();
// The extra ball above each ten million, with the table's voice and its
// loops silenced meanwhile.
void ExtraBallCheck();

// Stops the table's loops and the ball and releases the table's sounds;
// safe to call twice.
void UnloadTable(const TableDesc& table);

// The launch prompt for a new ball; the Space that launched it is spent.
void Relaunch();

// Leaves the current pass for a new ball entry.
[[noreturn]] void RestartBallEntry();

// A lost ball: with no spare the game ends; otherwise the table has its
// say, a spare is taken, the next ball is launched, and play restarts or
// goes on as the table plays.
void LoseBall();

// Where a ball is lost and the table goes on its own way (a tilt, a goal
// against, a lost fight): with no spare the game ends, otherwise one is
// taken, and then the game ends too when `lastBall` says so. In practice
// nothing is taken and nothing ends: "practice: ball back" is said.
void TakeSpareBall(bool lastBall = false);

// The S key: the table's report, first saying "practice" in practice.
void SayStatus();

// The Enter key: the game is tilted (no best score) and the ball is lost.
void Tilt();

// The end of every game: a better untilted score is stored at once (before
// anything is said, so closing the game during the voices loses nothing),
// then "game over", the score, a key press, and a fresh main menu.
[[noreturn]] void EndGame();

}  // namespace tamblor
