// A bot that plays the Pac Man table on the scripted platform the way a
// listening player would: it launches when the prompt sounds, fires from a
// launch hole when a cue it wants sounds (a ghost in power mode, the fruit,
// a pill, a tunnel), skips a table when the siren's last pitch step says
// few dots are left, and now and then pauses, asks for the status, turns
// the music, or tilts. It decides only from what it hears (the sound log);
// what it reached is read from the game state for the report.
#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>

#include "platform/scripted_platform.h"

namespace tamblor::test {

struct PacManBotFigures {
    int games = 0;
    uint64_t playMs = 0;        // game time: while the ball rolls
    double totalScore = 0;
    uint64_t longestQuietMs = 0;  // longest rolling stretch without a cell event
    // Longest rolling stretch between two turns of the player's (a launch
    // hole, a lost ball, a new table): a ball caught in a loop that only
    // meets bumpers shows here.
    uint64_t longestRollMs = 0;
    std::map<std::string, int> events;
};

class PacManBot {
public:
    PacManBot(ScriptedPlatform& platform, PacManBotFigures& figures);

    // Plays one game from the table's loader to the main menu. The game ends
    // by the loss of the last ball, a tilt, or Escape once it has run
    // `budgetMs` of game time.
    void PlayGame(uint64_t seed, uint64_t budgetMs);

private:
    void OnYield();
    void Hear(const SoundEvent& e);
    void StartScan();
    void Fire();
    void Tap(uint64_t delayMs, uint8_t key, uint64_t holdMs = 60);
    void Count(const std::string& event) { ++figures_.events[event]; }
    void CellEvent() { quietMs_ = 0; }
    void Turn() { rollMs_ = 0; }
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    ScriptedPlatform& platform_;
    PacManBotFigures& figures_;
    std::mt19937_64 rng_;

    uint64_t lastMs_ = 0;
    uint64_t budgetMs_ = 0;
    uint64_t gamePlayMs_ = 0;
    uint64_t quietMs_ = 0;
    uint64_t rollMs_ = 0;
    bool rolling_ = false;
    bool power_ = false;
    bool ended_ = false;       // Escape pressed, or the game is over
    uint64_t fruitUntil_ = 0;  // the fruit heard appearing is there until then
    uint64_t busyUntil_ = 0;   // no new action of the bot's own before this

    // The launch hole being aimed from.
    bool inScan_ = false;
    bool fired_ = false;
    std::string wanted_;       // the cue to fire at
    uint64_t fallbackAt_ = 0;  // fire anyway then

    // Few dots left: skip at this time (0: not planned).
    uint64_t skipAt_ = 0;
    bool tenLeft_ = false;

    uint64_t nextStatus_ = 0, nextPause_ = 0, nextVolume_ = 0, nextFlipper_ = 0;
    bool tiltThisGame_ = false;
    uint64_t tiltAt_ = 0;
};

}  // namespace tamblor::test
