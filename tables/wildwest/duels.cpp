// The two duels of the Wild West table, played by ear with the Shift keys
// while the ball waits: the gunfight against the horse thieves' outlaw and
// the fist fight in the saloon.
#include <algorithm>
#include <cstdint>

#include "audio/sound.h"
#include "core/app.h"
#include "core/keyboard.h"
#include "platform/platform.h"
#include "table/play.h"
#include "table/table.h"
#include "tables/wildwest/wildwest.h"
#include "tables/wildwest/wildwest_internal.h"

namespace tamblor::wildwest {

namespace {

constexpr int kFirstGunPosition = 24;
constexpr int kLastGunPosition = 36;
constexpr uint32_t kSlowestAimMs = 100;
constexpr uint32_t kAimMsPerLevel = 5;
constexpr uint8_t kTopGunfightLevel = 8;
constexpr uint8_t kRoundsAShot = 2;
constexpr double kGunfightPoints = 200000;

constexpr int kPunchesToWin = 6;
constexpr uint32_t kFistWindowMs = 1000;
constexpr int32_t kLeftPan = -3200, kRightPan = 3200;
constexpr double kKnockOutPoints = 100000;
constexpr double kKnockOutPointsPerDifficulty = 1000;
constexpr int16_t kFastDifficultyUntil = 600;
constexpr int16_t kHardestDifficulty = 800;
constexpr int16_t kFastDifficultyStep = 100;
constexpr int16_t kSlowDifficultyStep = 20;

// A Shift that ended a pause or a report is spent until let go: it must not
// count as a block, a wrong key or a shot the player never made.
bool ShiftDown(uint8_t key) { return FreshKeyDown(key); }
bool EitherShiftDown() { return ShiftDown(scan::LeftShift) || ShiftDown(scan::RightShift); }

void WinGunfight() {
    Game.Score += Town.Multiplier * kGunfightPoints;
    PlayStereo("wildwest/ShHit.wav", true);
    if (Game.TableLevel < kTopGunfightLevel) ++Game.TableLevel;
    sndBall.Play(true);
}

[[noreturn]] void LoseGunfight() {
    PlaySound("wildwest/PShot.wav", 0, true);
    StopTownForLostBall();
    LoseBall();
    RestartBallEntry();  // a lost ball always comes back through the ball entry here
}

// Waits up to `ms` (less the time the keys took) while `decided` says 0;
// returns what it last said, 0 when the time ran out. The keyboard is read
// before each decision: a key let go during a voice is up.
template <typename Decided>
int WaitFor(uint32_t ms, Decided decided) {
    uint32_t start = GetTick();
    for (;;) {
        start += HeldBallPass();
        if (int outcome = decided()) return outcome;
        if (GetTick() - start >= ms) return 0;
    }
}

enum Outcome { kPending = 0, kRight = 1, kWrong = 2 };

// One round: the opponent swings, the player blocks on the swing's side
// and punches from the other. False when the round is lost.
bool FistRound() {
    const bool fromRight = DrawUpTo(1) == 1;
    const uint8_t blockKey = fromRight ? scan::RightShift : scan::LeftShift;
    const uint8_t punchKey = fromRight ? scan::LeftShift : scan::RightShift;
    const int32_t swingPan = fromRight ? kRightPan : kLeftPan;
    const uint32_t window = kFistWindowMs - uint32_t(FistDifficulty);
    Sounds.FistSwing.SetPan(swingPan);
    Sounds.FistSwing.Play(false);
    // A Shift already down counts at once: the fight does not wait for the
    // keys to be let go between rounds.
    const int block = WaitFor(window, [&] {
        if (ShiftDown(punchKey)) return kWrong;
        return ShiftDown(blockKey) ? kRight : kPending;
    });
    if (block != kRight) return false;
    PlaySound("wildwest/block.wav", swingPan, true, SoundClass::Effects);
    if (WaitFor(window, [&] { return ShiftDown(punchKey) ? kRight : kPending; }) != kRight) return false;
    PlaySound("wildwest/Punch.wav", fromRight ? kLeftPan : kRightPan, true, SoundClass::Effects);
    return true;
}

}  // namespace

void Gunfight() {
    Randomize();
    Ball.X = kEntryX;
    Ball.Y = kEntryY;
    sndBall.Stop();
    sndMultiHit.Stop();
    const int outlaw = Town.OutlawPosition;
    const uint32_t aimMs = kSlowestAimMs - kAimMsPerLevel * Game.TableLevel;
    // One shot a press: a Shift held from before the duel fires nothing.
    bool armed = !EitherShiftDown();
    for (;;) {
        for (int position = kFirstGunPosition; position <= kLastGunPosition; ++position) {
            if (position == outlaw - 2) Sounds.OutlawDraws.Play(false);
            if (position == outlaw + 2) {
                Sounds.OutlawGun.Play(false);
                if (DrawUpTo(3) == 1 || Town.Ammunition == 0) LoseGunfight();
            }
            sndScanBeep.SetPan(position * 100 - 3200);
            sndScanBeep.Play(false);
            const int hit = WaitFor(aimMs, [&] {
                if (!EitherShiftDown()) {
                    armed = true;
                    return kPending;
                }
                if (!armed) return kPending;
                armed = false;
                if (Town.Ammunition == 0) {
                    PlaySound("wildwest/dryfire.wav", 0, true, SoundClass::Effects);
                    return kPending;
                }
                Town.Ammunition = uint8_t(Town.Ammunition - kRoundsAShot);
                Sounds.PlayerFire.Play(false);
                return position == outlaw - 1 || position == outlaw ? kRight : kPending;
            });
            if (hit == kRight) {
                WinGunfight();
                return;
            }
        }
    }
}

void FistFight() {
    Randomize();
    PlaySound("wildwest/WhoopAss.wav", 0, true);
    int punches = 0;
    while (punches < kPunchesToWin && FistRound()) ++punches;
    if (punches == kPunchesToWin) {
        PlaySound("wildwest/KnockOut.wav", 0, true);
        Game.Score += kKnockOutPoints + FistDifficulty * kKnockOutPointsPerDifficulty * Town.Multiplier;
        Sounds.PianoInside.Stop();
        if (FistDifficulty < kFastDifficultyUntil) FistDifficulty = int16_t(FistDifficulty + kFastDifficultyStep);
        else if (FistDifficulty < kHardestDifficulty)
            FistDifficulty = std::min<int16_t>(int16_t(FistDifficulty + kSlowDifficultyStep), kHardestDifficulty);
        Ball.X = kEntryX;
        Ball.Y = kEntryY;
        Ball.Direction = float(DrawUpTo(32));
        return;
    }
    PlaySound("wildwest/BrokToof.wav", 0, true);
    TakeSpareBall();
    Ball.X = kEntryX;
    Ball.Y = kEntryY;
    Ball.Direction = float(DrawUpTo(32));
    // A new ball, if not a new ball entry: it starts at the base speed as every other does.
    Ball.Speed = SpeedFactor;
    StopTownForLostBall();
    // The game goes on from here: ammunition, horses and the multiplier stay.
    Relaunch();
    NoteState("play");
}

}  // namespace tamblor::wildwest
