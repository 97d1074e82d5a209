// The Haunted House table: a laboratory where the ball wakes a monster that
// doubles every score for fifteen seconds and may grab the ball; seven
// graves whose sixth touch raises a ten-second wind; a fireplace; spooky
// zones; and GRAVE spelt on five letters, which opens the tomb mode, where
// the player knocks down gravestones by ear. The ball drains at the bottom:
// a timed flipper in classic mode, an aim scan in accessible mode.
#pragma once

#include <cstdint>

#include "audio/sound.h"
#include "table/ball.h"
#include "table/play.h"
#include "table/table.h"

namespace tamblor::haunted {

extern const TableDesc kTable;

constexpr int kGraves = 7;
constexpr int kLetterFlags = 7;     // by a letter cell's second byte 0..6
constexpr int kStoneLaneSize = 201;  // positions 0..200
constexpr uint8_t kStone = 20;       // a standing gravestone in the lane

struct HauntedState {
    uint8_t Multiplier = 1;  // 2 while the monster is awake
    bool InLab = false;
    uint8_t LabSide = 0;  // 1: came in by the left door, 2: by the right one
    bool MonsterAwake = false;
    TableTimer MonsterTimer;  // since it woke
    bool FireBurning = false;
    bool GraveTouched[kGraves] = {};
    uint8_t GravesTouched = 0;  // since the last wind
    bool WindBlowing = false;
    TableTimer WindTimer;  // since it rose
    uint8_t Spelling = 0;  // letters of GRAVE taken in order
    bool LetterTaken[kLetterFlags] = {};
    uint8_t StoneLane[kStoneLaneSize] = {};
    uint8_t StonesKnocked = 0;
    uint8_t Throws = 0;
    bool ThrowLatch = false;
};

extern HauntedState House;

struct HauntedSounds {
    SoundSlot Music, FireLoop, Spooky[8], Glass[3], Paying[9], Creak, ScanStone, Throw, ScanLetter[5], FlyAway,
        GraveAmbience, Gusts, Monster, ScanGrave, ScanSpooky, Wind[4];
};

extern HauntedSounds Sounds;

// Cell codes of this table.
namespace code {
constexpr uint8_t Floor = 0;
constexpr uint8_t Wall = 1;
constexpr uint8_t HardWall = 4;
constexpr uint8_t LabFloor = 21;
constexpr uint8_t Grave = 26;
constexpr uint8_t Spooky = 28;
constexpr uint8_t Drain = 29;
constexpr uint8_t Reach = 32;
constexpr uint8_t Fireplace = 35;
constexpr uint8_t Bumper = 36;
constexpr uint8_t Letter = 37;
}  // namespace code

// Second bytes of the laboratory's wall cells: a door seen from outside,
// the other side's switch seen from inside.
constexpr uint8_t kLeftSwitch = 1, kRightDoor = 1;
constexpr uint8_t kLeftDoor = 2, kRightSwitch = 2;

// The pieces of the table, in the order the loop uses them; exposed for the
// tests, which drive them one at a time.
void StartOfPlay();
void HandleCell();
void DrainWarningBox();
void Timers();
void AimFromDrain();
void Laboratory(const CellsAround& cells);
void Grave(int grave);
void Fireplace();
void SpookyZone(int kind);
void Letter(int letter);
void TombMode();
void PlaceGravestones();
void ResetTombState();
void StatusReport();

}  // namespace tamblor::haunted
