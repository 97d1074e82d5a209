// The Pac Man table's loader, loop, ball tick, cell handler, launch holes
// and keys. Its rules (dots, pills, ghosts, fruit, tables, game end) are in
// pacman_rules.cpp.
#include "tables/pacman/pacman.h"

#include "audio/positional.h"
#include "core/errors.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "core/startup.h"
#include "platform/platform.h"
#include "table/aim_scan.h"
#include "table/play.h"
#include "table/services.h"
#include "table/table_map.h"
#include "tables/pacman/pacman_internal.h"

namespace tamblor {

namespace pacman {

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
constexpr float kTopSweepFrom = 112;       // straight left, turning down through to just short of right
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
    explicit HoleScan(bool top)
        : AimScan({0, top ? kTopSweepLast : kBottomSweepLast, kSweepDwellMs, 50}), top_(top) {}

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

    void Keys() override { PacManKeys(); }

    bool Escape() override {
        Game.GameRunning = false;
        return true;
    }

    bool Abandoned() override { return Game.ReenterPlay; }

private:
    bool top_;
};

void Pause() {
    // Only what was playing comes back: the siren is silent in power mode,
    // and the ball does not roll while it sits in a launch hole.
    SoundSlot* ball = PacMan.InHole ? nullptr : &sndBall;
    SoundSlot* siren = PacMan.PowerActive ? nullptr : &Sounds.Siren;
    SoundSlot* power = PacMan.PowerActive ? &Sounds.GhostRun : nullptr;
    PauseAround({ball, siren, power});
    LatchHeldSpace();
}

}  // namespace

void SetSirenPitch(uint32_t hz) {
    Sounds.Siren.SetFrequency(hz);
    PacMan.SirenHz = hz;
}

void Relaunch() {
    LaunchBall();
    LatchHeldSpace();
}

void StartOfPlay() {
    sndBall.SetVolume(0);
    sndBall.Play(true);
    Sounds.Siren.Play(true);
    Randomize();
    Ball.Speed = SpeedFactor;
    Ball.X = kStartX;
    DrawStart();
    Game.GameRunning = true;
    Game.ReenterPlay = false;
    Sounds.Siren.Play(true);
    PacMan.FruitPresent = false;
    PacMan.FruitTick = PacMan.PowerStartTick = GetTick();
    SetSirenPitch(kSirenHz);
}

void BallTick() {
    if (!BallStepDue(GetTick())) return;
    sndBall.SetPan(PanFor(Ball.X, 25, 400));
    MoveBall();
    HandleCell();
    Game.LastStepTick = static_cast<int32_t>(GetTick());
}

