#include "support/table_bot.h"

#include <algorithm>

#include "core/errors.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "support/table_fixture.h"
#include "table/ball.h"
#include "table/table.h"
#include "table/table_map.h"

namespace tamblor::test {

namespace {
constexpr uint64_t kRefireAfterMs = 2000;  // a shot the scan did not take
}  // namespace

TableBot::TableBot(ScriptedPlatform& platform, BotFigures& figures, BotCues cues)
    : platform_(platform), figures_(figures), cues_(std::move(cues)) {}

const MapCell& BallCell() { return TableMap.Cells[MapIndex(Ball.X)][MapIndex(Ball.Y)]; }

std::map<std::string, std::string> InFolder(const std::string& folder,
                                            std::initializer_list<std::pair<const char*, const char*>> events) {
    std::map<std::string, std::string> cues;
    for (const auto& [sound, event] : events) cues.emplace(Member(folder, sound), event);
    return cues;
}

std::vector<std::string> InFolder(const std::string& folder, std::initializer_list<const char*> names) {
    std::vector<std::string> members;
    for (const char* name : names) members.push_back(Member(folder, name));
    return members;
}

std::vector<std::string> TableBot::EveryEvent() const {
    std::vector<std::string> every = cues_.heard;
    for (const auto& [sound, event] : cues_.events) every.push_back(event);
    for (const auto& [sound, event] : cues_.numbered) every.push_back(event);
    return every;
}

bool TableBot::FollowLoop(const SoundEvent& e, const std::string& label, bool& on) {
    if (e.label != label) return false;
    const bool was = on;
    if (e.op == "loop") on = true;
    if (e.op == "stop") on = false;
    return was && !on;
}

void TableBot::PlayGame(const TableDesc& table, uint64_t seed, uint64_t budgetMs) {
    // What every table's bot hears the same way, beside the table's own cues.
    cues_.events.emplace("sounds/v_NHS.wav", "new high score cue");
    cues_.events.emplace("sounds/flush.wav", "drained");
    cues_.idle.insert(cues_.idle.end(), {"bumper", "new high score cue"});
    cues_.notCellEvents.insert(cues_.notCellEvents.end(), {"extra ball", "new high score cue"});
    cues_.scanCues.insert(cues_.scanCues.end(), {"sounds/ScanBeep.wav", "sounds/ScanTrig.wav"});
    rng_.seed(seed);
    extraBallVoice_ = table.extraBallVoice;
    const uint64_t stallBefore = figures_.longestStallMs;
    platform_.Seed(seed * 0x9E3779B97F4A7C15ull + 1);
    lastMs_ = Now();
    budgetMs_ = budgetMs;
    nextStatus_ = uint64_t(Uniform(5000, 120000));
    nextPause_ = uint64_t(Uniform(30000, 300000));
    nextVolume_ = uint64_t(Uniform(20000, 200000));
    nextFlipper_ = uint64_t(Uniform(5000, 60000));
    tiltThisGame_ = Chance(0.15);
    tiltAt_ = uint64_t(Uniform(20000, 400000));

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
    if (std::none_of(cues_.idle.begin(), cues_.idle.end(), [&](const std::string& idle) {
            return event.rfind(idle, 0) == 0;
        }))
        stallMs_ = 0;
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
    const int late = cues_.sideShotLateMs;
    const uint64_t delayMs = choosingSide_ && late ? uint64_t(Uniform(late, late + 25)) : 3;
    if (cues_.fireBothShifts) {
        Tap(delayMs, scan::LeftShift, 40);
        Tap(delayMs, scan::RightShift, 40);
    } else {
        Tap(delayMs, RandomShift(), 40);
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
    for (const auto& [sound, event] : cues_.numbered)
        if (l.rfind(sound, 0) == 0) Count(event + " " + std::to_string(BallCell().Number)), Count(event);
    if (extraBallVoice_ && l == extraBallVoice_) Count("extra ball");
    if (l == "sounds/LReady.wav") {
        rolling_ = inScan_ = choosingSide_ = false;
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
