// The Heist table's description for the shared table loop, its ball entry,
// cell handler, launchers and the power-ups it scatters at every ball. Its
// rules (JOBS, jobs, chases, the police, busts, the score box, power-ups,
// the jackpot and the status report) are in heist_rules.cpp.
#include "tables/heist/heist.h"

#include <cstdlib>
#include <string>

#include "audio/positional.h"
#include "core/app.h"
#include "core/keyboard.h"
#include "platform/platform.h"
#include "table/aim_scan.h"
#include "table/table_map.h"
#include "tables/heist/heist_internal.h"

namespace tamblor::heist {

HeistState Heist;
HeistSounds Sounds;

namespace {

constexpr float kFieldLow = 2;
constexpr float kFieldHigh = 49;
constexpr float kGuardX = 25, kGuardY = 25, kGuardHeading = 16;
constexpr float kLeftEntryX = 8, kRightEntryX = 41, kEntryY = 46;
constexpr float kLeftLauncherX = 8, kRightLauncherX = 41, kLauncherY = 47;
constexpr float kMiddleColumn = 25;  // launcher spots left of it are the left launcher's
constexpr float kTopLaneY = 3;
constexpr float kTopLaneFirstX = 15;
constexpr float kTopLaneWidth = 20;
constexpr float kTopLaneHeading = 20;
constexpr int32_t kEntryMusicVolume = -500;
constexpr int16_t kQuietestMusic = -2500;
constexpr int32_t kShiftPan = 3200;
constexpr uint32_t kSweepDwellMs = 150;
constexpr double kBumperPoints = 10000;
constexpr double kExtraBallEvery = 20000000;

// Left: 33 rays from 40 degrees turning right; right: 29 rays from just
// left of straight up turning left. A shot leaves along the ray it heard.
constexpr FanSweep kLeftFan{40.0f, 2.8125f, 33, 60};
constexpr FanSweep kRightFan{45.0f - 2.8125f, -2.8125f, 29, 70};

// Power-ups land in the middle of the field, each far from the one before.
constexpr int kPowerUpFirstX = 9, kPowerUpColumns = 32;
constexpr int kPowerUpFirstY = 17, kPowerUpRows = 22;
constexpr int kPowerUpSpacing = 15;
constexpr uint8_t kPowerUpLetters[] = {'F', 'G', 'H', 'I', 'J', 'J'};
// Where the last power-up went; kept from game to game, as the field is.
uint8_t PreviousPowerUpX = 0, PreviousPowerUpY = 0;

constexpr int kEffectCount = 9;
const std::string kEffects[kEffectCount] = {"heist/SE01.wav", "heist/SE02.wav", "heist/SE03.wav",
                                "heist/SE04.wav", "heist/SE05.wav", "heist/SE06.wav",
                                "heist/SE07.wav", "heist/SE08.wav", "heist/SE09.wav"};

// The floor and the launchers' wall cue aside, doors are walls unless they
// are the open one and the ball is outside the box.
bool ClosedDoor(const CellRead& cell) {
    return cell.code == code::Door && !(cell.number == Heist.OpenDoor && !Heist.InScoreBox);
}

bool IsWall(Side side, const CellRead& cell) {
    if (cell.code == code::Wall || cell.code == code::Bumper || ClosedDoor(cell)) return true;
    if (side == Side::Down) return false;  // police cars and the silent wall let a ball drop onto them
    if (cell.code == code::Police) return true;
    return side == Side::Up && cell.code == code::SilentWall;
}

// One hit with one record of the heading, before the loss. Nudged either
// way: bumpers and walls here close paths that a fixed nudge never leaves.
constexpr BounceStyle kHeistBounce{4, false, 0.1, 1, true};

void Bounce(const WallSide& side) {
    WallBounce(side.side, kHeistBounce);
    switch (side.cell.code) {
    case code::Bumper:
    case code::Door:
        Ball.Speed = SpeedFactor;
        PlayAtBall(sndBumper1);
        break;
    case code::Police:
        PlayAtBall(sndBumper2);
        Heist.LastWallCode = code::Police;
        break;
    case code::Wall: PlayAtBall(sndWallHit); break;
    default: break;  // the silent wall
    }
    Heist.LastWallNumber = side.cell.number;
    if (side.cell.code == code::Door && Heist.InScoreBox) DoorBounceInsideTheBox();
    if (side.cell.code == code::Bumper) Game.Score += kBumperPoints * Heist.Multiplier;
}

void BackToTheTop() {
    Randomize();
    Ball.Y = kTopLaneY;
    Ball.X = float(int(Rnd() * kTopLaneWidth) + kTopLaneFirstX);
    Ball.Direction = kTopLaneHeading;
}

void PlayEffect(uint8_t number) {
    // Spots are numbered from 1; no effect answers any other number.
    if (number < 1 || number > kEffectCount) return;
    PlaySound(kEffects[number - 1], PanFor(Ball.X), false, SoundClass::Effects);
}

SoundSlot* LetterCue(uint8_t number) {
    SoundSlot* cues[] = {nullptr, &Sounds.ScanJ, &Sounds.ScanO, &Sounds.ScanB, &Sounds.ScanS};
    return number <= kLetterCount ? cues[number] : nullptr;
}

class LauncherScan final : public FanAimScan {
public:
    explicit LauncherScan(Launcher which)
        : FanAimScan(which == Launcher::Left ? kLeftFan : kRightFan, kSweepDwellMs), which_(which) {}

protected:
    ProbeAnswer Answer(const MapCell& cell) override {
        switch (cell.Code) {
        case code::Bumper: return {&sndScanTrig, true};
        case code::PowerUp: return {&Sounds.ScanBonus, true};
        case code::Door: return {&Sounds.ScanBox, true};
        case code::Police: return {&Sounds.ScanPolice, true};
        case code::Letter:
            // The left launcher does not offer the letters during a chase,
            // when they count for nothing.
            if (which_ == Launcher::Left && Heist.Chase.Running()) return {};
            return {LetterCue(cell.Number), true};
        case code::Floor: return {&sndScanBeep, false};
        default: return {};
        }
    }

