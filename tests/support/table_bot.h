// The core of the bots that play whole games on the scripted platform the
// way a listening player would: launch when the prompt sounds, answer the
// game-over prompt, and now and then pause, ask for the status, turn the
// music, press a flipper or tilt; fire from an aim scan when the cue it
// wants sounds. It decides only from what it hears (the sound log). A
// table's bot configures it with its own cues: which started sound counts
// as which event, which events are progress, which scan cues are targets
// and what reaching each target sounds like.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/keyboard.h"
#include "platform/scripted_platform.h"

namespace tamblor {
struct TableDesc;
struct MapCell;
}

namespace tamblor::test {

struct BotFigures {
    int games = 0;
    uint64_t playMs = 0;  // game time: while the ball rolls
    double totalScore = 0;
    uint64_t longestQuietMs = 0;  // longest rolling stretch without any cell event
    uint64_t longestStallMs = 0;  // longest rolling stretch without progress
    uint64_t longestStallSeed = 0;  // the game it was in, to replay it
    int shotsAtTargets = 0;       // shots fired while a wanted target's cue sounded
    int targetsReached = 0;       // of those, the ones whose target was reached within the time allowed
    std::map<std::string, int> events;
};

// What every table's bot hears the same way: the table's extra-ball voice
// and the new high score are events of no cell, the drain's flush is
// "drained", and the shared floor beep and bumper answer of an aim scan are
// scan cues.
struct BotCues {
    // A started sound and the event it counts (a cell event unless listed
    // in `notCellEvents`).
    std::map<std::string, std::string> events;
    // A sound (or the start of the names of several) that counts its event
    // twice: as it is, and followed by the number of the ball's cell.
    std::map<std::string, std::string> numbered;
    std::vector<std::string> notCellEvents;
    // Every event is progress but those that start with one of these (and
    // a bumper or the new high score); a roll without progress for too long
    // is a stuck ball.
    std::vector<std::string> idle;
    // The events the table's own listening counts: with those of `events`
    // and `numbered`, every event its bot must reach.
    std::vector<std::string> heard;
    // Sounds that mean an aim scan is sweeping, besides the shared ones.
    std::vector<std::string> scanCues;
    // A target cue of a scan and the event (or event prefix) that reaching it counts.
    std::map<std::string, std::string> targets;
    uint64_t reachWithinMs = 10000;  // game time a shot has to reach its target
    bool fireBothShifts = false;     // a shot presses both Shift keys, not one of them at random
    // A shot in a side's sweep is pressed this long (and up to 25 ms more)
    // after its cue, as a player reacts; 0: at once.
    int sideShotLateMs = 0;
    // On the tables with flippers: how often the drain warning gets a
    // flipper press in time (classic mode); a side is chosen whenever an aim
    // waits for one (accessible mode).
    double flipChance = 0;
};

// The map cell under the ball: what a bot reads from the game for its report only.
const MapCell& BallCell();

// Cues by the short names of a table's folder (see Member).
std::map<std::string, std::string> InFolder(const std::string& folder,
                                            std::initializer_list<std::pair<const char*, const char*>> events);
std::vector<std::string> InFolder(const std::string& folder, std::initializer_list<const char*> names);

class TableBot {
public:
    // A table's bot sets its own cues as it is made.
    TableBot(ScriptedPlatform& platform, BotFigures& figures, BotCues cues = {});
    virtual ~TableBot() = default;

    // Plays its one game (a bot is one player, for one game) as the main
    // menu starts it, until the main menu. The game ends by the loss of the
    // last ball, a tilt, or Escape once it has run `budgetMs` of game time.
    void PlayGame(const TableDesc& table, uint64_t seed, uint64_t budgetMs);
    // Counts an event the bot heard, or one its table's test saw in the game.
    void Count(const std::string& event);
    // Every event of its table's cues (as made, without the shared ones).
    std::vector<std::string> EveryEvent() const;

protected:
    // The table's own listening; called for every sound event before the
    // core's. Return true when the event was fully handled.
    virtual bool Hear(const SoundEvent&) { return false; }
    // The target cue to wait for in a scan starting now ("" for any).
    virtual std::string ChooseTarget() { return ""; }
    // The table's own move while the ball rolls; true when it made one.
    virtual bool Move(uint64_t) { return false; }

    void Tap(uint64_t delayMs, uint8_t key, uint64_t holdMs = 60);
    void Fire();
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    uint8_t RandomShift() { return Chance(0.5) ? scan::LeftShift : scan::RightShift; }
    uint64_t Now() const { return platform_.NowMs(); }

    static bool Started(const SoundEvent& e) { return e.op == "play" || e.op == "loop"; }
    static bool Contains(const std::vector<std::string>& list, const std::string& s) {
        return std::find(list.begin(), list.end(), s) != list.end();
    }
    // Follows a loop of `label`: `on` while it loops; true when it stops after looping.
    static bool FollowLoop(const SoundEvent& e, const std::string& label, bool& on);

    ScriptedPlatform& platform_;
    BotFigures& figures_;
    BotCues cues_;
    bool rolling_ = false;
    bool inScan_ = false;
    bool warned_ = false, choosingSide_ = false;
    bool ended_ = false;
    uint64_t busyUntil_ = 0;  // no new move of the bot's own before this
    uint64_t gamePlayMs_ = 0;

private:
    void OnYield();
    void HearCore(const SoundEvent& e);
    void StartScan();

    std::mt19937_64 rng_;
    uint64_t lastMs_ = 0, budgetMs_ = 0, quietMs_ = 0, stallMs_ = 0;
    bool fired_ = false;
    std::string wanted_;
    uint64_t fallbackAt_ = 0;
    // The last shot at a target: what reaching it sounds like, and until when.
    std::string shotTarget_;
    const char* extraBallVoice_ = nullptr;
    uint64_t shotUntilPlayMs_ = 0;
    uint64_t nextStatus_ = 0, nextPause_ = 0, nextVolume_ = 0, nextFlipper_ = 0, tiltAt_ = 0;
    bool tiltThisGame_ = false;
};

}  // namespace tamblor::test
