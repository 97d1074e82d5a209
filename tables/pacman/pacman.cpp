// The Pac Man table's description for the shared table loop, its start of
// play, cell handler, launch holes and keys. Its rules (dots, pills, ghosts,
// fruit, tables, status and game end) are in pacman_rules.cpp.
#include "tables/pacman/pacman.h"

#include "audio/positional.h"
#include "core/app.h"
#include "core/keyboard.h"
#include "platform/platform.h"
#include "table/aim_scan.h"
#include "table/play.h"
#include "table/table_map.h"
#include "tables/pacman/pacman_internal.h"

namespace tamblor::pacman {

PacManState PacMan;
PacManSounds Sounds;

namespace {

constexpr float kStartX = 26;
constexpr float kBottomStartY = 43;
constexpr float kTopStartY = 6;
constexpr float kHoleX = 25;
constexpr float kTopHoleY = 6;
constexpr float kBottomHoleY = 44;
constexpr float kMiddleRow = 25;  // holes above it are the top hole
constexpr float kFieldLow = 1;
constexpr float kFieldHigh = 48;
constexpr float kLeftTunnelExitX = 43;
constexpr float kRightTunnelExitX = 7;
constexpr float kTunnelExitY = 25;
constexpr int32_t kLeftTunnelPan = -2500;
constexpr int32_t kRightTunnelPan = 2500;
constexpr double kBumperPoints = 10000;
constexpr int32_t kSkipBelowDots = 11;

constexpr int kTopSweepLast = 63;
constexpr int kBottomSweepLast = 60;
constexpr uint32_t kSweepDwellMs = 150;
constexpr float kTopSweepFrom = 112;             // straight left, turning down through to just short of right
constexpr float kBottomSweepFromDegrees = -40;  // about heading 114, turning up through to about 46
constexpr float kDegreesPerHeading = 2.8125f;
constexpr int kBottomShotOffset = 113;

// Where a new ball starts: near the bottom heading up, or near the top
// heading down.
void DrawStart() {
    if (DrawUpTo(1) == 1) {
        Ball.Y = kBottomStartY;
        Ball.Direction = DrawUpTo(1) == 1 ? float(DrawUpTo(46)) : float(DrawUpTo(13) + 114);
    } else {
        Ball.Y = kTopStartY;
        Ball.Direction = float(DrawUpTo(60) + 50);
    }
}

// Walls and bumpers stop the ball, except those marked 1 while power is on.
bool Solid(const CellRead& cell) {
    if (cell.code != code::Wall && cell.code != code::Bumper) return false;
    return !(cell.number == 1 && PacMan.PowerActive);
}

bool ValidNumber(uint8_t number) { return number <= 4; }

class HoleScan final : public AimScan {
public:
    explicit HoleScan(bool top) : AimScan({0, top ? kTopSweepLast : kBottomSweepLast, kSweepDwellMs, 50}), top_(top) {}

protected:
    float ProbeAngle(int i) override {
        return top_ ? (kTopSweepFrom - float(i)) * kDegreesPerHeading
                    : float(i) * kDegreesPerHeading + kBottomSweepFromDegrees;
    }

    ProbeAnswer Answer(const MapCell& cell) override {
        if (PacMan.PowerActive) {
            if (cell.Code == code::Ghost) {
                // Only the ghosts still to be eaten answer; an eaten one is silent.
                if (ValidNumber(cell.Number) && PacMan.GhostEaten[cell.Number]) return {};
                return {&Sounds.ScanGhost, true};
            }
            return {&sndScanBeep, false};
        }
        switch (cell.Code) {
        case code::Bumper: return {&sndScanTrig, true};
        case code::Fruit: return PacMan.FruitPresent ? ProbeAnswer{&Sounds.ScanFruit, false} : ProbeAnswer{};
        case code::Pill:
            // A pill already eaten on this table is not there to aim at.
            if (ValidNumber(cell.Number) && PacMan.PillEaten[cell.Number]) return {};
            return {&Sounds.ScanPill, false};
        case code::Tunnel: return {&Sounds.ScanTunnel, false};
        case code::Floor: return {&sndScanBeep, false};
        default: return {};
        }
    }

    void Keys() override { InPlayKeys(); }

