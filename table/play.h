// Pieces of the table loops that every table shares: the in-play keys with
// their edge rules, spoken reports, the extra-ball and new-high-score checks,
// the classic flipper window, and the end of a game.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace tamblor {

class SoundSlot;

// ------------------------------------------------------------------ keys ---

// A command key that acts once per press: it is down and no command key was
// down at the end of the previous pass.
bool CommandPress(uint8_t scanCode);

// Stops `loops` (and the scan-wait loop while a scan waits for a side),
// pauses, then starts them looping again. Null entries are skipped.
void PauseAround(std::initializer_list<SoundSlot*> loops);

// Delete (one step down while the level is above `quietest`), Page Down
// (one step up while below 0) and End (full), each once per press; the new
// level of the table's stored music volume goes to `music`.
void MusicVolumeKeys(int table, SoundSlot& music, int16_t quietest = -10000);

// Either Shift, once per press: the flipper sound, and in classic game mode
// (when the table has flippers) the flipper window opens.
void FlipperKeys(bool tableHasFlippers);

// A Space still held from the launch prompt must not count as a new press
// (it would skip a table or block at once).
void LatchHeldSpace();

// ------------------------------------------------------------- reports ---

// "You have" score "points".
void SayScore();
// "You have" count "ball left" / "balls left".
void SayBallsLeft(int count);

// ------------------------------------------------------------ the loop ---

// Score above ExtraBallLevel x 10,000,000 (strictly).
bool ExtraBallDue();
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

// Classic mode's drain warning: sndProxBeep loops (pan 0, pitch rising with
// the row) while the ball is in the table's box above the drain, heading down.
void ProximityWarning(bool ballInBox);

// ------------------------------------------------------------ game end ---

// "Game over", a better untilted score stored as the table's best (with its
// cue), the settings saved, then "Your score was" score "points".
void AnnounceGameOver(int table);

// The press-any-key prompt, the table's sounds released, and a fresh main
// menu: every game ends here.
[[noreturn]] void LeaveTable(void (*unload)());

}  // namespace tamblor
