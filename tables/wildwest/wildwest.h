// The Wild West table: a western town with a saloon and its piano, a
// general store, a blacksmith who doubles the score for ten seconds,
// ammunition boxes, stray horses that bring the horse thieves, a bell,
// kickers, a jail and the gallows, and two duels played by ear with the
// Shift keys: the gunfight and the fist fight. The ball comes back through
// a flipper zone: a timed flipper in classic mode, an aim scan in
// accessible mode.
#pragma once

#include <cstdint>

#include "audio/sound.h"
#include "table/ball.h"
#include "table/table.h"

namespace tamblor::wildwest {

extern const TableDesc kTable;

constexpr int kHorses = 7;  // horse cells are numbered 0..6

struct WildWestState {
    uint8_t Ammunition = 0;  // 0..12, two rounds a box and a shot
    bool ThievesAlerted = false;
    uint8_t HorsesCaught = 0;  // 0..3; the next one alerts the thieves
    bool HorseCaught[kHorses] = {};
    uint8_t Multiplier = 1;  // 2 while the blacksmith's bonus runs
    bool BonusRunning = false;
    uint32_t BonusStartTick = 0;
    bool InSaloon = false;
    uint8_t StoreVisits = 0;  // arrivals at the counter since it last paid or threw out
    uint8_t OutlawPosition = 27;  // 27..33, where the outlaw stands in the gunfight
};

extern WildWestState Town;

// The fist fight's difficulty: 0..800, the time taken off each second to
// block and punch. It grows with every fight won and lasts for as long as
// the program runs.
extern int16_t FistDifficulty;

struct WildWestSounds {
    SoundSlot Horse[3], Ricochet[4], PlayerFire, OutlawDraws, OutlawGun, FistSwing, PianoInside, ScanHorse,
        ScanAmmo, ScanDoor, ScanBlacksmith, Ambience, PianoOutside, General[10], AmbientCall[8], Yell[6];
};

extern WildWestSounds Sounds;

// Cell codes of this table.
namespace code {
constexpr uint8_t Floor = 0;
constexpr uint8_t Wall = 1;
constexpr uint8_t Yell = 2;
constexpr uint8_t HardWall = 4;
constexpr uint8_t StoreRightWall = 8;  // a door into the store from the right
constexpr uint8_t Horse = 9;
constexpr uint8_t GunfightSpot = 12;
constexpr uint8_t Bell = 15;
constexpr uint8_t Kicker = 17;
constexpr uint8_t AmbientCall = 19;
constexpr uint8_t Saloon = 21;
constexpr uint8_t Counter = 23;
constexpr uint8_t Blacksmith = 25;
constexpr uint8_t Jail = 26;
constexpr uint8_t Ammunition = 27;
constexpr uint8_t Town = 28;
constexpr uint8_t FlipperZone = 29;
constexpr uint8_t SaloonDoor = 30;
constexpr uint8_t StoreLeftWall = 35;  // a door into the store from the left
constexpr uint8_t Bumper = 36;
}  // namespace code

// The pieces of the table, exposed for the tests, which drive them one at
// a time.
void StartOfPlay();
void HandleCell();
void FlipperZone();
void Timers();
void StatusReport();
// The duels; each returns once it is decided and the ball goes on, or
// leaves for a new ball entry or the game end.
void Gunfight();
void FistFight();

}  // namespace tamblor::wildwest
