#include "support/pacman_bot.h"

#include <algorithm>

#include "core/errors.h"
#include "core/keyboard.h"
#include "table/ball.h"
#include "table/services.h"
#include "table/table_map.h"
#include "tables/pacman/pacman.h"

namespace tamblor::test {

namespace {
constexpr uint64_t kRefireAfterMs = 2000;  // a shot the scan did not take
}

PacManBot::PacManBot(ScriptedPlatform& platform, PacManBotFigures& figures)
    : platform_(platform), figures_(figures) {}

void PacManBot::PlayGame(uint64_t seed, uint64_t budgetMs) {
    rng_.seed(seed);
    platform_.Seed(seed * 0x9E3779B97F4A7C15ull + 1);
    lastMs_ = platform_.NowMs();
    budgetMs_ = budgetMs;
    gamePlayMs_ = quietMs_ = rollMs_ = 0;
    rolling_ = power_ = ended_ = inScan_ = fired_ = tenLeft_ = false;
    fruitUntil_ = busyUntil_ = skipAt_ = 0;
    nextStatus_ = uint64_t(Uniform(5000, 120000));
    nextPause_ = uint64_t(Uniform(30000, 300000));
    nextVolume_ = uint64_t(Uniform(20000, 200000));
    nextFlipper_ = uint64_t(Uniform(5000, 60000));
    tiltThisGame_ = Chance(0.15);
    tiltAt_ = uint64_t(Uniform(20000, 400000));

    platform_.ClearSoundLog();
    platform_.OnYield([this] { OnYield(); });
    try {
        // As the main menu starts a table.
        LoadPacMan();
        LaunchBall();
        PlayPacMan();
    } catch (const ReturnToMainMenu&) {
    }
    platform_.OnYield(nullptr);
    ++figures_.games;
    figures_.playMs += gamePlayMs_;
    figures_.totalScore += Game.Score;
}

void PacManBot::Tap(uint64_t delayMs, uint8_t key, uint64_t holdMs) {
    platform_.TapAt(platform_.NowMs() + delayMs, key, holdMs);
}

void PacManBot::StartScan() {
    inScan_ = true;
    fired_ = false;
    Count(Ball.Y < 25 ? "top hole" : "bottom hole");
    CellEvent();
    Turn();
    const uint64_t now = platform_.NowMs();
    // What a player would go for: ghosts while the power loop runs, a fruit
    // heard appearing, else a pill, a tunnel, a bumper, or anywhere.
    if (power_) {
        wanted_ = "pacman/ScanGhst.wav";
    } else if (fruitUntil_ > now + 3000 && Chance(0.8)) {
        wanted_ = "pacman/ScanFrt.wav";
    } else {
        int r = Uniform(0, 99);
        wanted_ = r < 40 ? "pacman/ScanPUp.wav" : r < 60 ? "pacman/ScanTunl.wav" : r < 70 ? "sounds/ScanTrig.wav" : "";
    }
    fallbackAt_ = now + uint64_t(Uniform(300, wanted_.empty() ? 9000 : 14000));
}

void PacManBot::Fire() {
    Tap(3, Chance(0.5) ? scan::LeftShift : scan::RightShift, 40);
    fired_ = true;
    fallbackAt_ = platform_.NowMs() + kRefireAfterMs;
}

void PacManBot::Hear(const SoundEvent& e) {
    const std::string& l = e.label;
    const uint64_t now = platform_.NowMs();
    const bool started = e.op == "play" || e.op == "loop";

    if (l == "sounds/ball.wav") {
        if (e.op == "loop") {
            rolling_ = true;
            inScan_ = false;
        } else if (e.op == "stop") {
            rolling_ = false;
        }
        return;
    }
    if (l == "pacman/GhostRun.wav") {
        if (e.op == "loop") power_ = true;
        if (e.op == "stop") power_ = false;
        return;
    }
    if (l == "pacman/Swoosh.wav" && e.op == "pan") {
        Count(e.value < 0 ? "left tunnel" : "right tunnel");
        CellEvent();
        return;
    }
    if (l == "pacman/Siren.wav" && e.op == "frequency") {
        if (e.value == 30050 && !tenLeft_) {
            // The last pitch step: ten dots or fewer. Skip soon, or go for
            // the last dot and skip only if it takes too long.
            tenLeft_ = true;
            skipAt_ = now + uint64_t(Chance(0.4) ? Uniform(2000, 10000) : 400000);
        } else if (e.value == 22050) {
            tenLeft_ = false;
            skipAt_ = 0;
        }
        return;
    }
    if (!started) return;

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
        Count("game over");
    } else if (l == "sounds/ScanBeep.wav" || l == "sounds/ScanTrig.wav" || l.rfind("pacman/Scan", 0) == 0) {
        if (!inScan_) StartScan();
        if (l == wanted_ && !fired_ && Chance(0.8)) Fire();
    } else if (l == "pacman/EatDot.wav") {
        Count("dot");
        CellEvent();
    } else if (l == "sounds/bumper1.wav") {
        Count("bumper");
        CellEvent();
    } else if (l == "pacman/powerup.wav") {
        Count("pill " + std::to_string(TableMap.Cells[MapIndex(Ball.X)][MapIndex(Ball.Y)].Number));
        CellEvent();
    } else if (l == "pacman/eatghost.wav") {
        Count("ghost eaten");
        CellEvent();
    } else if (l == "pacman/pacdie.wav") {
        Count("ghost took the ball");
        CellEvent();
        Turn();
        power_ = false;
        fruitUntil_ = 0;
    } else if (l == "pacman/FruitPr.wav") {
        fruitUntil_ = now + 20000;
    } else if (l == "pacman/EatFrS.wav" || l == "pacman/EatFrGR.wav") {
        Count("fruit eaten");
        CellEvent();
        fruitUntil_ = 0;
    } else if (l == "pacman/BonusLif.wav") {
        Count("extra ball");
    } else if (l == "pacman/TableCom.wav") {
        // Read from the game, for the report only: was it the last dot?
        Count(pacman::PacMan.DotsLeft <= 1 && skipAt_ != 1 ? "table completed by its last dot" : "table skipped");
        CellEvent();
        tenLeft_ = power_ = false;
        skipAt_ = 0;
        Turn();
    } else if (l == "sounds/tilt.wav") {
        Count("tilt");
        Turn();
    } else if (l == "sounds/v_NHS.wav") {
        Count("new high score cue");
    }
}

void PacManBot::OnYield() {
    const uint64_t now = platform_.NowMs();
    const uint64_t dt = now - lastMs_;
    lastMs_ = now;
    for (const SoundEvent& e : platform_.SoundLog()) Hear(e);
    platform_.ClearSoundLog();

    if (rolling_ && !inScan_) {
        gamePlayMs_ += dt;
        quietMs_ += dt;
        rollMs_ += dt;
        figures_.longestQuietMs = std::max(figures_.longestQuietMs, quietMs_);
        figures_.longestRollMs = std::max(figures_.longestRollMs, rollMs_);
    }
    if (inScan_ && now >= fallbackAt_) Fire();
    if (ended_ || !rolling_ || inScan_ || now < busyUntil_) return;

    // The player's own moves while the ball rolls.
    if (gamePlayMs_ > budgetMs_) {
        Tap(0, scan::Escape, 100);
        ended_ = true;
    } else if (skipAt_ > 1 && now >= skipAt_) {
        Tap(0, scan::Space, 60);
        skipAt_ = 1;  // sent: a completion now is a skip
        busyUntil_ = now + 500;
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
