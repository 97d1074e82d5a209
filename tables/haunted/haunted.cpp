// The Haunted House table's description for the shared table loop, its ball
// entry, cell handler, drain and the aim scan there, and its timers. Its
// rules (the laboratory, graves, fire, spooky zones, GRAVE and the tomb
// mode, the status report) are in haunted_rules.cpp.
#include "tables/haunted/haunted.h"

#include <algorithm>
#include <cmath>

#include "audio/positional.h"
#include "core/app.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "table/aim_scan.h"
#include "table/table_map.h"
#include "tables/haunted/haunted_internal.h"

namespace tamblor::haunted {

HauntedState House;
HauntedSounds Sounds;

namespace {

constexpr float kFieldLow = 2;
constexpr float kFieldHigh = 48;
constexpr float kGuardX = 25, kGuardY = 25, kGuardHeading = 16;
constexpr float kEntryX = 25, kEntryY = 45;
constexpr float kEntryHeadings = 32;
constexpr double kBumperPoints = 10000;
constexpr uint32_t kMonsterAwakeMs = 15000;
constexpr uint32_t kWindBlowsMs = 10000;
constexpr float kHeadings = 128;

// The drain warning sounds while the ball runs down toward the drain.
constexpr float kWarnLeft = 17, kWarnRight = 32, kWarnTop = 36, kWarnBottom = 46;
constexpr float kWarnHeadingFrom = 48, kWarnHeadingTo = 112;

// The drain's scan: Left Shift sweeps from the right over the top to the
// left, Right Shift the other way; the cues are panned by position alike.
constexpr SideSweep kLeftSweep{40, 45, 0, 1, false};
constexpr SideSweep kRightSweep{8, 0, 45, -1, false};
constexpr uint32_t kSweepDwellMs = 125;

constexpr BounceStyle kHauntedBounce{20, false, 0.1, 1};

class DrainScan final : public SideAimScan {
public:
    DrainScan() : SideAimScan(kLeftSweep, kRightSweep, kSweepDwellMs) {}

protected:
    ProbeAnswer Answer(const MapCell& cell) override {
        switch (cell.Code) {
        case code::Bumper: return {&sndScanTrig, true};
        case code::Letter:
            if (cell.Number >= 1 && cell.Number <= 5) return {&Sounds.ScanLetter[cell.Number - 1], true};
            return {nullptr, true};
        case code::Spooky: return {&Sounds.ScanSpooky, false};
        case code::Grave:
            // A grave already touched since the last wind is not worth aiming at.
            if (cell.Number < kGraves && !House.GraveTouched[cell.Number]) return {&Sounds.ScanGrave, false};
            return {};
        case code::Floor: return {&sndScanBeep, false};
        default: return {};
        }
    }

    void Keys() override { InPlayKeys(); }

