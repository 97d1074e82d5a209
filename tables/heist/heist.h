// The Heist table: the player is a robber. Spelling JOBS on the four letter
// targets starts a job, a briefing names one of the four targets to hit in
// fifteen seconds, and a job done pays and starts a police chase with
// double scoring, in which the chasing car costs a ball. The ball rattles
// through a score box, picks up power-ups scattered at every ball, hits
// bumpers and a jackpot, and can be busted. Two launchers in the bottom
// corners aim by ear.
#pragma once

#include <cstdint>

#include "audio/sound.h"
#include "table/ball.h"
#include "table/play.h"
#include "table/table.h"

namespace tamblor::heist {

extern const TableDesc kTable;

constexpr uint32_t kJobMs = 15000;
constexpr uint32_t kChaseMs = 15000;
constexpr int kLetterCount = 4;  // J, O, B, S
constexpr uint8_t kFirstDoor = 2;

struct HeistState {
    uint8_t Multiplier = 1;
    uint8_t JobsProgress = 0;         // letters of JOBS lit, 0..3
    bool JobsMarks[6] = {};           // by the letter cell's second byte
    TableTimer Job;                   // a briefed job, running for 15 s
    uint8_t JobNumber = 0;            // the target to hit, 1..4
    bool JobDone = false;
    TableTimer Chase;                 // the chase after a job done
    uint8_t PolicePosition = 0;       // the police car that catches, 1..5
    uint8_t OpenDoor = kFirstDoor;    // the score-box door that lets the ball in
    bool InScoreBox = false;
    uint8_t BoxBouncesLeft = 0;
    uint8_t LastWallCode = 0;         // the police car's code when one was bounced in this step
    uint8_t LastWallNumber = 0;
    bool ShotTaken = false;
};

extern HeistState Heist;

struct HeistSounds {
    SoundSlot Invalid, Box1, Box2, Box3, Music, Chase, ScanBox, ScanPolice, ScanBonus, ScanJ, ScanO, ScanB, ScanS;
};

extern HeistSounds Sounds;

// Cell codes of this table.
namespace code {
constexpr uint8_t Floor = 0;
constexpr uint8_t Wall = 1;
constexpr uint8_t BoxFloor = 4;
constexpr uint8_t SilentWall = 12;
constexpr uint8_t Letter = 17;
constexpr uint8_t TopLane = 18;
constexpr uint8_t Jackpot = 19;
constexpr uint8_t Busted = 26;
constexpr uint8_t EffectSpot = 28;
constexpr uint8_t Launcher = 29;
constexpr uint8_t Door = 30;
constexpr uint8_t PowerUp = 35;
constexpr uint8_t Bumper = 36;
constexpr uint8_t Police = 37;
}  // namespace code

enum class Launcher { Left, Right };

// The pieces of the table, exposed for the tests, which drive them one at
// a time.
void StartOfPlay();
void HandleCell();
void PlaceThePowerUps();
// Places the ball on a launcher and sweeps until the player shoots (or
// leaves the game with Escape).
void RunLauncher(Launcher which);
// The heading a launcher's shot leaves at from sweep position i.
float ShotHeading(Launcher which, int i);

// The rules the cell handler and the loop call.
void ResetJobState();
void Letter(int number);
void StartJob();
void JobTarget(int number);
void JobTimeOut();
void ChaseTimeOut();
void CaughtByThePolice();
void Busted();
void EnterScoreBox();
void ScoreBoxFloor();
void DoorBounceInsideTheBox();
void PowerUp(int x, int y, uint8_t letter);
void Jackpot();
void StatusReport();

}  // namespace tamblor::heist
