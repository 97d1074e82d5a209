// The Pac Man table: the ball is the maze runner. It eats the dots it rolls
// past, may eat power pills and then the ghosts, collects fruit, and is lost
// on a ghost outside power mode. There is no drain: the ball comes back into
// play through two launch holes, aimed by ear with the aim scan.
#pragma once

#include <cstdint>

#include "audio/sound.h"
#include "table/ball.h"
#include "table/table.h"

namespace tamblor::pacman {

extern const TableDesc kTable;

constexpr int kDotGridSize = 51;  // indices 0..50, by rounded cell

struct PacManState {
    bool PowerActive = false;
    uint32_t PowerStartTick = 0;
    int16_t PowerDuration = 15000;  // ms
    // Doubles with every ghost and is reset only when a power period runs
    // out, so it can keep growing over tables finished in power mode; a
    // double keeps that from overflowing.
    double GhostValue = 20000;
    bool GhostEaten[5] = {};
    bool PillEaten[5] = {};
    bool DotEaten[kDotGridSize][kDotGridSize] = {};
    int32_t DotsLeft = 0;
    bool FruitPresent = false;
    uint32_t FruitTick = 0;
    int FruitMultiplier = 1;
    int TablesCompleted = 0;
    uint32_t SirenHz = 22050;  // the siren's pitch as last set
};

extern PacManState PacMan;

struct PacManSounds {
    SoundSlot Siren, EatDot, GhostRun, EatFruitPower, EatFruit, SwooshLeft, SwooshRight, LevelMusic,
        FruitAppears, GhostReturns, ScanGhost, ScanFruit, ScanPill, ScanTunnel;
};

extern PacManSounds Sounds;

// Cell codes of this table.
namespace code {
constexpr uint8_t Floor = 0;
constexpr uint8_t Wall = 1;
constexpr uint8_t Ghost = 4;
constexpr uint8_t Fruit = 21;
constexpr uint8_t Hole = 29;
constexpr uint8_t Dot = 31;
constexpr uint8_t Tunnel = 32;
constexpr uint8_t Pill = 35;
constexpr uint8_t Bumper = 36;
}  // namespace code

// The pieces of the table, in the order the loop uses them; exposed for the
// tests, which drive them one at a time.
void StartOfPlay();
void HandleCell();
void AimScanHole(bool topHole);
void EatDots(const CellsAround& cells);
void PowerPill(int pill);
void Ghost(int ghost);
void Fruit();
void PowerExpiry();
void FruitTiming();
void CompleteTable(bool bonus);
void StatusReport();

}  // namespace tamblor::pacman
