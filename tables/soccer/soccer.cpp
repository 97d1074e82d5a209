// The Soccer Star table's description for the shared table loop, its start
// of play, cell handler, keys, timers and the two aimed shots. The match
// rules (goals, letters, double score, defenders, offside, cards, status
// and the end of the match) are in soccer_rules.cpp.
#include "tables/soccer/soccer.h"

#include "audio/positional.h"
#include "core/app.h"
#include "core/keyboard.h"
#include "platform/platform.h"
#include "table/aim_scan.h"
#include "table/table_map.h"
#include "tables/soccer/soccer_internal.h"

namespace tamblor::soccer {

SoccerState Soccer;
SoccerSounds Sounds;

namespace {

constexpr float kStartX = 26;
constexpr float kStartY = 43;
constexpr float kHalfway = 25;
constexpr float kFieldLow = 1;
constexpr float kFieldHigh = 49;
constexpr float kGuardX = 25;
constexpr float kGuardY = 25;
constexpr float kGuardDirection = 16;
constexpr float kKickSpotX = 25;
constexpr float kKickOffY = 46;
constexpr float kStrikerY = 18;
constexpr float kHomeGoalKickY = 45;
constexpr double kKickSlowdown = 0.4;
constexpr double kBumperPoints = 10000;
constexpr double kWallValue = 1000;
constexpr double kBumperValue = 10000;
constexpr double kMidfieldValue = 50000;
constexpr uint8_t kBalls = 5;

constexpr BounceStyle kSoccerBounce{4, false, 0.2, 1};

constexpr uint32_t kBlockMs = 1000;
constexpr uint32_t kDoubleScoreMs = 10000;
constexpr uint32_t kMidfieldArmsAfterMs = 60000;
constexpr uint32_t kMidfieldOpenMs = 20000;

// The block warning's box in front of the home goal, for a ball heading down.
constexpr float kWarnLeft = 17, kWarnRight = 33, kWarnTop = 32, kWarnBottom = 47;
constexpr float kWarnHeadingFrom = 48, kWarnHeadingTo = 112;
constexpr float kWarnPanPerColumn = 250, kWarnPanOffset = 2500;
constexpr float kWarnBaseHz = 22050, kWarnHzPerRow = 1000;

// The aims: the anticlockwise sweep from heading 48 down through 0 to 112,
// the clockwise one from 113 up through 0 to 48; a pass up the middle at
// positions 29 and 30 may be blocked and turned.
constexpr uint32_t kAimDwellMs = 150;
constexpr int kAimProbeSteps = 60;
constexpr SideSweep kAnticlockwise{48, 63, 0, 0, false};
constexpr SideSweep kClockwise{0, 0, 63, 0, false};
constexpr int kPassFrom = 29, kPassTo = 30;
constexpr float kBlockedPassTurn = 20;

bool Solid(const WallSide& side) {
    switch (side.cell.code) {
    case code::Wall: return true;
    case code::Bumper: return side.side != Side::Up || side.cell.number == 0;
    case code::Midfield: return Soccer.MidfieldOpen;
    default: return false;
    }
}

void Bounce(const WallSide& side) {
    WallBounce(side.side, kSoccerBounce);
    if (side.cell.code == code::Wall) {
        PlayAtBall(Sounds.Kick[DrawUpTo(3)]);
        if (!Soccer.UpperHalf) AddScore(kWallValue);
        return;
    }
    RecordHalf();
    Ball.Speed = SpeedFactor;
    PlayAtBall(sndBumper1);
    Game.Score += kBumperPoints;
    AddScore(side.cell.code == code::Bumper ? kBumperValue : kMidfieldValue);
}

bool Marked(const bool (&marks)[kMarks], uint8_t n) { return n >= kMarks || marks[n]; }

class ShotAim final : public SideAimScan {
public:
    explicit ShotAim(bool striker)
        : SideAimScan(kAnticlockwise, kClockwise, kAimDwellMs, kAimProbeSteps), striker_(striker) {}
    int Position() const { return position_; }

protected:
    float ProbeAngle(int position) override {
        position_ = position;
        return SideAimScan::ProbeAngle(position);
    }

    ProbeAnswer Answer(const MapCell& cell) override {
        switch (cell.Code) {
        case code::Floor: return {&sndScanBeep, false};
        case code::Bumper: return {&sndScanTrig, true};
        case code::DoubleScore: return {&Sounds.ScanDoubleScore, true};
        case code::Letter: {
            const bool(&marks)[kMarks] = Soccer.GoalMode ? Soccer.GoalMark : Soccer.SaveMark;
            return Marked(marks, cell.Number) ? ProbeAnswer{} : ProbeAnswer{&Sounds.ScanLetter, true};
        }
        case code::Defender:
            // To the striker a fallen defender is a way through to the net.
            if (striker_ && Marked(Soccer.DefenderDown, cell.Number)) return {&Sounds.ScanNet, true};
            return {&Sounds.ScanDefender, true};
        case code::Net: return striker_ ? ProbeAnswer{} : ProbeAnswer{&Sounds.ScanNet, true};
        case code::Midfield: return Soccer.MidfieldOpen ? ProbeAnswer{&Sounds.ScanMidfield, true} : ProbeAnswer{};
        case code::Spot: return {&Sounds.ScanFlip, true};
        default: return {};
        }
    }