void HandleCell() {
    Randomize();
    if (BallOutsideField(kFieldLow, kFieldHigh)) {
        Ball.X = kStartX;
        DrawStart();
    }
    const CellsAround cells = ReadCellsAround(Ball.X, Ball.Y);

    const struct {
        Side side;
        CellRead cell;
    } sides[] = {{Side::Down, cells.D}, {Side::Up, cells.U}, {Side::Left, cells.L}, {Side::Right, cells.R}};
    for (const auto& s : sides) {
        if (!Solid(s.cell)) continue;
        WallBounce(s.side, kPacManBounce);
        if (s.cell.code == code::Bumper) {
            Ball.Speed = SpeedFactor;
            sndBumper1.SetPan(PanFor(Ball.X));
            sndBumper1.Play(false);
            Game.Score += kBumperPoints;
        } else {
            sndWallHit.SetPan(PanFor(Ball.X));
            sndWallHit.Play(false);
        }
    }

    if (cells.C.code == code::Hole) {
        sndBall.Stop();
        AimScanHole(Ball.Y < kMiddleRow);
        if (Game.ReenterPlay || !Game.GameRunning) return;
    }

    const CellRead* all[] = {&cells.C, &cells.U, &cells.D, &cells.L, &cells.R};
    for (const CellRead* cell : all) {
        if (cell->code != code::Dot) continue;
        EatDots(cells);
        if (Game.ReenterPlay) return;  // a new table has begun
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
    if (PacMan.PowerActive) {
        Sounds.Siren.SetVolume(kVolumeMin);
        Sounds.GhostRun.SetVolume(kVolumeMin);
    }
    Game.ScanDone = false;
    PacMan.InHole = true;
    HoleScan scan(topHole);
    const int i = scan.Run();
    PacMan.InHole = false;
    // Also when a tilt or a new table took the ball out of the hole: a
    // silenced loop must not stay silent for the rest of the game.
    Sounds.Siren.SetVolume(0);
    Sounds.GhostRun.SetVolume(0);
    if (i < 0) return;
    Ball.Direction = topHole ? kTopSweepFrom - float(i) : float((i + kBottomShotOffset) % 128);
    Ball.Speed = SpeedFactor;
    sndBall.SetPan(PanFor(Ball.X));
    sndBall.Play(true);
    Game.ScanDone = true;
}

void PacManKeys() {
    if (CommandPress(scan::P)) Pause();
    if (CommandPress(scan::Return)) {
        Tilt();
        return;  // play starts again with a new ball
    }
    // A fresh press only: the Space that launched a ball must not also skip
    // the table.
    if (PacMan.DotsLeft < kSkipBelowDots && TakeLatchedPress(scan::Space)) {
        CompleteTable(false);
        return;
    }
    if (KeyDown(scan::S)) StatusReport();
    FlipperKeys(false);  // this table has no flippers, whatever the game mode
    MusicVolumeKeys(kPacMan, Sounds.Siren);
    UpdateCommandKeysReleased();
}

bool LoopPass() {
    try {
        if (KeyDown(scan::Escape)) {
            Game.GameRunning = false;
        } else {
            BallTick();
            if (Game.ReenterPlay) return false;
            PacManKeys();
            if (Game.ReenterPlay) return false;
            PowerExpiry();
            FruitTiming();
            ExtraBall();
            NewHighScoreCue(kPacMan);
        }
    } catch (const RuntimeError& error) {
        // A failing mixer call on a table sound: say so and play on.
        ReportError("PlayPacMan", error);
    }
    return Game.GameRunning;
}

}  // namespace pacman

void LoadPacMan() {
    using pacman::Sounds;
    CreateSoundBuffer(Sounds.Siren, "pacman/Siren.wav");
    CreateSoundBuffer(Sounds.EatDot, "pacman/EatDot.wav");
    CreateSoundBuffer(Sounds.GhostRun, "pacman/GhostRun.wav");
    CreateSoundBuffer(Sounds.EatFruitPower, "pacman/EatFrGR.wav");
    CreateSoundBuffer(Sounds.EatFruit, "pacman/EatFrS.wav");
    CreateSoundBuffer(Sounds.SwooshLeft, "pacman/Swoosh.wav");
    CreateSoundBuffer(Sounds.SwooshRight, "pacman/Swoosh.wav");
    CreateSoundBuffer(Sounds.LevelMusic, "pacman/lvlMusic.wav");
    CreateSoundBuffer(Sounds.FruitAppears, "pacman/FruitPr.wav");
    CreateSoundBuffer(Sounds.GhostReturns, "pacman/ghostrtn.wav");
    CreateSoundBuffer(Sounds.ScanGhost, "pacman/ScanGhst.wav");
    CreateSoundBuffer(Sounds.ScanFruit, "pacman/ScanFrt.wav");
    CreateSoundBuffer(Sounds.ScanPill, "pacman/ScanPUp.wav");
    CreateSoundBuffer(Sounds.ScanTunnel, "pacman/ScanTunl.wav");

    LoadMapMember("pacman/pacman.map", "pacman.map");

    Game = SharedGameState{};
    pacman::PacMan = pacman::PacManState{};
    pacman::PacMan.DotsLeft = TableMap.DotCount;
}

void PlayPacMan() {
    for (;;) {
        pacman::StartOfPlay();
        do {
            PollKeyboard();
            YieldToSystem();
        } while (pacman::LoopPass());
        if (!Game.GameRunning) pacman::PacManGameOver();
    }
}

}  // namespace tamblor
