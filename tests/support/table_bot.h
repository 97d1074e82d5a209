// The core of the bots that play whole games on the scripted platform the
// way a listening player would: launch when the prompt sounds, answer the
// game-over prompt, and now and then pause, ask for the status, turn the
// music, press a flipper or tilt; fire from an aim scan when the cue it
// wants sounds. It decides only from what it hears (the sound log). A
// table's bot configures it with its own cues: which started sound counts
// as which event, which events are progress, which scan cues are targets
// and what reaching each target sounds like.
#pragma once

#include <chrono>
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
// and the new high score are events of no cell, and the shared floor beep
// and bumper answer of an aim scan are scan cues.
struct BotCues {
    // A started sound and the event it counts (a cell event unless listed
    // in `notCellEvents`).
    std::map<std::string, std::string> events;
    std::vector<std::string> notCellEvents;
    // Events that are progress; a roll without any for too long is a stuck ball.
    std::vector<std::string> progress;
    // Sounds that mean an aim scan is sweeping, besides the shared ones.
    std::vector<std::string> scanCues;
    // A target cue of a scan and the event (or event prefix) that reaching it counts.
    std::map<std::string, std::string> targets;
    uint64_t reachWithinMs = 10000;  // game time a shot has to reach its target
    bool fireBothShifts = false;     // a shot presses both Shift keys, not one of them at random
    // On the tables with flippers: how often the drain warning gets a
    // flipper press in time (classic mode); a side is chosen whenever an aim
    // waits for one (accessible mode).
    double flipChance = 0;
};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // every step is slower: a few games, for memory faults more than coverage
#else
constexpr bool kSanitized = false;
#endif

// The number of games a bot test plays: `games`, `sanitized` under the
// sanitizers, or TAMBLOR_BOT_GAMES when set (a longer search for stuck
// balls after a map change).
int BotGames(int games, int sanitized);

// Prints a bot's figures, one line of figures and one of events, each
// beginning with "[ bot <label> ]".
void ReportBotFigures(const std::string& label, const BotFigures& figures, double wallSeconds);

// The map cell under the ball: what a bot reads from the game for its report only.
const MapCell& BallCell();

// Fails for each of `events` that none of `figures` reached.
void ExpectReached(const std::vector<const BotFigures*>& figures, const std::vector<std::string>& events,
                   const std::string& where = "");

class TableBot {
public:
    TableBot(ScriptedPlatform& platform, BotFigures& figures, BotCues cues);
    virtual ~TableBot() = default;

    // Plays one game as the main menu starts it, until the main menu. The
    // game ends by the loss of the last ball, a tilt, or Escape once it has
    // run `budgetMs` of game time.
    void PlayGame(const TableDesc& table, uint64_t seed, uint64_t budgetMs);
    const BotFigures& Figures() const { return figures_; }

protected:
    // The table's own listening; called for every sound event before the
    // core's. Return true when the event was fully handled.
    virtual bool Hear(const SoundEvent&) { return false; }
    // The target cue to wait for in a scan starting now ("" for any).
    virtual std::string ChooseTarget() { return ""; }
    // The table's own move while the ball rolls; true when it made one.
    virtual bool Move(uint64_t) { return false; }
    // Called at the start of each game.
    virtual void NewGame() {}

    void Tap(uint64_t delayMs, uint8_t key, uint64_t holdMs = 60);
    void Count(const std::string& event);
    void Fire();
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    uint8_t RandomShift() { return Chance(0.5) ? scan::LeftShift : scan::RightShift; }
    uint64_t Now() const { return platform_.NowMs(); }

    static bool Started(const SoundEvent& e) { return e.op == "play" || e.op == "loop"; }
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

// A bot test's games. Each Play plays seeded games of the table in one game
// mode, reports the bot's figures and fails when a game was lost or a ball
// rolled on for more than three minutes without progress (or, when asked,
// `quietLimitMs` without any cell event). On leaving, every ball must have
// stayed on the field and, without the sanitizers, the games must have
// taken less than two minutes of wall time.
class BotSession {
public:
    BotSession(ScriptedPlatform& platform, const TableDesc& table, uint64_t budgetMs, uint64_t quietLimitMs = 0);
    ~BotSession();
    // `count` games with the seeds `first`, `first + step`, ...
    void Play(TableBot& bot, uint8_t mode, int count, uint64_t first, uint64_t step, const std::string& label);

private:
    ScriptedPlatform& platform_;
    const TableDesc& table_;
    uint64_t budgetMs_, quietLimitMs_;
    uint32_t guardResets_;
    std::chrono::steady_clock::time_point started_;
};

}  // namespace tamblor::test