    void Keys() override { InPlayKeys(); }

    bool Escape() override {
        Game.Score = 0;
        Game.GameRunning = false;
        // The striker leaves a choice of side quietly and the loop ends the
        // match; anywhere else the match ends at once.
        if (striker_ && Game.ScanWaiting) return true;
        EndGame();
    }

private:
    bool striker_;
    int position_ = 0;
};

// The visitors' goal kick: the ball comes back from their goal line.
void VisitorsGoalKick() {
    Ball.Speed = SpeedFactor;
    RecordHalf();
    RecordBounce();
    LowerSpeed(kKickSlowdown);
    PlayAtBall(Sounds.BallKick);
    VisitorsKickOff();
}

// The home goal kick: the ball is back with the keeper for a kick-off.
void HomeGoalKick() {
    Ball.Speed = SpeedFactor;
    RecordHalf();
    RecordBounce();
    LowerSpeed(kKickSlowdown);
    Reflect(Side::Down, Ball.Direction);
    PlayAtBall(Sounds.BallKick);
    Ball.X = kKickSpotX;
    Ball.Y = kHomeGoalKickY;
    Ball.Direction = float(DrawUpTo(32));
    sndBall.Stop();
    PlaySound("soccer/v_KckOff.wav", 0, true);
    AimedShot(false);
    sndBall.Play(true);
}

void OpenMidfield() {
    Soccer.Midfield.Start();
    Soccer.MidfieldOpen = true;
    PlaySound("soccer/v_Midf.wav", 0, true);
    Sounds.MidfieldMusic.Play(true);
    Soccer.MidfieldArmed = false;
}

bool InCentralBands() {
    return (Ball.Y >= 13 && Ball.Y <= 24) || (Ball.X >= 18 && Ball.X <= 31);
}

const TableSound kSounds[] = {
    {&Sounds.Kick[0], "soccer/Kick01.wav"},      {&Sounds.Kick[1], "soccer/Kick02.wav"},
    {&Sounds.Kick[2], "soccer/Kick03.wav"},      {&Sounds.Kick[3], "soccer/Kick04.wav"},
    {&Sounds.BallKick, "soccer/BallKick.wav"},   {&Sounds.DoubleScore, "soccer/DblScore.wav"},
    {&Sounds.Block, "soccer/BlokGoal.wav"},      {&Sounds.Crowd, "soccer/crowd.wav"},
    {&Sounds.Chant, "soccer/Chant.wav"},         {&Sounds.MidfieldMusic, "soccer/MFMusic.wav"},
    {&Sounds.BlockWarning, "soccer/BlokBeep.wav"}, {&Sounds.ScanDefender, "soccer/ScanDfnd.wav"},
    {&Sounds.ScanDoubleScore, "soccer/ScanDblS.wav"}, {&Sounds.ScanMidfield, "soccer/ScanMidf.wav"},
    {&Sounds.ScanNet, "soccer/ScanNet.wav"},     {&Sounds.ScanLetter, "soccer/ScanSpll.wav"},
    {&Sounds.ScanFlip, "soccer/ScanFlip.wav"},
};

SoundSlot* const kLoops[] = {&Sounds.Crowd, &Sounds.Chant, &Sounds.MidfieldMusic, &Sounds.BlockWarning};

void Reset() {
    const bool midfieldOpen = Soccer.MidfieldOpen;
    Soccer = SoccerState{};
    Soccer.MidfieldOpen = midfieldOpen;
    Game.BallsLeft = kBalls;
    Randomize();
    Ball.X = kStartX;
    Ball.Y = kStartY;
    Ball.Speed = SpeedFactor;
    Ball.Direction = DrawUpTo(1) == 1 ? float(DrawUpTo(46)) : float(DrawUpTo(13) + 114);
    Soccer.Midfield.Start();
}

}  // namespace

const TableDesc kTable{
    .id = kSoccerStar,
    .mapMember = "soccer/soccer.map",
    .mapFile = "soccer.map",
    .sounds = kSounds,
    .loops = kLoops,
    .music = &Sounds.Crowd,
    .extraBallVoice = "soccer/extraball.wav",
    .bounce = kSoccerBounce,
    .escapeForfeitsScore = true,
    .turnsBackBelowField = true,
    .reset = Reset,
    .startOfPlay = StartOfPlay,
    .handleCell = HandleCell,
    .afterTick = BlockWarning,
    .keys = Keys,
    .timers = Timers,
    .statusReport = StatusReport,
    .onTilt = PlaceAfterTilt,
    .beforeGameOver = Horn,
    .finalWords = MatchResult,
};

void StartOfPlay() {
    Sounds.Crowd.Play(true);
    // A tilt stopped every loop but ended no feature: what still runs is heard again.
    if (Soccer.MidfieldOpen) Sounds.MidfieldMusic.Play(true);
    if (Soccer.DoubleScore.Running()) {
        Sounds.Chant.Play(true);
        Soccer.DoubleScore.Start();
    }
    Soccer.Midfield.Start();
    if (Soccer.Block.Running()) Soccer.Block.Start();
}

void HandleCell() {
    Randomize();
    const CellsAround cells = ReadCellsAround(Ball.X, Ball.Y);
    if (BallOutsideField(kFieldLow, kFieldHigh)) {
        Ball.X = kGuardX;
        Ball.Y = kGuardY;
        Ball.Direction = kGuardDirection;
    }

    for (const WallSide& side : SidesInOrder(cells))
        if (Solid(side)) Bounce(side);

    const CellRead& c = cells.C;
    if (c.code == code::Defender && Ball.Y < kHalfway) Defender(c.number);
    if (c.code == code::GoalLine && Ball.Y < kHalfway) VisitorsGoalKick();
    if (c.code == code::GoalLine && Ball.Y > kHalfway) HomeGoalKick();
    if (c.code == code::Letter) LetterTarget(c.number);
    if (c.code == code::Spot) {
        if (Ball.Y < kHalfway) {
            Soccer.StrikerAim = true;
            AimedShot(true);
            Soccer.StrikerAim = false;
        } else if (Soccer.Block.Running()) {
            KeeperSave();
        }
    }
    if (cells.U.code == code::Net && Ball.Y < kHalfway) ShotAtVisitorsGoal(cells.U.number);
    if (c.code == code::Net && Ball.Y > kHalfway) BallInHomeGoal();
    if (c.code == code::DoubleScore) DoubleScoreTarget(c.number);
    if (c.code == code::Offside) Offside();
    if (c.code == code::Card) Cards(c.number);
}

void BlockWarning() {
    const bool coming = Ball.X > kWarnLeft && Ball.X < kWarnRight && Ball.Y > kWarnTop && Ball.Y < kWarnBottom &&
                        Ball.Direction > kWarnHeadingFrom && Ball.Direction < kWarnHeadingTo;
    WarnWhileInside(Sounds.BlockWarning, coming, int32_t(kWarnPanPerColumn * Ball.X - kWarnPanOffset),
                    kWarnBaseHz + (Ball.Y - kWarnTop) * kWarnHzPerRow, true);
}

void StopBlockWarning() { WarnWhileInside(Sounds.BlockWarning, false, 0, 0, false); }

void Keys() {
    // One block per press of Space, however long it is held.
    if (TakeLatchedPress(scan::Space)) {
        Soccer.Block.Start();
        Sounds.Block.Play(false);
    }
}

void Timers() {
    if (Soccer.Block.Expired(kBlockMs)) Soccer.Block.Stop();
    if (Soccer.DoubleScore.Expired(kDoubleScoreMs)) EndDoubleScore();
    if (Soccer.Midfield.Elapsed() > kMidfieldArmsAfterMs) Soccer.MidfieldArmed = true;
    if (Soccer.MidfieldArmed && !InCentralBands()) OpenMidfield();
    if (Soccer.MidfieldOpen && Soccer.Midfield.Elapsed() > kMidfieldOpenMs) CloseMidfield();
}

bool AimedShot(bool striker) {
    Ball.X = kKickSpotX;
    Ball.Y = striker ? kStrikerY : kKickOffY;
    sndBall.Stop();
    ShotAim aim(striker);
    float heading = 0;
    if (!aim.Aim(heading)) return false;
    RecordHalf();
    Ball.Direction = heading;
    if (!striker && aim.Position() >= kPassFrom && aim.Position() <= kPassTo) {
        if (DrawUpTo(3) == 1) {
            PlaySound("soccer/v_PassBl.wav", 0, true);
            Ball.Direction += kBlockedPassTurn;
        } else {
            PlaySound("soccer/v_PassGd.wav", 0, true);
        }
    }
    PlayAtBall(Sounds.Kick[DrawUpTo(3)]);
    Ball.Speed = SpeedFactor;
    sndBall.SetPan(PanFor(Ball.X));
    sndBall.Play(true);
    return true;
}

}  // namespace tamblor::soccer