    bool Escape() override {
        Game.GameRunning = false;
        return true;
    }

private:
    bool top_;
};

// The siren and the power loop are silenced while a hole's sweep speaks;
// whatever ends the scan (a shot, Escape, a tilt, a skipped table) gives
// them their volume back.
struct SilencedForScan {
    SilencedForScan() {
        if (!PacMan.PowerActive) return;
        Sounds.Siren.SetVolume(kVolumeMin);
        Sounds.GhostRun.SetVolume(kVolumeMin);
    }
    ~SilencedForScan() {
        Sounds.Siren.SetVolume(0);
        Sounds.GhostRun.SetVolume(0);
    }
};

void Bounce(const WallSide& side) {
    WallBounce(side.side, kPacManBounce);
    if (side.cell.code == code::Bumper) {
        Ball.Speed = SpeedFactor;
        PlayAtBall(sndBumper1);
        Game.Score += kBumperPoints;
    } else {
        PlayAtBall(sndWallHit);
    }
}

void Keys() {
    // A fresh press only: the Space that launched a ball must not also skip
    // the table.
    if (PacMan.DotsLeft < kSkipBelowDots && TakeLatchedPress(scan::Space)) CompleteTable(false);
}

const TableSound kSounds[] = {
    {&Sounds.Siren, "pacman/Siren.wav"},         {&Sounds.EatDot, "pacman/EatDot.wav"},
    {&Sounds.GhostRun, "pacman/GhostRun.wav"},   {&Sounds.EatFruitPower, "pacman/EatFrGR.wav"},
    {&Sounds.EatFruit, "pacman/EatFrS.wav"},     {&Sounds.SwooshLeft, "pacman/Swoosh.wav"},
    {&Sounds.SwooshRight, "pacman/Swoosh.wav"},  {&Sounds.LevelMusic, "pacman/lvlMusic.wav", false, SoundClass::Music},
    {&Sounds.FruitAppears, "pacman/FruitPr.wav"}, {&Sounds.GhostReturns, "pacman/ghostrtn.wav"},
    {&Sounds.ScanGhost, "pacman/ScanGhst.wav"},  {&Sounds.ScanFruit, "pacman/ScanFrt.wav"},
    {&Sounds.ScanPill, "pacman/ScanPUp.wav"},    {&Sounds.ScanTunnel, "pacman/ScanTunl.wav"},
};

SoundSlot* const kLoops[] = {&Sounds.Siren, &Sounds.GhostRun, &Sounds.GhostReturns};

void Reset() {
    PacMan = PacManState{};
    PacMan.DotsLeft = TableMap.DotCount;
}

}  // namespace

const TableDesc kTable{
    .id = kPacMan,
    .mapMember = "pacman/pacman.map",
    .mapFile = "pacman.map",
    .intro = "pacman/strtmuse.wav",
    .introClass = SoundClass::Music,
    .sounds = kSounds,
    .loops = kLoops,
    .music = &Sounds.Siren,
    .extraBallVoice = "pacman/BonusLif.wav",
    .bounce = kPacManBounce,
    .lostBallReentersPlay = false,  // a ghost's victim is relaunched and play goes on
    .reset = Reset,
    .startOfPlay = StartOfPlay,
    .handleCell = HandleCell,
    .keys = Keys,
    .timers = Timers,
    .statusReport = StatusReport,
    .onTilt = EndPower,
    .onBallLost = BallLost,
    .afterRelaunch = PlayOnAfterLostBall,
    .finalWords = TablesCompletedWords,
};

void SetSirenPitch(uint32_t hz) {
    Sounds.Siren.SetFrequency(hz);
    PacMan.SirenHz = hz;
}

void StartOfPlay() {
    sndBall.SetVolume(0);
    sndBall.Play(true);
    Sounds.Siren.Play(true);
    Randomize();
    Ball.Speed = SpeedFactor;
    Ball.X = kStartX;
    DrawStart();
    PacMan.FruitPresent = false;
    PacMan.FruitTick = PacMan.PowerStartTick = GetTick();
    SetSirenPitch(kSirenHz);
}

void HandleCell() {
    Randomize();
    if (BallOutsideField(kFieldLow, kFieldHigh)) {
        Ball.X = kStartX;
        DrawStart();
    }
    const CellsAround cells = ReadCellsAround(Ball.X, Ball.Y);

    for (const WallSide& side : SidesInOrder(cells))
        if (Solid(side.cell)) Bounce(side);

    if (cells.C.code == code::Hole) {
        sndBall.Stop();
        AimScanHole(Ball.Y < kMiddleRow);
        if (!Game.GameRunning) return;  // Escape in the hole ends the game
    }

    const CellRead* all[] = {&cells.C, &cells.U, &cells.D, &cells.L, &cells.R};
    for (const CellRead* cell : all) {
        if (cell->code != code::Dot) continue;
        EatDots(cells);  // the last dot leaves for a new table
        break;
    }

    if (cells.L.code == code::Tunnel) {
        Sounds.SwooshLeft.SetPan(kLeftTunnelPan);
        Sounds.SwooshLeft.Play(false);
        Ball.X = kLeftTunnelExitX;
        Ball.Y = kTunnelExitY;
    }
    if (cells.R.code == code::Tunnel) {
        Sounds.SwooshRight.SetPan(kRightTunnelPan);
        Sounds.SwooshRight.Play(false);
        Ball.X = kRightTunnelExitX;
        Ball.Y = kTunnelExitY;
    }

    const uint8_t number = cells.C.number;
    if (cells.C.code == code::Pill && ValidNumber(number) && !PacMan.PillEaten[number] && !PacMan.PowerActive)
        PowerPill(number);
    if (cells.C.code == code::Ghost && ValidNumber(number)) Ghost(number);
    if (cells.C.code == code::Fruit && PacMan.FruitPresent) Fruit();
}

void AimScanHole(bool topHole) {
    Ball.X = kHoleX;
    Ball.Y = topHole ? kTopHoleY : kBottomHoleY;
    Game.ScanDone = false;
    int i;
    {
        SilencedForScan silenced;
        HoleScan scan(topHole);
        i = scan.Run();
    }
    if (i < 0) return;
    Ball.Direction = topHole ? kTopSweepFrom - float(i) : float((i + kBottomShotOffset) % 128);
    Ball.Speed = SpeedFactor;
    sndBall.SetPan(PanFor(Ball.X));
    sndBall.Play(true);
    Game.ScanDone = true;
}

}  // namespace tamblor::pacman
