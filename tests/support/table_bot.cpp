#include "support/table_bot.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "table/ball.h"
#include "table/table.h"
#include "table/table_map.h"

namespace tamblor::test {

namespace {
constexpr uint64_t kRefireAfterMs = 2000;  // a shot the scan did not take
constexpr uint64_t kStallLimitMs = 3 * 60 * 1000;

bool Contains(const std::vector<std::string>& list, const std::string& s) {
    return std::find(list.begin(), list.end(), s) != list.end();
}
}  // namespace

int BotGames(int games, int sanitized) {
    const char* asked = std::getenv("TAMBLOR_BOT_GAMES");
    return asked && std::atoi(asked) > 0 ? std::atoi(asked) : kSanitized ? sanitized : games;
}

void ExpectReached(const std::vector<const BotFigures*>& figures, const std::vector<std::string>& events,
                   const std::string& where) {
    for (const std::string& event : events) {
        int reached = 0;
        for (const BotFigures* f : figures) reached += f->events.count(event) ? f->events.at(event) : 0;
        EXPECT_GT(reached, 0) << where << event;
    }
}

BotSession::BotSession(ScriptedPlatform& platform, const TableDesc& table, uint64_t budgetMs, uint64_t quietLimitMs)
    : platform_(platform), table_(table), budgetMs_(budgetMs), quietLimitMs_(quietLimitMs),
      guardResets_(FieldGuardResets), started_(std::chrono::steady_clock::now()) {}

BotSession::~BotSession() {
    EXPECT_EQ(FieldGuardResets, guardResets_);
    const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    if (!kSanitized) {
        EXPECT_LT(wallSeconds, 120);
    }
}

void BotSession::Play(TableBot& bot, uint8_t mode, int count, uint64_t first, uint64_t step, const std::string& label) {
    const auto from = std::chrono::steady_clock::now();
    const int games = bot.Figures().games;
    GameMode = mode;
    platform_.SetTimeLimitMs(platform_.NowMs() + uint64_t(count + 1) * 24 * 3600 * 1000);
    for (int game = 0; game < count; ++game) bot.PlayGame(table_, first + uint64_t(game) * step, budgetMs_);
    const BotFigures& f = bot.Figures();
    ReportBotFigures(label, f, std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count());
    EXPECT_EQ(f.games - games, count) << label;
    EXPECT_LE(f.longestStallMs, kStallLimitMs) << label;
    if (quietLimitMs_) {
        EXPECT_LE(f.longestQuietMs, quietLimitMs_) << label;
    }
}

void ReportBotFigures(const std::string& label, const BotFigures& f, double wallSeconds) {
    const std::string tag = "[ bot " + label + " ]";
    const int games = std::max(f.games, 1);
    std::cout << tag << " " << f.games << " games, " << wallSeconds << " s of wall time, average "
              << double(f.playMs) / games / 60000.0 << " game minutes and " << f.totalScore / games
              << " points; longest quiet roll " << f.longestQuietMs / 1000.0 << " s; longest roll without progress "
              << f.longestStallMs / 1000.0 << " s (seed " << f.longestStallSeed << ")";
    if (f.shotsAtTargets)
        std::cout << "; " << f.targetsReached << " of " << f.shotsAtTargets << " aimed shots reached their target ("
                  << 100.0 * f.targetsReached / f.shotsAtTargets << "%)";
    std::cout << "\n" << tag;
    for (const auto& [event, count] : f.events) std::cout << " " << event << ": " << count << ";";
    std::cout << std::endl;
}

TableBot::TableBot(ScriptedPlatform& platform, BotFigures& figures, BotCues cues)
    : platform_(platform), figures_(figures), cues_(std::move(cues)) {
    cues_.events.emplace("sounds/v_NHS.wav", "new high score cue");
    cues_.notCellEvents.insert(cues_.notCellEvents.end(), {"extra ball", "new high score cue"});
    cues_.scanCues.insert(cues_.scanCues.end(), {"sounds/ScanBeep.wav", "sounds/ScanTrig.wav"});
}

const MapCell& BallCell() { return TableMap.Cells[MapIndex(Ball.X)][MapIndex(Ball.Y)]; }

bool TableBot::FollowLoop(const SoundEvent& e, const std::string& label, bool& on) {
    if (e.label != label) return false;
    const bool was = on;
    if (e.op == "loop") on = true;
    if (e.op == "stop") on = false;
    return was && !on;
}

void TableBot::PlayGame(const TableDesc& table, uint64_t seed, uint64_t budgetMs) {
    rng_.seed(seed);
    extraBallVoice_ = table.extraBallVoice;
    const uint64_t stallBefore = figures_.longestStallMs;
    platform_.Seed(seed * 0x9E3779B97F4A7C15ull + 1);
    lastMs_ = Now();
    budgetMs_ = budgetMs;
    gamePlayMs_ = quietMs_ = stallMs_ = 0;
    rolling_ = ended_ = inScan_ = fired_ = warned_ = choosingSide_ = false;
    busyUntil_ = shotUntilPlayMs_ = 0;
    shotTarget_.clear();
    nextStatus_ = uint64_t(Uniform(5000, 120000));
    nextPause_ = uint64_t(Uniform(30000, 300000));
    nextVolume_ = uint64_t(Uniform(20000, 200000));
    nextFlipper_ = uint64_t(Uniform(5000, 60000));
    tiltThisGame_ = Chance(0.15);
    tiltAt_ = uint64_t(Uniform(20000, 400000));
    NewGame();

    platform_.ClearSoundLog();
    platform_.OnYield([this] { OnYield(); });
    try {
        // As the main menu starts a table, without its intro.
        LoadTable(table);
        Relaunch();
        PlayFromBallEntry();
    } catch (const ReturnToMainMenu&) {
    }
    platform_.OnYield(nullptr);
    UnloadTable(table);
    if (figures_.longestStallMs > stallBefore) figures_.longestStallSeed = seed;
    ++figures_.games;
    figures_.playMs += gamePlayMs_;
    figures_.totalScore += Game.Score;
}

void TableBot::Tap(uint64_t delayMs, uint8_t key, uint64_t holdMs) { platform_.TapAt(Now() + delayMs, key, holdMs); }

void TableBot::Count(const std::string& event) {
    ++figures_.events[event];
    if (!Contains(cues_.notCellEvents, event)) quietMs_ = 0;
    if (Contains(cues_.progress, event)) stallMs_ = 0;
    if (!shotTarget_.empty() && event.rfind(shotTarget_, 0) == 0) {
        if (gamePlayMs_ <= shotUntilPlayMs_) ++figures_.targetsReached;
        shotTarget_.clear();
    }
}

void TableBot::StartScan() {
    inScan_ = true;
    fired_ = false;
    wanted_ = ChooseTarget();
    fallbackAt_ = Now() + uint64_t(Uniform(300, wanted_.empty() ? 9000 : 14000));
}

void TableBot::Fire() {
    if (cues_.fireBothShifts) {
        Tap(3, scan::LeftShift, 40);
        Tap(3, scan::RightShift, 40);
    } else {
        Tap(3, RandomShift(), 40);
    }
    fired_ = true;
    fallbackAt_ = Now() + kRefireAfterMs;
}

void TableBot::HearCore(const SoundEvent& e) {
    const std::string& l = e.label;
    if (l == "sounds/ball.wav") {
        if (e.op == "loop" && choosingSide_) Count("drain shot");
        if (e.op == "loop") rolling_ = true, inScan_ = choosingSide_ = false;
        else if (e.op == "stop") rolling_ = false;
        return;
    }
    if (l == "sounds/ProxBeep.wav") {
        if (e.op == "loop" && Chance(cues_.flipChance)) Tap(uint64_t(Uniform(10, 200)), RandomShift(), 40);
        // Read from the game, for the report only: did the flipper send the ball back?
        if (e.op == "stop" && warned_ && Ball.Y > 45 && Game.FlipperUp) Count("drain saved");
        warned_ = e.op == "loop";
        return;
    }
    if (l == "sounds/ScanWait.wav") {
        if (e.op == "loop") Tap(uint64_t(Uniform(200, 900)), RandomShift(), 40);
        choosingSide_ = choosingSide_ || e.op == "loop";
        return;
    }
    if (e.op != "play" && e.op != "loop") return;
    if (Contains(cues_.scanCues, l)) {
        if (!inScan_) StartScan();
        if (l == wanted_ && !fired_ && Chance(0.8)) {
            Fire();
            auto target = cues_.targets.find(l);
            if (target != cues_.targets.end()) {
                ++figures_.shotsAtTargets;
                shotTarget_ = target->second;
                shotUntilPlayMs_ = gamePlayMs_ + cues_.reachWithinMs;
            }
        }
        return;
    }
    auto counted = cues_.events.find(l);
    if (counted != cues_.events.end()) Count(counted->second);
    if (extraBallVoice_ && l == extraBallVoice_) Count("extra ball");
    if (l == "sounds/LReady.wav") {
        rolling_ = inScan_ = false;
        Tap(300 + uint64_t(Uniform(20, 900)), scan::Space, 80);
    } else if (l == "sounds/v_PAKTC.wav") {
        ended_ = true;
        Tap(800, scan::Return, 100);
    } else if (l == "sounds/Paused.wav") {
        Tap(500 + uint64_t(Uniform(200, 1500)), scan::Down, 60);
    } else if (l == "sounds/v_GOver.wav") {
        ended_ = true;
        ++figures_.events["game over"];
    } else if (l == "sounds/tilt.wav") {
        ++figures_.events["tilt"];
        stallMs_ = 0;
    }
}

void TableBot::OnYield() {
    const uint64_t now = Now();
    const uint64_t dt = now - lastMs_;
    lastMs_ = now;
    for (const SoundEvent& e : platform_.SoundLog())
        if (!Hear(e)) HearCore(e);
    platform_.ClearSoundLog();

    if (rolling_ && !inScan_) {
        gamePlayMs_ += dt;
        quietMs_ += dt;
        stallMs_ += dt;
        figures_.longestQuietMs = std::max(figures_.longestQuietMs, quietMs_);
        figures_.longestStallMs = std::max(figures_.longestStallMs, stallMs_);
    }
    if (inScan_ && now >= fallbackAt_) Fire();
    if (ended_ || !rolling_ || inScan_ || now < busyUntil_) return;

    // The player's own moves while the ball rolls.
    if (gamePlayMs_ > budgetMs_) {
        // Until the game ends: a press that lands in a spoken cue is swallowed.
        Tap(0, scan::Escape, 100);
        busyUntil_ = now + 2000;
    } else if (Move(now)) {
    } else if (tiltThisGame_ && gamePlayMs_ > tiltAt_) {
        Tap(0, scan::Return);
        tiltThisGame_ = false;
        busyUntil_ = now + 1000;
    } else if (gamePlayMs_ > nextStatus_) {
        Tap(0, scan::S);
        nextStatus_ = gamePlayMs_ + uint64_t(Uniform(60000, 240000));
        busyUntil_ = now + 500;
    } else if (gamePlayMs_ > nextPause_) {
        Tap(0, scan::P);
        nextPause_ = gamePlayMs_ + uint64_t(Uniform(120000, 400000));
        busyUntil_ = now + 500;
    } else if (gamePlayMs_ > nextVolume_) {
        const uint8_t keys[] = {scan::Delete, scan::Delete, scan::PageDown, scan::End};
        Tap(0, keys[Uniform(0, 3)]);
        nextVolume_ = gamePlayMs_ + uint64_t(Uniform(20000, 200000));
        busyUntil_ = now + 200;
    } else if (gamePlayMs_ > nextFlipper_) {
        Tap(0, scan::LeftShift, 40);  // a nervous press: only the flipper click
        nextFlipper_ = gamePlayMs_ + uint64_t(Uniform(10000, 120000));
        busyUntil_ = now + 200;
    }
}

}  // namespace tamblor::test
