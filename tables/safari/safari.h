// The Safari table: the ball explores a savanna. Bumpers and kickers score,
// deep water, quicksand, the acid pool, snakes and a prowling cougar take
// the ball, and SAFARI spelt on six letter targets opens the hunt, where a
// rifle sweep calls five animals and the player fires at them. The drain
// has a timed flipper in classic mode and a side-choosing aim scan in
// accessible mode.
#pragma once

#include <cstdint>

#include "audio/sound.h"
#include "table/ball.h"
#include "table/table.h"

namespace tamblor::safari {

extern const TableDesc kTable;

constexpr int kLetters = 6;  // S A F A R I, by the letter cells' second bytes 1..6
constexpr int kAnimals = 5;

struct SafariState {
    uint8_t SpellingProgress = 0;      // letters spelt in order, 0..5
    bool LetterTaken[kLetters + 1] = {};  // by second byte; 0 unused
    bool HuntActive = false;
    uint8_t SweepStep = 0;   // where the hunt sweep resumes, 10..49
    int16_t SweepAngle = 0;
    uint8_t Rounds = 0;      // shots left in the hunt
    uint8_t AnimalsBagged = 0;
    bool AnimalAnnounced[kAnimals + 1] = {};  // by animal number; 0 unused
    uint8_t CougarX = 0, CougarY = 0;
};

extern SafariState Safari;

// The last cougar placed; kept from game to game (a new cougar keeps away
// from it), starting at (0, 0).
extern uint8_t PreviousCougarX, PreviousCougarY;

struct SafariSounds {
    SoundSlot Water[3], Sand[3], Ambience[5], Swing, Snake[3], FootLeft, FootRight, SwimLeft, SwimRight, ScanS,
        ScanA, ScanF, ScanR, ScanI, ScanSand, Music, AnimalCall[kAnimals], Shoot, StepLeft, StepRight, DryFire,
        HuntAmbience;
};

extern SafariSounds Sounds;

// Cell codes of this table.
namespace code {
constexpr uint8_t Floor = 0;
constexpr uint8_t Wall = 1;
constexpr uint8_t Water = 4;
constexpr uint8_t Sand = 6;
constexpr uint8_t Acid = 7;
constexpr uint8_t Snakes = 11;
constexpr uint8_t EntryGate = 15;
constexpr uint8_t Animal = 16;
constexpr uint8_t Bell = 17;
constexpr uint8_t Footsteps = 21;
constexpr uint8_t Silencer = 25;
constexpr uint8_t MultiHit = 27;
constexpr uint8_t Ambience = 28;
constexpr uint8_t FlipperZone = 29;
constexpr uint8_t Bumper = 36;  // '$'
constexpr uint8_t Letter = 37;  // '%'
constexpr uint8_t Cougar = 99;  // 'c'
}  // namespace code

// Where the rules put the ball.
constexpr float kEntryX = 25, kEntryY = 45;  // every ball entry, an escape, a far bag
constexpr float kGunX = 25, kGunY = 46;      // the drain's aim scan and the hunt's rifle
constexpr float kGateX = 25, kGateY = 6;     // the entry gate throws the ball in here
constexpr int kAnimalRow = 30;

// The pieces of the table, in the order the loop uses them; exposed for the
// tests, which drive them one at a time.
void StartOfPlay();
void HandleCell();
void DrainWarningBox();
void DrainScan();
void StatusReport();

// The rules.
void DeepWater();
void Quicksand();
void AcidPool();
void Snakes();
void PlaceCougar();
void Cougar();
void CougarChase();
void Letter(int letter);
void HuntSweep();
void BagAnimal(int animal);
void ResetHunt();

}  // namespace tamblor::safari