    bool Escape() override { ForfeitGame(); }
};

bool Stops(const WallSide& wall) {
    switch (wall.cell.code) {
    case code::HardWall:
    case code::Bumper: return true;
    // The laboratory's left door lets a ball rolling left through.
    case code::Wall: return !(wall.side == Side::Left && wall.cell.number == kLeftDoor);
    default: return false;
    }
}

void Bounce(const WallSide& wall) {
    WallBounce(wall.side, kHauntedBounce);
    switch (wall.cell.code) {
    case code::Bumper:
        Ball.Speed = SpeedFactor;
        sndBumper1.Stop();
        PlayAtBall(sndBumper1);
        Score(kBumperPoints);
        break;
    case code::HardWall: HardWallHit(); break;
    default: PlayAtBall(sndWallHit); break;
    }
}

void Drain() {
    if (GameMode == 0) {
        AimFromDrain();
        return;
    }
    if (FlipperCatchesBall()) return;
    sndProxBeep.Stop();
    Game.WarningPlaying = false;
    PlaySound("sounds/flush.wav", 0, true, SoundClass::Effects);
    LoseBall();
}

const TableSound kSounds[] = {
    {&Sounds.Music, "Haunted/lvlmusic.wav", true},
    {&Sounds.FireLoop, "Haunted/fireloop.wav"},
    {&Sounds.Spooky[0], "Haunted/SE01.wav"},
    {&Sounds.Spooky[1], "Haunted/SE02.wav"},
    {&Sounds.Spooky[2], "Haunted/SE03.wav"},
    {&Sounds.Spooky[3], "Haunted/SE04.wav"},
    {&Sounds.Spooky[4], "Haunted/SE05.wav"},
    {&Sounds.Spooky[5], "Haunted/SE06.wav"},
    {&Sounds.Spooky[6], "Haunted/SE07.wav"},
    {&Sounds.Spooky[7], "Haunted/SE08.wav"},
    {&Sounds.Glass[0], "Haunted/Glass1.wav"},
    {&Sounds.Glass[1], "Haunted/Glass2.wav"},
    {&Sounds.Glass[2], "Haunted/Glass3.wav"},
    {&Sounds.Paying[0], "Haunted/LE01.wav"},
    {&Sounds.Paying[1], "Haunted/LE02.wav"},
    {&Sounds.Paying[2], "Haunted/LE03.wav"},
    {&Sounds.Paying[3], "Haunted/LE04.wav"},
    {&Sounds.Paying[4], "Haunted/LE05.wav"},
    {&Sounds.Paying[5], "Haunted/LE06.wav"},
    {&Sounds.Paying[6], "Haunted/LE07.wav"},
    {&Sounds.Paying[7], "Haunted/LE08.wav"},
    {&Sounds.Paying[8], "Haunted/LE09.wav"},
    {&Sounds.Creak, "Haunted/Creak.wav"},
    {&Sounds.ScanStone, "Haunted/ScanSton.wav"},
    {&Sounds.Throw, "Haunted/Throw.wav"},
    {&Sounds.ScanLetter[0], "Haunted/ScanG.wav"},
    {&Sounds.ScanLetter[1], "Haunted/ScanR.wav"},
    {&Sounds.ScanLetter[2], "Haunted/ScanA.wav"},
    {&Sounds.ScanLetter[3], "Haunted/ScanV.wav"},
    {&Sounds.ScanLetter[4], "Haunted/ScanE.wav"},
    {&Sounds.FlyAway, "Haunted/FlyAway.wav"},
    {&Sounds.GraveAmbience, "Haunted/GraveAmb.wav", true},
    {&Sounds.Gusts, "Haunted/Gusts.wav"},
    {&Sounds.Monster, "Haunted/franken.wav"},
    {&Sounds.ScanGrave, "Haunted/ScanGlas.wav"},
    {&Sounds.ScanSpooky, "Haunted/scancrk.wav"},
    {&Sounds.Wind[0], "Haunted/W1.wav"},
    {&Sounds.Wind[1], "Haunted/W2.wav"},
    {&Sounds.Wind[2], "Haunted/W3.wav"},
    {&Sounds.Wind[3], "Haunted/W4.wav"},
};

SoundSlot* const kLoops[] = {&Sounds.Music, &Sounds.FireLoop, &Sounds.Monster};

void Reset() { House = HauntedState{}; }

int Multiplier() { return House.Multiplier; }

}  // namespace

const TableDesc kTable{
    .id = kHauntedHouse,
    .mapMember = "haunted/haunted.map",
    .mapFile = "haunted.map",
    .intro = "haunted/intro.wav",
    .sounds = kSounds,
    .loops = kLoops,
    .music = &Sounds.Music,
    .extraBallVoice = "Haunted/xtraball.wav",
    .bounce = kHauntedBounce,
    .hasFlippers = true,
    .escapeForfeitsScore = true,
    .turnsBackBelowField = true,
    .speedDecays = true,
    .reset = Reset,
    .startOfPlay = StartOfPlay,
    .handleCell = HandleCell,
    .afterTick = DrainWarningBox,
    .timers = Timers,
    .statusReport = StatusReport,
    .onTilt = SilenceTheWind,
    .onBallLost = BallLost,
    .beforeGameOver = SilenceTheWind,
    .unload = SilenceTheWind,
    .scoreMultiplier = Multiplier,
    .statusWaitsForCommandKeys = true,
};

void Score(double points) { Game.Score += points * House.Multiplier; }

void PutBall(float x, float y, float heading) {
    Ball.X = x;
    Ball.Y = y;
    Ball.Direction = heading;
}

void ForfeitGame() {
    Game.Score = 0;
    Game.GameRunning = false;
    EndGame();
}

void StartOfPlay() {
    Randomize();
    PutBall(kEntryX, kEntryY, float(DrawUpTo(kEntryHeadings)));
    std::fill(std::begin(House.GraveTouched), std::end(House.GraveTouched), false);
    House.GravesTouched = 0;
    ResetTombState();
    PutOutFire();
    SendMonsterToSleep();
    // A ball tilted inside the lab must not let the next one in without its welcome.
    House.InLab = false;
    // A wind the last ball raised drops with it: its gusts stopped when that
    // ball was lost, and a trap the player cannot hear must not take this one.
    House.WindBlowing = false;
    House.WindTimer.Stop();
    sndBall.Play(true);
    sndBall.SetVolume(0);
    Ball.Speed = SpeedFactor;
    House.Multiplier = 1;
    Sounds.Music.SetVolume(MusicVolume[kHauntedHouse]);
    Sounds.Music.Play(true);
}

void HandleCell() {
    if (BallOutsideField(kFieldLow, kFieldHigh)) PutBall(kGuardX, kGuardY, kGuardHeading);
    const CellsAround cells = ReadCellsAround(Ball.X, Ball.Y);
    const CellRead& c = cells.C;

    if (c.code == code::Drain) Drain();
    Laboratory(cells);
    for (const WallSide& wall : SidesInOrder(cells))
        if (Stops(wall)) Bounce(wall);
    if (c.code == code::Grave && c.number < kGraves) Grave(c.number);
    if (c.code == code::Fireplace) Fireplace();
    if (c.code == code::Spooky) SpookyZone(c.number);
    if (c.code == code::Letter) Letter(c.number);
}

void DrainWarningBox() {
    const bool inBox = Ball.X > kWarnLeft && Ball.X < kWarnRight && Ball.Y > kWarnTop && Ball.Y < kWarnBottom &&
                       Ball.Direction > kWarnHeadingFrom && Ball.Direction < kWarnHeadingTo;
    DrainWarning(inBox);
}

void Timers() {
    if (House.MonsterAwake && House.MonsterTimer.Expired(kMonsterAwakeMs)) {
        SendMonsterToSleep();
        House.Multiplier = 1;
    }
    if (House.WindBlowing && House.WindTimer.Expired(kWindBlowsMs)) {
        House.WindBlowing = false;
        House.WindTimer.Stop();
        PlayStereo("Haunted/ShutWind.wav", true);
        House.Multiplier = 1;
        Sounds.Gusts.Stop();
    }
}

void AimFromDrain() {
    PutBall(kEntryX, kEntryY, Ball.Direction);
    // The ball rests at the drain while the sweep speaks.
    sndBall.Stop();
    DrainScan scan;
    float shot = 0;
    if (!scan.Aim(shot)) return;
    // Headings are kept in 0..127: the wall rules know no other, and a
    // sweep's last position plus its correction can reach 128 or -1.
    Ball.Direction = std::fmod(shot + kHeadings, kHeadings);
    Ball.Speed = SpeedFactor;
    sndBall.SetPan(PanFor(Ball.X));
    sndBall.Play(true);
    Game.ScanDone = true;
}

}  // namespace tamblor::haunted
