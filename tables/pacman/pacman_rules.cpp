// The Pac Man rules on top of the play engine: dots, power pills, ghosts,
// fruit, finishing a table, the status report and the words of game over.
#include <algorithm>
#include <cstdint>

#include "audio/positional.h"
#include "audio/speech.h"
#include "platform/platform.h"
#include "table/play.h"
#include "table/table.h"
#include "table/table_map.h"
#include "tables/pacman/pacman.h"
#include "tables/pacman/pacman_internal.h"

namespace tamblor::pacman {

namespace {

constexpr double kDotPoints = 1000;
constexpr double kPillPoints = 50000;
constexpr double kFruitPoints = 10000;
constexpr double kCompletionBonus = 200000;
constexpr double kFirstGhostValue = 20000;
constexpr int16_t kLongestPower = 15000;
constexpr int16_t kPowerShortening = 2000;
constexpr int16_t kShortPower = 4000;
constexpr uint32_t kFruitAppearsAfterMs = 30000;
constexpr uint32_t kFruitStaysMs = 20000;
constexpr float kLostBallX = 35;
constexpr float kLostBallY = 35;
constexpr float kLostBallDirection = 88;
constexpr int kClearedDots = 50;  // a new table clears the dot flags of 0..49

// The siren rises as the dots run out. A step holds from its count down, so
// eating two dots at once cannot jump over it.
struct SirenStep {
    int32_t dotsLeft;
    uint32_t hz;
};
constexpr SirenStep kSirenSteps[] = {{10, 30050}, {20, 28050}, {40, 26050}, {80, 24050}};

int32_t HalfPan() { return PanFor(Ball.X, 25, 200); }

void ClearGhosts() { std::fill(std::begin(PacMan.GhostEaten), std::end(PacMan.GhostEaten), false); }

// Marks one dot eaten; the last one leaves for a new table.
void EatDot(int x, int y) {
    PacMan.DotEaten[x][y] = true;
    if (PacMan.DotsLeft <= 1) CompleteTable(true);
    --PacMan.DotsLeft;
    Game.Score += kDotPoints;
    Sounds.EatDot.SetPan(HalfPan());
    Sounds.EatDot.Play(false);
}

void RaiseSiren() {
    for (const SirenStep& step : kSirenSteps) {
        if (PacMan.DotsLeft > step.dotsLeft) continue;
        if (PacMan.SirenHz < step.hz) SetSirenPitch(step.hz);
        return;
    }
}

}  // namespace

void EatDots(const CellsAround& cells) {
    // The reach shrinks table by table: from the third no dot above, from
    // the fifth none below, from the seventh none to the left, from the
    // eighth only the dot under the ball.
    const struct {
        const CellRead& cell;
        int x, y;
        int beforeTable;
    } reach[] = {{cells.C, cells.x, cells.y, INT32_MAX},
                 {cells.U, cells.x, cells.up, 2},
                 {cells.D, cells.x, cells.down, 4},
                 {cells.L, cells.left, cells.y, 6},
                 {cells.R, cells.right, cells.y, 7}};
    for (const auto& r : reach) {
        if (r.cell.code != code::Dot || PacMan.TablesCompleted >= r.beforeTable) continue;
        if (r.x >= kDotGridSize || r.y >= kDotGridSize || PacMan.DotEaten[r.x][r.y]) continue;
        EatDot(r.x, r.y);
    }
    RaiseSiren();
}

void PowerPill(int pill) {
    PacMan.PowerActive = true;
    PlaySound("pacman/powerup.wav", HalfPan(), true, SoundClass::Effects);
    PacMan.PowerStartTick = GetTick();
    Sounds.Siren.Stop();
    Sounds.GhostRun.Play(true);
    PacMan.PillEaten[pill] = true;
    Game.Score += kPillPoints;
}

void Ghost(int ghost) {
    if (PacMan.PowerActive) {
        if (PacMan.GhostEaten[ghost]) return;
        PacMan.GhostEaten[ghost] = true;
        PlaySound("pacman/eatghost.wav", HalfPan(), true, SoundClass::Effects);
        Sounds.GhostReturns.Play(false);
        PacMan.GhostValue *= 2;
        Game.Score += PacMan.GhostValue;
        return;
    }
    // The ghost takes the ball.
    Sounds.Siren.Stop();
    sndBall.Stop();
    Sounds.GhostRun.Stop();
    PlaySound("pacman/pacdie.wav", 0, true, SoundClass::Effects);
    LoseBall();
}

void BallLost() {
    Ball.X = kLostBallX;
    Ball.Y = kLostBallY;
    Ball.Direction = kLostBallDirection;
    SayBallsLeft(Game.BallsLeft);
}

void PlayOnAfterLostBall() {
    PacMan.PowerActive = false;
    PacMan.FruitPresent = false;
    ClearGhosts();
    PacMan.FruitTick = GetTick();
    // Play goes on in the same loop, at the speed the ball had.
    Sounds.Siren.Play(true);
    sndBall.Play(true);
}

void Fruit() {
    if (PacMan.PowerActive) Sounds.EatFruitPower.Play(false);
    else Sounds.EatFruit.Play(false);
    ++PacMan.FruitMultiplier;
    Game.Score += PacMan.FruitMultiplier * kFruitPoints * (PacMan.TablesCompleted + 1);
    PacMan.FruitPresent = false;
}

void EndPower() {
    if (!PacMan.PowerActive) return;
    Sounds.GhostRun.Stop();
    PacMan.PowerActive = false;
    ClearGhosts();
    PacMan.GhostValue = kFirstGhostValue;
}

void PowerExpiry() {
    if (!PacMan.PowerActive || GetTick() - PacMan.PowerStartTick <= uint32_t(PacMan.PowerDuration)) return;
    EndPower();
    Sounds.Siren.Play(true);
}

void FruitTiming() {
    if (GetTick() - PacMan.FruitTick > kFruitAppearsAfterMs && !PacMan.FruitPresent) {
        Sounds.FruitAppears.Play(false);
        PacMan.FruitPresent = true;
        PacMan.FruitTick = GetTick();
    }
    if (GetTick() - PacMan.FruitTick > kFruitStaysMs && PacMan.FruitPresent) {
        PacMan.FruitPresent = false;
        PacMan.FruitTick = GetTick();
    }
}

void Timers() {
    PowerExpiry();
    FruitTiming();
}

void CompleteTable(bool bonus) {
    sndBall.Stop();
    Sounds.GhostRun.Stop();
    Sounds.Siren.Stop();
    PlaySound("pacman/TableCom.wav", 0, true);
    if (bonus) Game.Score += kCompletionBonus;
    for (int x = 0; x < kClearedDots; ++x)
        for (int y = 0; y < kClearedDots; ++y) PacMan.DotEaten[x][y] = false;
    ++PacMan.TablesCompleted;
    PacMan.FruitMultiplier = 1;
    Game.BounceIndex = 1;
    std::fill(std::begin(Game.BounceHistory), std::end(Game.BounceHistory), uint8_t(0));
    PacMan.PowerDuration = PacMan.PowerDuration > kShortPower ? int16_t(PacMan.PowerDuration - kPowerShortening)
                                                              : kLongestPower;
    std::fill(std::begin(PacMan.PillEaten), std::end(PacMan.PillEaten), false);
    ClearGhosts();
    PacMan.DotsLeft = TableMap.DotCount;
    PacMan.PowerActive = false;
    Sounds.LevelMusic.Play(false);
    Relaunch();
    RestartBallEntry();
}

void StatusReport() {
    HeldLoops held({&Sounds.GhostRun});
    Sounds.Siren.SetVolume(kVolumeMin);
    SayScore();
    PlaySound("pacman/v_NOTC.wav", 0, true);
    SpeakNumber(PacMan.TablesCompleted);
    PlaySound(PacMan.TablesCompleted == 1 ? "pacman/v_Table.wav" : "pacman/v_Tables.wav", 0, true);
    SayBallsLeft(Game.BallsLeft + 1);
    Sounds.Siren.SetVolume(0);
}

void TablesCompletedWords() {
    PlaySound("pacman/v_NOTC.wav", 0, true);
    SpeakNumber(PacMan.TablesCompleted);
    PlaySound("pacman/v_Tables.wav", 0, true);
}

}  // namespace tamblor::pacman
