// The Safari table's description for the shared table loop, its start of
// play, cell handler, drain and status report. Its rules (terrain, snakes,
// the cougar, the swim, the SAFARI letters and the hunt) are in
// safari_rules.cpp.
#include "tables/safari/safari.h"

#include "audio/positional.h"
#include "core/app.h"
#include "core/settings.h"
#include "core/keyboard.h"
#include "platform/platform.h"
#include "table/aim_scan.h"
#include "table/play.h"
#include "table/table_map.h"

namespace tamblor::safari {

SafariState Safari;
SafariSounds Sounds;
uint8_t PreviousCougarX = 0, PreviousCougarY = 0;

namespace {

constexpr float kFieldLow = 1;
constexpr float kFieldHigh = 49;
constexpr float kGuardX = 25, kGuardY = 25;
constexpr float kEntryHeadingSpread = 32;  // up-left through up to up-right
constexpr float kGateHeadingSpread = 128;  // anywhere
constexpr double kBumperPoints = 10000;
constexpr double kMultiHitPoints = 50000;
constexpr double kBellPoints = 20000;
constexpr int32_t kFootstepPan = -3200;
// Nudged either way: the bumpers at the right of the field and the side
// walls close a path that a fixed nudge never leaves.
constexpr BounceStyle kSafariBounce{10, false, 0.1, 1, true};

// The box above the drain where a ball heading down sets off the warning.
constexpr float kWarnLeft = 14, kWarnRight = 33, kWarnTop = 38, kWarnBottom = 48;
constexpr float kWarnHeadingFrom = 48, kWarnHeadingTo = 112;

// The drain's aim scan: Left Shift sweeps from the right through straight
// up to the left, Right Shift from the left to the right.
constexpr SideSweep kLeftSide{44, 0, 59, 2, true};
constexpr SideSweep kRightSide{4, 0, 59, -2, false};
constexpr uint32_t kDrainDwellMs = 125;

// Walls of code 1 with a second byte stop the ball only from above and
// from the right (as D and L): one-way walls.
bool Solid(Side side, const CellRead& cell) {
    const bool bumper = cell.code == code::Bumper;
    const bool wall = cell.code == code::Wall;
    switch (side) {
    case Side::Down:
    case Side::Left: return bumper || wall;
    case Side::Up: return (bumper || wall) && cell.number == 0;
    case Side::Right: return bumper || (wall && cell.number == 0);
    }
    return false;
}

void Bounce(const WallSide& side) {
    WallBounce(side.side, kSafariBounce);
    if (side.cell.code == code::Bumper) {
        Ball.Speed = SpeedFactor;
        sndBumper1.Stop();
        PlayAtBall(sndBumper1);
        Game.Score += kBumperPoints;
    } else {
        PlayAtBall(sndWallHit);
    }
}

// One of three numbered sounds (second byte 1..3); others are silent.
void PlayNumbered(SoundSlot (&sounds)[3], uint8_t number) {
    if (number >= 1 && number <= 3) PlayAtBall(sounds[number - 1]);
}

SoundSlot* LetterCue(uint8_t letter) {
    switch (letter) {
    case 1: return &Sounds.ScanS;
    case 2:
    case 4: return &Sounds.ScanA;
    case 3: return &Sounds.ScanF;
    case 5: return &Sounds.ScanR;
    case 6: return &Sounds.ScanI;
    default: return nullptr;
    }
}

class DrainAimScan final : public SideAimScan {
public:
    DrainAimScan() : SideAimScan(kLeftSide, kRightSide, kDrainDwellMs) {}

protected:
    ProbeAnswer Answer(const MapCell& cell) override {
        switch (cell.Code) {
        case code::Bumper: return {&sndScanTrig, true};
        case code::Letter: return {LetterCue(cell.Number), true};
        case code::Sand: return {&Sounds.ScanSand, false};
        case code::Floor: return {&sndScanBeep, false};
        default: return {};
        }
    }
    void Keys() override { InPlayKeys(); }
    bool Escape() override {
        Game.Score = 0;
        EndGame();
    }
};

void Reset() { Safari = SafariState{}; }

const TableSound kSounds[] = {
    {&Sounds.Water[0], "Safari/water1.wav"},     {&Sounds.Water[1], "Safari/water2.wav"},
    {&Sounds.Water[2], "Safari/water3.wav"},     {&Sounds.Sand[0], "Safari/Sand1.wav"},
    {&Sounds.Sand[1], "Safari/Sand2.wav"},       {&Sounds.Sand[2], "Safari/Sand3.wav"},
    {&Sounds.Ambience[0], "Safari/Amb1.wav"},    {&Sounds.Ambience[1], "Safari/Amb2.wav"},
    {&Sounds.Ambience[2], "Safari/Amb3.wav"},    {&Sounds.Ambience[3], "Safari/Amb4.wav"},
    {&Sounds.Ambience[4], "Safari/Amb5.wav"},    {&Sounds.Swing, "Safari/Swing.wav"},
    {&Sounds.Snake[0], "Safari/Snake1.wav"},     {&Sounds.Snake[1], "Safari/Snake2.wav"},
    {&Sounds.Snake[2], "Safari/Hiss.wav"},       {&Sounds.FootLeft, "Safari/FootLeft.wav"},
    {&Sounds.FootRight, "Safari/FootRite.wav"},  {&Sounds.SwimLeft, "Safari/SwimLeft.wav"},
    {&Sounds.SwimRight, "Safari/SwimRite.wav"},  {&Sounds.ScanS, "Safari/ScanS.wav"},
    {&Sounds.ScanA, "Safari/ScanA.wav"},         {&Sounds.ScanF, "Safari/ScanF.wav"},
    {&Sounds.ScanR, "Safari/ScanR.wav"},         {&Sounds.ScanI, "Safari/ScanI.wav"},
    {&Sounds.ScanSand, "Safari/ScanSand.wav"},   {&Sounds.Music, "Safari/LvlMusic.wav"},
    {&Sounds.AnimalCall[0], "Safari/ScanCat.wav"}, {&Sounds.AnimalCall[1], "Safari/ScanHawk.wav"},
    {&Sounds.AnimalCall[2], "Safari/ScanHipo.wav"}, {&Sounds.AnimalCall[3], "Safari/scanelep.wav"},
    {&Sounds.AnimalCall[4], "Safari/ScanBoar.wav"}, {&Sounds.Shoot, "Safari/Shoot.wav"},
    {&Sounds.StepLeft, "Safari/StepLeft.wav"},   {&Sounds.StepRight, "Safari/steprite.wav"},
    {&Sounds.DryFire, "Safari/DryFire.wav"},     {&Sounds.HuntAmbience, "Safari/HuntAmb.wav"},
};

SoundSlot* const kLoops[] = {&Sounds.Music, &Sounds.HuntAmbience};

}  // namespace

const TableDesc kTable{
    .id = kSafari,
    .mapMember = "safari/safari.map",
    .mapFile = "safari.map",
    .intro = "safari/intro.wav",
    .sounds = kSounds,
    .loops = kLoops,
    .music = &Sounds.Music,
    .extraBallVoice = "Safari/xtraball.wav",
    .bounce = kSafariBounce,
    .hasFlippers = true,
    .escapeForfeitsScore = true,  // Escape in play ends the game with nothing to store
    .turnsBackBelowField = true,
    .speedDecays = true,
    .reset = Reset,
    .startOfPlay = StartOfPlay,
    .handleCell = HandleCell,
    .afterTick = DrainWarningBox,
    .statusReport = StatusReport,
};

void StartOfPlay() {
    Randomize();
    Ball.X = kEntryX;
    Ball.Y = kEntryY;
    Ball.Direction = float(DrawUpTo(kEntryHeadingSpread));
    ResetHunt();
    PlaceCougar();
    sndBall.Play(true);
    sndBall.SetVolume(0);
    Ball.Speed = SpeedFactor;
    Safari.AnimalsBagged = 0;
    Sounds.Music.Play(true);
}

namespace {
// The animal on the ball's cell or either side of it; 0 for none.
int AnimalAround(const CellsAround& cells) {
    for (const CellRead* cell : {&cells.C, &cells.R, &cells.L})
        if (cell->code == code::Animal) return cell->number;
    return 0;
}
}  // namespace

void HandleCell() {
    if (BallOutsideField(kFieldLow, kFieldHigh)) {
        Ball.X = kGuardX;
        Ball.Y = kGuardY;
        Ball.Direction = heading::Up;
    }
    const CellsAround cells = ReadCellsAround(Ball.X, Ball.Y);

    // Above the animals' row the rifle takes the ball back, unless the ball
    // is on an animal: the bag comes first, or the sweep could end the hunt
    // and lose the animal. The rest of the handler still sees the cells
    // where the ball was.
    const int animal = AnimalAround(cells);
    if (Ball.Y < kAnimalRow && Safari.HuntActive && animal == 0) HuntSweep();

    for (const WallSide& side : SidesInOrder(cells))
        if (Solid(side.side, side.cell)) Bounce(side);

    const CellRead& c = cells.C;
    if (c.code == code::Water) {
        if (c.number == 0) DeepWater();
        else PlayNumbered(Sounds.Water, c.number);
    }
    if (c.code == code::Sand) {
        if (c.number == 0) Quicksand();
        else PlayNumbered(Sounds.Sand, c.number);
    }
    if (c.code == code::Ambience) PlayAtBall(Sounds.Ambience[DrawUpTo(4)]);
    if (c.code == code::Letter) PlayAtBall(Sounds.Swing);
    if (c.code == code::Snakes) Snakes();
    if (c.code == code::EntryGate) {
        Ball.X = kGateX;
        Ball.Y = kGateY;
        Ball.Direction = WrappedHeading(float(DrawUpTo(kGateHeadingSpread)));
        PlaySound("Safari/Enter.wav", 0, false, SoundClass::Effects);
    }
    // The shared sounds are centred here; another table may have panned them.
    if (c.code == code::MultiHit) {
        sndMultiHit.SetPan(0);
        sndMultiHit.Play(false);
        Game.Score += kMultiHitPoints;
    }
    if (c.code == code::Silencer) sndMultiHit.Stop();
    if (c.code == code::Bell) {
        sndBell.Stop();
        sndBell.SetPan(0);
        sndBell.Play(false);
        Game.Score += kBellPoints;
    }
    if (c.code == code::FlipperZone) {
        if (GameMode == 1) {
            if (!FlipperCatchesBall()) {
                DrainWarning(false);
                PlaySound("sounds/flush.wav", 0, true, SoundClass::Effects);
                Sounds.Music.Stop();
                Sounds.HuntAmbience.Stop();
                LoseBall();
            }
        } else {
            DrainScan();
        }
    }
    if (c.code == code::Cougar && !Safari.HuntActive) Cougar();
    if (c.code == code::Letter) Letter(c.number);
    if (animal != 0) BagAnimal(animal);
    if (c.code == code::Footsteps) {
        SoundSlot& step = c.number == 1 ? Sounds.StepLeft : Sounds.StepRight;
        step.SetPan(kFootstepPan);
        step.Play(false);
    }
    if (c.code == code::Acid) AcidPool();
}

void DrainWarningBox() {
    DrainWarning(Ball.X > kWarnLeft && Ball.X < kWarnRight && Ball.Y > kWarnTop && Ball.Y < kWarnBottom &&
                 Ball.Direction > kWarnHeadingFrom && Ball.Direction < kWarnHeadingTo);
}

void DrainScan() {
    Ball.X = kGunX;
    Ball.Y = kGunY;
    Game.ScanDone = false;
    // The ball waits at the drain: its rolling would cover the cues.
    sndBall.Stop();
    float shot = 0;
    NoteState("aim");
    {
        DrainAimScan scan;
        if (!scan.Aim(shot)) return;
    }
    NoteState("play");
    Ball.Direction = WrappedHeading(shot);
    Ball.Speed = SpeedFactor;
    sndBall.SetPan(PanFor(Ball.X));
    sndBall.Play(true);
    Game.ScanDone = true;
}

void StatusReport() {
    HeldLoops held(std::span<SoundSlot* const>{});
    SayScore();
    SayBallsLeft(Game.BallsLeft + 1);
}

}  // namespace tamblor::safari
