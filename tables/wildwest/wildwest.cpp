// The Wild West table's description for the shared table loop, its ball
// entry, cell handler, flipper zone and status report. The duels are in
// duels.cpp.
#include "tables/wildwest/wildwest.h"

#include <cmath>

#include "audio/positional.h"
#include "core/app.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "table/aim_scan.h"
#include "table/play.h"
#include "table/table_map.h"
#include "tables/wildwest/wildwest_internal.h"

namespace tamblor::wildwest {

WildWestState Town;
WildWestSounds Sounds;
int16_t FistDifficulty = 0;

namespace {

constexpr float kFieldLow = 1;
constexpr float kFieldHigh = 49;
constexpr float kGuardX = 25, kGuardY = 25, kGuardHeading = heading::Up;
constexpr float kTiltX = 25, kTiltY = 45;
constexpr float kSaloonJump = 3;  // rows from the front door into the bar room
constexpr float kStoreJump = 3;   // columns from a store wall into the store
constexpr float kStoreExitX = 25, kStoreExitY = 16;
constexpr float kForgeExitX = 41, kForgeExitY = 24;
constexpr float kLeftBoxExitX = 20, kRightBoxExitX = 31, kBoxExitY = 18;
constexpr float kLeftKickerX = 11, kRightKickerX = 38, kKickerY = 39;
constexpr int kLastStoreVisit = 3;
constexpr uint8_t kFullAmmunition = 12;
constexpr uint8_t kBoxRounds = 2;
constexpr uint8_t kHorsesBeforeThieves = 3;
constexpr int kGallowsDraw = 2;
constexpr float kBonusSpeed = 3.2f;
constexpr uint32_t kBonusMs = 10000;
constexpr int32_t kForgePan = 3200;
constexpr int32_t kOutsidePianoPan = -3200;
constexpr double kBumperPoints = 10000;
constexpr double kBellPoints = 10000;
constexpr double kBeerPoints = 20000;
constexpr double kHorsePoints = 50000;
constexpr double kThievesPoints = 100000;
constexpr double kStorePoints = 100000;
constexpr int kBeerBelow = 5;  // round(Rnd x 10) below it: a beer, else a fight
constexpr double kFullTurn = 128;

// The drain warning's box: above the flipper zone, heading down.
constexpr float kWarnLeft = 16, kWarnRight = 33, kWarnTop = 37, kWarnBottom = 46;
constexpr float kWarnFromHeading = heading::Right, kWarnToHeading = heading::Left;

// The aim scan's two sides at the flipper zone.
constexpr SideSweep kLeftSweep{48, 63, 0, +1, false};
constexpr SideSweep kRightSweep{2, 0, 63, -1, false};
constexpr uint32_t kScanDwellMs = 125;

// A heading kept in 0..127: draws and shot corrections can reach 128 or -1,
// which the wall rules would not turn back.
float Heading(double h) { return float(std::fmod(std::fmod(h, kFullTurn) + kFullTurn, kFullTurn)); }

void Put(float x, float y, float direction) {
    Ball.X = x;
    Ball.Y = y;
    Ball.Direction = Heading(direction);
}

double Multiplied(double points) { return Town.Multiplier * points; }

void ClearHorses() {
    Town.ThievesAlerted = false;
    Town.HorsesCaught = 0;
    for (bool& caught : Town.HorseCaught) caught = false;
}

// What each side of a cell read takes for a wall.
bool IsWall(Side side, uint8_t c) {
    if (c == code::Bumper || c == code::Wall || c == code::HardWall) return true;
    switch (side) {
    case Side::Down:
    case Side::Up: return c == code::SaloonDoor;
    case Side::Left: return c == code::StoreLeftWall;
    case Side::Right: return c == code::StoreRightWall;
    }
    return false;
}

void WallSound(uint8_t c) {
    if (Town.BonusRunning) {
        Ball.Speed = kBonusSpeed;
        PlayAtBall(Sounds.Ricochet[DrawUpTo(3)]);
        return;
    }
    switch (c) {
    case code::Bumper:
        Ball.Speed = SpeedFactor;
        sndBumper1.Stop();
        PlayAtBall(sndBumper1);
        break;
    case code::HardWall:
        Ball.Speed = SpeedFactor;
        PlayAtBall(sndMultiHit);
        break;
    case code::Wall: PlayAtBall(sndWallHit); break;
    default: break;  // the store's walls and the saloon's doors make no sound
    }
}

void Walls(const CellsAround& cells) {
    for (const WallSide& side : SidesInOrder(cells)) {
        const uint8_t c = side.cell.code;
        if (!IsWall(side.side, c)) continue;
        // A right-hand wall slows the ball twice; the blacksmith's bonus
        // spares it the slowing on the others.
        const int losses = side.side == Side::Right ? 2 : (Town.BonusRunning ? 0 : 1);
        WallBounce(side.side, BounceStyle{4, false, 0.1, losses});
        WallSound(c);
        if (c == code::Bumper) Game.Score += kBumperPoints;
        if ((side.side == Side::Left && c == code::StoreLeftWall) ||
            (side.side == Side::Right && c == code::StoreRightWall))
            Sounds.Ambience.Stop();
    }
}

void StartTownLoops() {
    Sounds.Ambience.Play(true);
    Sounds.PianoOutside.Play(true);
}

void EnterSaloon() {
    sndBall.Stop();
    Sounds.ScanDoor.Stop();
    Sounds.Ambience.Stop();
    Sounds.PianoOutside.Stop();
    PlaySound("wildwest/SEntry.wav", 0, true);
    Sounds.PianoInside.Play(true);
    // The ball rolls on in the bar room: it must stay audible.
    sndBall.Play(true);
    Ball.Y -= kSaloonJump;
}

void LeaveSaloon() {
    sndBall.Stop();
    Put(kEntryX, kEntryY, float(DrawUpTo(32)));
    Randomize();
    if (DrawUpTo(10) < kBeerBelow) {
        PlaySound("wildwest/DrnkBeer.wav", 0, true);
        Game.Score += Multiplied(kBeerPoints);
    } else {
        FistFight();
    }
    Sounds.PianoInside.Stop();
    StartTownLoops();
    Town.InSaloon = false;
    // Whatever happened inside, the ball rolls on from the drain.
    sndBall.Play(true);
}

void StoreCounter() {
    if (Town.StoreVisits >= kLastStoreVisit) {
        Town.StoreVisits = 0;
        sndMultiHit.Stop();
        sndBall.Stop();
        if (DrawUpTo(1) != 1) {
            PlaySound("wildwest/EThrowGS.wav", 0, true);
        } else {
            PlaySound("wildwest/ENormGS.wav", 0, true);
            Game.Score += Multiplied(kStorePoints);
        }
        sndBall.Play(true);
        Put(kStoreExitX, kStoreExitY, float(DrawUpTo(16) + 72));
    } else {
        ++Town.StoreVisits;
    }
    StartTownLoops();
}

void StoreDoor(const CellsAround& cells) {
    Sounds.Ambience.Stop();
    sndBall.Stop();
    PlaySound("wildwest/EGStore.wav", 0, true);
    if (cells.L.code == code::StoreRightWall) Ball.X -= kStoreJump;
    if (cells.R.code == code::StoreLeftWall) Ball.X += kStoreJump;
    sndBall.Play(true);
}

void Blacksmith() {
    sndBall.Stop();
    PlaySound("wildwest/Blksmith.wav", kForgePan, true);
    sndBall.Play(true);
    Ball.Speed = kBonusSpeed;
    Town.BonusRunning = true;
    Town.Multiplier = 2;
    Town.BonusStartTick = GetTick();
    Put(kForgeExitX, kForgeExitY, float(DrawUpTo(32) + 96));
}

void AmmunitionBox(uint8_t box) {
    PlaySound("wildwest/ammo.wav", 0, true);
    Town.Ammunition = uint8_t(Town.Ammunition + kBoxRounds);
    Put(box == 1 ? kLeftBoxExitX : kRightBoxExitX, kBoxExitY, float(DrawUpTo(32) + 80));
}

void Horse(uint8_t horse) {
    PlayAtBall(Sounds.Horse[DrawUpTo(2)]);
    Town.HorseCaught[horse] = true;
    if (Town.HorsesCaught == kHorsesBeforeThieves) {
        Game.Score += Multiplied(kThievesPoints);
        sndBall.Stop();
        PlaySound("wildwest/thieves.wav", 0, true);
        sndBall.Play(true);
        Town.ThievesAlerted = true;
    } else {
        ++Town.HorsesCaught;
        Game.Score += Multiplied(kHorsePoints);
    }
}

void Bell() {
    sndBell.Stop();
    PlayAtBall(sndBell);
    Game.Score += Multiplied(kBellPoints);
}

void GunfightSpot() {
    sndBall.Stop();
    sndMultiHit.Stop();
    if (DrawUpTo(4) != kGallowsDraw) {
        Town.OutlawPosition = uint8_t(DrawUpTo(6) + 27);
        PlayStereo("wildwest/gunfight.wav", true);
        ClearHorses();
        Gunfight();
    } else {
        PlaySound("wildwest/hung.wav", 0, true);
        StopTownForLostBall();
        LoseBall();
    }
}

void Jail() {
    PlayStereo("wildwest/jail.wav", true);
    sndBall.Stop();
    Sounds.Ambience.Stop();
    LoseBall();
}

void Kicker(uint8_t which) {
    if (which == 1) {
        Put(kLeftKickerX, kKickerY, float(DrawUpTo(16) + 24));
    } else {
        const bool upward = DrawUpTo(1) > 0;
        Put(kRightKickerX, kKickerY, float(upward ? DrawUpTo(8) + 116 : DrawUpTo(8)));
    }
}

class DrainScan final : public SideAimScan {
public:
    DrainScan() : SideAimScan(kLeftSweep, kRightSweep, kScanDwellMs) {}

protected:
    ProbeAnswer Answer(const MapCell& cell) override {
        switch (cell.Code) {
        case code::Bumper: return {&sndScanTrig, true};
        case code::Ammunition: return {&Sounds.ScanAmmo, true};
        case code::Blacksmith: return {&Sounds.ScanBlacksmith, true};
        case code::SaloonDoor: return {&Sounds.ScanDoor, true};
        case code::Horse:
            // A horse already caught is not there to aim at.
            if (cell.Number < kHorses && Town.HorseCaught[cell.Number]) return {};
            return {&Sounds.ScanHorse, true};
        case code::Floor: return {&sndScanBeep, false};
        default: return {};
        }
    }
    void Keys() override { InPlayKeys(); }
    bool Escape() override {
        Game.Score = 0;
        Game.GameRunning = false;
        return true;
    }
};

void AimFromTheDrain() {
    Put(kEntryX, kEntryY, Ball.Direction);
    sndBall.Stop();
    sndMultiHit.Stop();
    DrainScan scan;
    float shot = 0;
    if (!scan.Aim(shot)) return;
    Ball.Direction = Heading(shot);
    Ball.Speed = SpeedFactor;
    sndBall.SetPan(PanFor(Ball.X));
    sndBall.Play(true);
}

void DrainWarningBox() {
    DrainWarning(Ball.X > kWarnLeft && Ball.X < kWarnRight && Ball.Y > kWarnTop && Ball.Y < kWarnBottom &&
                 Ball.Direction > kWarnFromHeading && Ball.Direction < kWarnToHeading);
}

void OnTilt() { Put(kTiltX, kTiltY, float(DrawUpTo(32))); }

const TableSound kSounds[] = {
    {&Sounds.Horse[0], "wildwest/horse1.wav"},
    {&Sounds.Horse[1], "wildwest/horse2.wav"},
    {&Sounds.Horse[2], "wildwest/horse3.wav"},
    {&Sounds.Ricochet[0], "wildwest/ricocht1.wav"},
    {&Sounds.Ricochet[1], "wildwest/ricocht2.wav"},
    {&Sounds.Ricochet[2], "wildwest/ricocht3.wav"},
    {&Sounds.Ricochet[3], "wildwest/ricocht4.wav"},
    {&Sounds.PlayerFire, "wildwest/PFire.wav", true},
    {&Sounds.OutlawDraws, "wildwest/ShDraw.wav"},
    {&Sounds.OutlawGun, "wildwest/ShGun.wav"},
    {&Sounds.FistSwing, "wildwest/FistSwng.wav"},
    {&Sounds.PianoInside, "wildwest/PianoLp.wav"},
    {&Sounds.ScanHorse, "wildwest/ScanHrse.wav"},
    {&Sounds.ScanAmmo, "wildwest/ScanAmmo.wav"},
    {&Sounds.ScanDoor, "wildwest/ScanDoor.wav"},
    {&Sounds.ScanBlacksmith, "wildwest/ScanBS.wav"},
    {&Sounds.Ambience, "wildwest/lvlAmb.wav"},
    {&Sounds.PianoOutside, "wildwest/PianoAmb.wav"},
    {&Sounds.General[0], "wildwest/Gen_00.wav"},
    {&Sounds.General[1], "wildwest/Gen_01.wav"},
    {&Sounds.General[2], "wildwest/Gen_02.wav"},
    {&Sounds.General[3], "wildwest/Gen_03.wav"},
    {&Sounds.General[4], "wildwest/Gen_04.wav"},
    {&Sounds.General[5], "wildwest/Gen_05.wav"},
    {&Sounds.General[6], "wildwest/Gen_06.wav"},
    {&Sounds.General[7], "wildwest/Gen_07.wav"},
    {&Sounds.General[8], "wildwest/Gen_08.wav"},
    {&Sounds.General[9], "wildwest/Gen_09.wav"},
    {&Sounds.AmbientCall[0], "wildwest/Amb_00.wav"},
    {&Sounds.AmbientCall[1], "wildwest/Amb_01.wav"},
    {&Sounds.AmbientCall[2], "wildwest/Amb_02.wav"},
    {&Sounds.AmbientCall[3], "wildwest/Amb_03.wav"},
    {&Sounds.AmbientCall[4], "wildwest/Amb_04.wav"},
    {&Sounds.AmbientCall[5], "wildwest/Amb_05.wav"},
    {&Sounds.AmbientCall[6], "wildwest/Amb_06.wav"},
    {&Sounds.AmbientCall[7], "wildwest/Amb_07.wav"},
    {&Sounds.Yell[0], "wildwest/Yell_00.wav"},
    {&Sounds.Yell[1], "wildwest/Yell_01.wav"},
    {&Sounds.Yell[2], "wildwest/Yell_02.wav"},
    {&Sounds.Yell[3], "wildwest/Yell_03.wav"},
    {&Sounds.Yell[4], "wildwest/Yell_04.wav"},
    {&Sounds.Yell[5], "wildwest/Yell_05.wav"},
};

SoundSlot* const kLoops[] = {&Sounds.Ambience, &Sounds.PianoOutside, &Sounds.PianoInside};

void Reset() {
    Town = WildWestState{};
    Game.TableLevel = 0;
}

}  // namespace

const TableDesc kTable{
    .id = kWildWest,
    .mapMember = "wildwest/wildwest.map",
    .mapFile = "wildwest.map",
    .intro = "wildwest/intro.wav",
    .sounds = kSounds,
    .loops = kLoops,
    .music = &Sounds.Ambience,
    .extraBallVoice = "wildwest/XBall.wav",
    .hasFlippers = true,
    .escapeForfeitsScore = true,
    .turnsBackBelowField = true,
    .ballPanScale = 200,  // the rolling ball on the half-width scale
    .reset = Reset,
    .startOfPlay = StartOfPlay,
    .handleCell = HandleCell,
    .afterTick = DrainWarningBox,
    .timers = Timers,
    .statusReport = StatusReport,
    .onTilt = OnTilt,
    .scoreMultiplier = [] { return int(Town.Multiplier); },
};

void StopTownForLostBall() {
    Sounds.Ambience.Stop();
    Sounds.PianoInside.Stop();
    Sounds.PianoOutside.Stop();
}

void StartOfPlay() {
    Randomize();
    Town.Ammunition = 0;
    ClearHorses();
    Town.Multiplier = 1;
    // A ball lost inside the bar room (a tilt there) must not leave the
    // saloon shut for the rest of the game.
    Town.InSaloon = false;
    Put(kEntryX, kEntryY, float(DrawUpTo(32)));
    // Each ball is launched at the base speed, whatever the last one had.
    Ball.Speed = SpeedFactor;
    sndBall.Play(true);
    sndBall.SetVolume(0);
    Sounds.PianoOutside.SetPan(kOutsidePianoPan);
    StartTownLoops();
}

void HandleCell() {
    if (BallOutsideField(kFieldLow, kFieldHigh)) Put(kGuardX, kGuardY, kGuardHeading);
    const CellsAround cells = ReadCellsAround(Ball.X, Ball.Y);
    const uint8_t c = cells.C.code;

    if (c == code::Saloon) {
        if (!Town.InSaloon) Sounds.PianoInside.Play(true);
        Town.InSaloon = true;
    }
    if (cells.U.code == code::SaloonDoor && cells.U.number == 1 && !Town.InSaloon) EnterSaloon();
    if (cells.D.code == code::SaloonDoor && Town.InSaloon) LeaveSaloon();
    if (c == code::AmbientCall) PlayAtBall(Sounds.AmbientCall[DrawUpTo(7)]);
    if (c == code::Yell) PlayAtBall(Sounds.Yell[DrawUpTo(5)]);
    if (cells.D.code == code::Counter) StoreCounter();
    if (c == code::Town) Sounds.General[DrawUpTo(9)].Play(false);
    if (cells.L.code == code::StoreRightWall || cells.R.code == code::StoreLeftWall) StoreDoor(cells);
    Walls(cells);
    if (c == code::FlipperZone) {
        FlipperZone();
        if (!Game.GameRunning) return;  // Escape in the aim scan ends the game
    }
    if (c == code::Blacksmith && !Town.BonusRunning) Blacksmith();
    if (c == code::Ammunition && Town.Ammunition < kFullAmmunition) AmmunitionBox(cells.C.number);
    if (c == code::Horse && cells.C.number < kHorses && !Town.HorseCaught[cells.C.number]) Horse(cells.C.number);
    if (c == code::Bell) Bell();
    if (c == code::GunfightSpot && Town.ThievesAlerted) GunfightSpot();
    if (c == code::Jail) Jail();
    if (c == code::Kicker) Kicker(cells.C.number);
}

void FlipperZone() {
    if (GameMode != 1) {
        AimFromTheDrain();
        return;
    }
    if (FlipperCatchesBall()) return;
    DrainWarning(false);
    sndBall.Stop();
    StopTownForLostBall();
    PlaySound("sounds/flush.wav", 0, true, SoundClass::Effects);
    LoseBall();
}

void Timers() {
    if (!Town.BonusRunning || GetTick() - Town.BonusStartTick <= kBonusMs) return;
    Town.BonusRunning = false;
    Town.Multiplier = 1;
}

void StatusReport() {
    HeldLoops held(std::span<SoundSlot* const>{});
    SayScore();
    SayBallsLeft(Game.BallsLeft + 1);
}

}  // namespace tamblor::wildwest