    void Keys() override { InPlayKeys(); }

    bool Escape() override {
        Game.Score = 0;
        Game.GameRunning = false;
        EndGame();
    }

    bool ShotKeyDown() override {
        return FreshKeyDown(which_ == Launcher::Left ? scan::LeftShift : scan::RightShift);
    }

private:
    Launcher which_;
};

const TableSound kSounds[] = {
    {&Sounds.Invalid, "heist/invalid.wav"},    {&Sounds.Box1, "heist/SB01.wav"},
    {&Sounds.Box2, "heist/SB02.wav"},          {&Sounds.Box3, "heist/SB03.wav"},
    {&Sounds.Music, "heist/LvlMusic.wav", true}, {&Sounds.Chase, "heist/Chase.wav", true},
    {&Sounds.ScanBox, "heist/ScanSB.wav"},     {&Sounds.ScanPolice, "heist/ScanChse.wav"},
    {&Sounds.ScanBonus, "heist/ScanBnus.wav"}, {&Sounds.ScanJ, "heist/ScanJ.wav"},
    {&Sounds.ScanO, "heist/ScanO.wav"},        {&Sounds.ScanB, "heist/ScanB.wav"},
    {&Sounds.ScanS, "heist/ScanS.wav"},
};

SoundSlot* const kLoops[] = {&Sounds.Music, &Sounds.Chase};

void Reset() { Heist = HeistState{}; }

int Multiplier() { return Heist.Multiplier; }

}  // namespace

const TableDesc kTable{
    .id = kHeist,
    .mapMember = "heist/heist.map",
    .mapFile = "heist.map",
    .intro = "heist/intro.wav",
    .sounds = kSounds,
    .loops = kLoops,
    .music = &Sounds.Music,
    .quietestMusic = kQuietestMusic,
    .extraBallVoice = "heist/xtraball.wav",
    .extraBallEvery = kExtraBallEvery,
    .bounce = kHeistBounce,
    .flipperPanLeft = -kShiftPan,
    .flipperPanRight = kShiftPan,
    .escapeForfeitsScore = true,
    .turnsBackBelowField = true,
    .speedDecays = true,
    .reset = Reset,
    .startOfPlay = StartOfPlay,
    .handleCell = HandleCell,
    .timers = Timers,
    .statusReport = StatusReport,
    .onBallLost = BallLost,
    .scoreMultiplier = Multiplier,  // what an extra ball pays, 100000 times this
};

void StartOfPlay() {
    ResetJobState();
    // A ball tilted away inside the score box does not bring the box along.
    Heist.InScoreBox = false;
    if (DrawUpTo(1) == 1) {
        Ball.X = kRightEntryX;
        Ball.Direction = DrawUpTo(1) == 1 ? float(DrawUpTo(14) + 112) : float(DrawUpTo(14));
    } else {
        Ball.X = kLeftEntryX;
        Ball.Direction = float(DrawUpTo(14) + 18);
    }
    Ball.Y = kEntryY;
    sndBall.SetVolume(0);
    sndBall.Play(true);
    Randomize();
    PlaceThePowerUps();
    Ball.Speed = SpeedFactor;
    Sounds.Music.SetVolume(kEntryMusicVolume);
    Sounds.Music.Play(true);
}

void PlaceThePowerUps() {
    for (uint8_t letter : kPowerUpLetters) {
        for (;;) {
            Randomize();
            Rnd();
            Rnd();
            int x, y;
            do {
                x = int(Rnd() * kPowerUpColumns) + kPowerUpFirstX;
                y = int(Rnd() * kPowerUpRows) + kPowerUpFirstY;
            } while (std::abs(x - PreviousPowerUpX) < kPowerUpSpacing && std::abs(y - PreviousPowerUpY) < kPowerUpSpacing);
            MapCell& cell = TableMap.Cells[x][y];
            if (cell.Code != code::Floor) continue;
            cell.Code = code::PowerUp;
            cell.Number = letter;
            PreviousPowerUpX = uint8_t(x);
            PreviousPowerUpY = uint8_t(y);
            break;
        }
    }
}

void HandleCell() {
    // An escaped ball is put back before anything is read around it.
    if (BallOutsideField(kFieldLow, kFieldHigh)) {
        Ball.X = kGuardX;
        Ball.Y = kGuardY;
        Ball.Direction = kGuardHeading;
    }
    const CellsAround cells = ReadCellsAround(Ball.X, Ball.Y);
    Heist.LastWallCode = 0;
    const CellRead& c = cells.C;

    if (c.code == code::BoxFloor && !Heist.InScoreBox) EnterScoreBox();
    for (const WallSide& side : SidesInOrder(cells))
        if (IsWall(side.side, side.cell)) Bounce(side);
    if (cells.U.code == code::TopLane) BackToTheTop();
    CaughtByThePolice();
    if (c.code == code::PowerUp) PowerUp(cells.x, cells.y, c.number);
    if (c.code == code::BoxFloor) ScoreBoxFloor();
    if (c.code == code::Launcher) {
        Randomize();
        sndBall.Stop();
        RunLauncher(Ball.X < kMiddleColumn ? Launcher::Left : Launcher::Right);
    }
    if (c.code == code::EffectSpot) PlayEffect(c.number);
    if (c.code == code::Busted) Busted();
    if (c.code == code::Letter && !Heist.Chase.Running()) {
        // A target reached after the job's time is up pays nothing.
        JobTimeOut();
        if (Heist.Job.Running()) JobTarget(c.number);
        else Letter(c.number);
    }
    if (c.code == code::Jackpot) Jackpot();
}

float ShotHeading(Launcher which, int i) { return FanHeading(which == Launcher::Left ? kLeftFan : kRightFan, i); }

void RunLauncher(Launcher which) {
    Ball.X = which == Launcher::Left ? kLeftLauncherX : kRightLauncherX;
    Ball.Y = kLauncherY;
    sndBall.Stop();
    Heist.ShotTaken = false;
    int i;
    {
        LauncherScan scan(which);
        i = scan.Run();
    }
    if (i < 0) return;
    Heist.ShotTaken = true;
    Ball.Direction = ShotHeading(which, i);
    Ball.Speed = SpeedFactor;
    sndBall.Play(true);
}

}  // namespace tamblor::heist
