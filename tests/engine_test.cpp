// The shared play engine: the step, its timing on the 64 Hz tick, the wall
// reflections with their exact bounds, the speed loss, the anti-repeat nudge,
// the cells a handler reads, and the aim scan's sweep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

#include "audio/sound.h"
#include "core/app.h"
#include "core/errors.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "table/aim_scan.h"
#include "table/ball.h"
#include "table/play.h"
#include "table/table.h"
#include "table/table_map.h"
#include "core/startup.h"
#include "support/game_fixture.h"
#include "support/table_fixture.h"

namespace tamblor::test {
namespace {

class EngineTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Ball = BallState{};
        Game = SharedGameState{};
        TableMap = TableMapRecord{};
    }
    // Records each heading in turn; gives the heading the last one leaves with.
    static float Record(std::initializer_list<float> headings, float nudge = 4, bool eitherWay = false) {
        for (float a : headings) {
            Ball.Direction = a;
            RecordBounce(nudge, eitherWay);
        }
        return Ball.Direction;
    }
    // The standard archive, and each slot made from its member.
    void LoadSounds(std::initializer_list<std::pair<SoundSlot*, const char*>> slots) {
        UseArchive(StandardMembers());
        for (auto [slot, member] : slots) CreateSoundBuffer(*slot, member);
    }
    // The pans set on `label` from log entry `from` on, a value held over
    // several sets counted once.
    std::vector<int64_t> PansOf(const std::string& label, size_t from = 0) const {
        std::vector<int64_t> pans;
        for (size_t i = from; i < platform.SoundLog().size(); ++i) {
            const SoundEvent& e = platform.SoundLog()[i];
            if (e.op == "pan" && e.label == label && (pans.empty() || pans.back() != e.value)) pans.push_back(e.value);
        }
        return pans;
    }
};

TEST_F(EngineTest, AStepIsTheTurnedVectorAndHeadingsPointTheWayTheirNamesSay) {
    const float step = std::sqrt(2.0f / 3.0f);
    struct {
        float heading, dx, dy;  // the move, in cells
    } cases[] = {{heading::Up, 0, -step},  {heading::Down, 0, step},    {heading::Left, -step, 0},
                 {heading::Right, step, 0}, {heading::UpLeft, -0.577f, -0.577f}};
    for (const auto& c : cases) {
        Ball = {20, 20, c.heading, 3};
        MoveBall();
        EXPECT_NEAR(Ball.X - 20, c.dx, 1e-3) << c.heading;
        EXPECT_NEAR(Ball.Y - 20, c.dy, 1e-3) << c.heading;
    }
}

TEST_F(EngineTest, TheBallStepsOnEveryTickAtFullSpeedAndEveryFourthAtSpeedOne) {
    auto stepsInOneSecond = [&](float speed) {
        Ball.Speed = speed;
        uint64_t end = platform.NowMs() + 1000;
        Game.LastStepTick = int32_t(GetTick());
        int steps = 0;
        while (platform.NowMs() < end) {
            YieldToSystem();
            if (BallStepDue(GetTick())) {
                ++steps;
                Game.LastStepTick = int32_t(GetTick());
            }
        }
        return steps;
    };
    EXPECT_EQ(stepsInOneSecond(3.0f), 64);  // 10 ms asked, but the tick moves every 15.625 ms
    EXPECT_EQ(stepsInOneSecond(3.5f), 64);
    EXPECT_EQ(stepsInOneSecond(1.0f), 16);  // more than 50 ms: four ticks
    EXPECT_EQ(stepsInOneSecond(-0.8f), 10); // the slowest ball, 86 ms: six ticks (93.75 ms)
}

TEST_F(EngineTest, ReflectionsFollowTheTableOfRangesWithTheirOddBounds) {
    struct {
        Side side;
        float in, out;
    } mirrors[] = {
        {Side::Up, 120, 104},  {Side::Up, 10, 86},     {Side::Up, 40, 56},    {Side::Up, -2, 98},
        {Side::Down, 60, 36},  {Side::Down, 100, 124}, {Side::Down, 90, 6},   {Side::Down, 96, 0},
        {Side::Down, 97, 127}, {Side::Down, 30, 30},   {Side::Left, 100, 60}, {Side::Left, 120, 40},
        {Side::Left, 10, 22},  {Side::Left, 60, 60},   {Side::Right, 8, 24},  {Side::Right, 60, 100},
        {Side::Right, 40, 120}, {Side::Right, 32, 0},  {Side::Right, 20, 12}, {Side::Right, 100, 100},
    };
    for (const auto& m : mirrors) {
        float a = m.in;
        Reflect(m.side, a);
        EXPECT_EQ(a, m.out) << "side " << int(m.side) << " heading " << m.in;
    }
    // A ball running exactly along an axis into the wall goes back along the
    // other axis, spread by up to 10 either way: every one of those, over many draws.
    for (auto [side, in, out] : {std::tuple{Side::Down, 80, 16}, {Side::Up, 16, 80}, {Side::Left, 112, 48},
                                 {Side::Right, 48, 112}}) {
        std::set<float> seen, spread;
        for (int i = 0; i < 400; ++i) {
            float a = float(in);
            Reflect(side, a);
            seen.insert(a);
        }
        for (int v = out - 10; v <= out + 10; ++v) spread.insert(float(v));
        EXPECT_EQ(seen, spread) << "side " << int(side);
    }
}

// (A table's own loss, taken once or more: the walls of TableHit and SoccerRules.)
TEST_F(EngineTest, WallsSlowTheBallDownToAFloor) {
    Ball = {20, 20, 60, 3.0f};
    for (int i = 0; i < 10; ++i) WallBounce(Side::Down);
    EXPECT_NEAR(Ball.Speed, 2.0f, 1e-4);
    // Lowered while above -0.7 only: the first step past it is the last.
    for (int i = 0; i < 100; ++i) WallBounce(Side::Down);
    EXPECT_NEAR(Ball.Speed, -0.8f, 1e-4);
}

TEST_F(EngineTest, ARepeatedPairOfHeadingsNudgesTheBallEveryTimeItRecurs) {
    // 50, 60, 50, 60: the last pair (50, 60) repeats one earlier pair.
    EXPECT_EQ(Record({50, 60, 50}), 50);
    EXPECT_EQ(Record({60}), 56);
    EXPECT_EQ(Game.BounceHistory[4], 60);  // the history keeps what was recorded
    EXPECT_EQ(Game.BounceIndex, 5);
    // Again: now two earlier pairs match, and the nudge is the table's own.
    EXPECT_EQ(Record({50, 60}, 10), 40);

    // A heading at 0 is pushed up instead (the empty history holds zeros, so
    // the second 0 already repeats); a negative one is recorded as 1.
    Game = SharedGameState{};
    EXPECT_EQ(Record({0}), 0);
    EXPECT_EQ(Record({0}), 4);
    Record({-3});
    EXPECT_EQ(Game.BounceHistory[3], 1);

    // The write position runs 1..16 and starts again at 1.
    Game = SharedGameState{};
    for (int i = 0; i < 16; ++i) Record({float(i * 7)});
    EXPECT_EQ(Game.BounceIndex, 1);
    EXPECT_EQ(Game.BounceHistory[0], 0);
}

TEST_F(EngineTest, ANudgeEitherWayTurnsTheBallBothWaysAndKeepsItInOneTurn) {
    // A path that closes with its nudges in it repeats them for good with a
    // fixed nudge; either way at random, no two rounds need be the same.
    std::set<float> seen;
    for (int round = 0; round < 64; ++round) {
        Game = SharedGameState{};
        seen.insert(Record({50, 126, 50, 126}, 4, true));
    }
    // 126 - 4, or 126 + 4 brought back into the turn; never anything else.
    EXPECT_EQ(seen, (std::set<float>{2, 122}));
}

TEST_F(EngineTest, NeighboursAreFoundByRoundingTheShiftedCoordinateHalvesToEven) {
    // Codes 7..12 at the centre, above, below, left, right and two below.
    const int cells[][2] = {{10, 10}, {10, 9}, {10, 11}, {9, 10}, {11, 10}, {10, 12}};
    for (int i = 0; i < 6; ++i) TableMap.Cells[cells[i][0]][cells[i][1]].Code = uint8_t(7 + i);
    CellsAround a = ReadCellsAround(10.2f, 9.7f);
    EXPECT_EQ(std::make_pair(a.x, a.y), std::make_pair(10, 10));
    EXPECT_EQ((std::vector<int>{a.C.code, a.U.code, a.D.code, a.L.code, a.R.code}), (std::vector<int>{7, 8, 9, 10, 11}));
    // y = 10.5 rounds to 10, but 11.5 (below) rounds to 12 and 9.5 (above) to 10.
    a = ReadCellsAround(10, 10.5f);
    EXPECT_EQ((std::vector<int>{a.y, a.U.code, a.up, a.D.code}), (std::vector<int>{10, 7, 10, 12}));

    for (auto [x, y, outside] : {std::tuple{0.4f, 20.0f, true}, {48.0f, std::nanf(""), true}, {1.0f, 48.0f, false}}) {
        Ball = {x, y, 0, 0};
        EXPECT_EQ(BallOutsideField(1, 48), outside) << x << ", " << y;
    }
}

// A sweep over an empty field: floor beeps, a bumper answers and ends its
// probe, and the shot returns the position that was sounding.
class TestScan : public AimScan {
public:
    TestScan() : AimScan({0, 9, 150, 50}) {}
    int keysRun = 0;

protected:
    float ProbeAngle(int position) override { return float(position) * 10.0f; }
    ProbeAnswer Answer(const MapCell& cell) override {
        if (cell.Code == 36) return {&sndScanTrig, true};
        if (cell.Code == 0) return {&sndScanBeep, false};
        return {};
    }
    void Keys() override { ++keysRun; }
    bool Escape() override { return true; }
};

TEST_F(EngineTest, TheAimScanSweepsPanningEachPositionAndFiresAtTheOneSounding) {
    auto withBeepOf = [](uint32_t ms) {
        std::vector<ArchiveMember> members = StandardMembers();
        for (ArchiveMember& m : members)
            if (m.name == "sounds/ScanBeep.wav") m.bytes = SoundMember(ms);
        return members;
    };
    UseArchive(withBeepOf(50));  // shorter than a position
    CreateSoundBuffer(sndScanBeep, "sounds/ScanBeep.wav");
    CreateSoundBuffer(sndScanTrig, "sounds/ScanTrig.wav");
    Ball = {25, 25, 0, 0};
    // Position 3 (30 degrees) is the first to be followed by a shot.
    platform.PressAt(3 * 157 + 20, scan::RightShift);
    TestScan scan;
    EXPECT_EQ(scan.Run(), 3);
    EXPECT_EQ(PansOf("sounds/ScanBeep.wav"), (std::vector<int64_t>{-3200, -3100, -3000, -2900}));
    EXPECT_GT(scan.keysRun, 30);

    // A cue still sounding from the probe before moves to the new probe's
    // pan instead of staying where it was started.
    KillBuffer(sndScanBeep);
    UseArchive(withBeepOf(1000));
    CreateSoundBuffer(sndScanBeep, "sounds/ScanBeep.wav");
    platform.SetKeyDown(scan::RightShift, false);
    platform.ClearSoundLog();
    const uint64_t from = platform.NowMs();
    platform.PressAt(from + 3 * 157 + 20, scan::LeftShift);
    EXPECT_EQ(TestScan().Run(), 3);
    EXPECT_EQ(platform.Played(), std::vector<std::string>{"sounds/ScanBeep.wav"});  // started once, still sounding
    EXPECT_EQ(PansOf("sounds/ScanBeep.wav"), (std::vector<int64_t>{-3200, -3100, -3000, -2900}));

    // Holding Escape leaves at once.
    platform.SetKeyDown(scan::LeftShift, false);
    platform.SetKeyDown(scan::Escape, true);
    EXPECT_EQ(TestScan().Run(), -1);
}

// A flipper table's scan: every floor cell beeps, so each position's pan
// is heard; or, with `bumpersOnly`, nothing but a bumper answers.
class TestSideScan : public SideAimScan {
public:
    using SideAimScan::SideAimScan;
    bool waitingSeen = false, bumpersOnly = false;

protected:
    ProbeAnswer Answer(const MapCell& cell) override {
        if (bumpersOnly) return cell.Code == 36 ? ProbeAnswer{&sndScanTrig, true} : ProbeAnswer{};
        return cell.Code == 0 ? ProbeAnswer{&sndScanBeep, true} : ProbeAnswer{};
    }
    void Keys() override { waitingSeen = waitingSeen || Game.ScanWaiting; }
    bool Escape() override { return true; }
};

TEST_F(EngineTest, FlipperTablesChooseASideThenSweepItsHeadingsInOrder) {
    LoadSounds({{&sndScanWait, "sounds/ScanWait.wav"}, {&sndScanBeep, "sounds/ScanBeep.wav"}});
    Ball = {25, 45, 0, 0};
    // Safari's two sides: the left one sweeps its cues right to left.
    const SideSweep left{44, 0, 59, 2, true}, right{4, 0, 59, -2, false};

    // The left press comes first and chooses; the choosing press does not
    // fire: the sweep waits for both keys to be up, then the shot comes at
    // the third position (headings 43, 42, 41).
    platform.PressAt(100, scan::LeftShift);
    platform.PressAt(120, scan::RightShift);
    platform.ReleaseAt(300, scan::LeftShift);
    platform.ReleaseAt(400, scan::RightShift);
    TestSideScan scan(left, right, 125);
    float shot = -1;
    size_t from = platform.SoundLog().size();
    platform.PressAt(400 + 2 * 125 + 60, scan::LeftShift);
    ASSERT_TRUE(scan.Aim(shot));
    EXPECT_TRUE(scan.waitingSeen);
    EXPECT_FALSE(Game.ScanWaiting);
    EXPECT_EQ(shot, 41 + 2);
    EXPECT_EQ(PansOf("sounds/ScanBeep.wav", from), (std::vector<int64_t>{3200, 3100, 3000}));

    // A sweep that reaches its end starts again from its heading (each
    // side's headings, wrapping past 127: the drain scans of SafariRules).
    platform.ReleaseAt(platform.NowMs() + 10, scan::LeftShift);
    for (uint64_t until = platform.NowMs() + 20; platform.NowMs() < until;) YieldToSystem();
    platform.PressAt(platform.NowMs() + 20, scan::RightShift);
    platform.ReleaseAt(platform.NowMs() + 40, scan::RightShift);
    // Two positions of a second lap: heading 4 again, so 117 then 118.
    const SideSweep shortRight{4, 0, 2, -2, false};
    TestSideScan again(left, shortRight, 125);
    platform.PressAt(platform.NowMs() + 40 + 4 * 125 + 60, scan::RightShift);
    ASSERT_TRUE(again.Aim(shot));
    EXPECT_EQ(shot, 118 - 2);

    // Escape while waiting for a side leaves, and the wait loop stops.
    platform.SetKeyDown(scan::RightShift, false);
    platform.SetKeyDown(scan::Escape, true);
    EXPECT_FALSE(TestSideScan(left, right, 125).Aim(shot));
    EXPECT_FALSE(Game.ScanWaiting);
    EXPECT_FALSE(sndScanWait.IsPlaying());
}

// A bumper 45 cells up the field is out of reach of the usual 50 steps,
// within 60.
TEST_F(EngineTest, ASideScansProbesReachAsFarAsItsTableAsks) {
    LoadSounds({{&sndScanWait, "sounds/ScanWait.wav"}, {&sndScanTrig, "sounds/ScanTrig.wav"}});
    TableMap.Cells[25][2].Code = 36;
    Ball = {25, 47, 0, 0};
    const SideSweep straightUp{31, 0, 0, 0, false};  // one position: heading 16
    auto triggers = [&](int probeSteps) {
        const uint64_t now = platform.NowMs();
        platform.TapAt(now + 20, scan::RightShift, 20);
        platform.TapAt(now + 100, scan::RightShift, 20);
        const size_t from = platform.SoundLog().size();
        float shot = -1;
        TestSideScan scan(straightUp, straightUp, 125, probeSteps);
        scan.bumpersOnly = true;
        EXPECT_TRUE(scan.Aim(shot));
        EXPECT_EQ(shot, 16);
        const auto plays = std::ranges::count(StartedSince(from), "sounds/ScanTrig.wav");
        for (uint64_t until = platform.NowMs() + 100; platform.NowMs() < until;) YieldToSystem();
        return plays;
    };
    EXPECT_EQ(triggers(50), 0);
    EXPECT_EQ(triggers(60), 1);
    TableMap.Cells[25][2] = MapCell{};
}

// (A warning while the ball is inside a box: the block warning of SoccerRules.)
TEST_F(EngineTest, TimersDecayAndHeldLoopsFollowTheTick) {
    SoundSlot music;
    LoadSounds({{&sndBall, "sounds/ball.wav"}, {&music, "sounds/PausedLp.wav"}});

    // A timer counts real ticks and expires strictly after its length.
    TableTimer timer;
    EXPECT_FALSE(timer.Expired(0));
    timer.Start();
    const uint32_t started = GetTick();
    while (GetTick() - started <= 1000) {
        EXPECT_FALSE(timer.Expired(1000));
        YieldToSystem();
    }
    EXPECT_TRUE(timer.Expired(1000));
    timer.Stop();
    EXPECT_FALSE(timer.Expired(1000));

    // A slowing ball loses 0.025 every 70 ms, never below 1.
    Ball.Speed = 1.05f;
    Game.SpeedDecayTick = GetTick();
    for (int i = 0; i < 400; ++i) {
        DecaySpeed();
        YieldToSystem();
    }
    EXPECT_FLOAT_EQ(Ball.Speed, 1.0f);

    // Held loops come back (only what was looping: the status reports of
    // EveryTable), but not when the hold is left by an exception (a new
    // ball is on its way).
    sndBall.Play(true);
    try {
        HeldLoops held({&music});
        throw RestartPlay{};
    } catch (const RestartPlay&) {
    }
    EXPECT_FALSE(sndBall.IsPlaying());
}

// (A table's own quieter floor: HeistRules.)
TEST_F(EngineTest, VolumeKeysActOncePerPressWithinTheirRange) {
    SoundSlot music;
    LoadSounds({{&music, "sounds/PausedLp.wav"}});
    MusicVolume[kSafari] = -9800;
    auto pass = [&](std::initializer_list<uint8_t> held) {
        for (uint8_t k : {scan::Delete, scan::PageDown, scan::End}) platform.SetKeyDown(k, false);
        for (uint8_t k : held) platform.SetKeyDown(k, true);
        PollKeyboard();
        MusicVolumeKeys(kSafari, music, -10000);
        UpdateCommandKeysReleased();
    };
    // Each key released and pressed anew; Delete held on does not repeat,
    // and neither end is passed.
    for (auto [key, held, volume] : {std::tuple{scan::Delete, true, -9900}, {scan::Delete, false, -10000},
                                     {scan::Delete, false, -10000}, {scan::PageDown, false, -9900},
                                     {scan::End, false, 0}, {scan::PageDown, false, 0}}) {
        pass({});
        pass({key});
        if (held) pass({key});
        EXPECT_EQ(MusicVolume[kSafari], volume) << int(key);
        EXPECT_EQ(music.Volume(), volume) << int(key);
    }
}

// (The classic flipper's one-second window and its catch: FlipperTable.)
TEST_F(EngineTest, InAccessibleModeAFlipperPressOnlyClicks) {
    LoadSounds({{&sndFlipper, "sounds/Flipper.wav"}});
    GameMode = 0;
    CommandKeysReleased = true;
    platform.SetKeyDown(scan::LeftShift, true);
    PollKeyboard();
    FlipperKeys(true);
    EXPECT_FALSE(Game.FlipperUp);
    EXPECT_EQ(platform.Played(), std::vector<std::string>{"sounds/Flipper.wav"});
}

// A table made of nothing but what the loop reads from its description.
SoundSlot gMusic, gLoop;
const TableSound kStereoAndMono[] = {{&gMusic, "test/music.wav", true}, {&gLoop, "test/loop.wav"}};
SoundSlot* const kBothLoops[] = {&gMusic, &gLoop};

// (A hard wall's knock: the hard walls of TableHit.)
TEST_F(EngineTest, ATableLoadsItsStereoSoundsAndItsLoopsSurviveTheExtraBall) {
    const TableDesc t{.id = kSafari, .mapMember = "test/test.map", .mapFile = "test.map", .sounds = kStereoAndMono,
                      .loops = kBothLoops, .music = &gMusic};
    UseArchive(TableMembers(t, {{{"test/music.wav", 1000}, {"test/loop.wav", 1000}}, {"test/music.wav"}},
                            "pacman/pacman.mapsrc"),
               false);
    InitGame();
    platform.ClearSoundLog();
    LoadTable(t);
    // One second of sound: 22050 frames whether it has one channel or two.
    for (const SoundEvent& e : platform.SoundLog()) {
        if (e.op == "create") {
            EXPECT_NEAR(double(e.value), 22050, 200) << e.label;
        }
    }

    // Every loop comes back from the extra ball at the level it had.
    gMusic.Play(true);
    gMusic.SetVolume(-1200);
    gLoop.Play(true);
    Game.Score = 10000001;
    ExtraBallCheck();
    EXPECT_EQ(gMusic.Volume(), -1200);
    EXPECT_EQ(gLoop.Volume(), 0);
    UnloadTable(t);
}

TEST_F(EngineTest, AHeldBallPassLeavesAPauseOutOfADuelsTimeAndEscapeEndsTheGame) {
    UseArchive(MenuMembers());
    TableDesc table{.id = kWildWest, .mapMember = "", .mapFile = "", .sounds = {}, .loops = {},
                    .escapeForfeitsScore = true};
    CurrentTable = &table;
    Game.GameRunning = true;
    // A pass of the keys alone takes no time.
    EXPECT_EQ(HeldBallPass(), 0u);
    // A pause (P, then a key two seconds on): its time is handed back.
    CommandKeysReleased = true;
    platform.TapAt(platform.NowMs() + 5, scan::P, 30);
    platform.TapAt(platform.NowMs() + 2000, scan::Down, 50);
    uint32_t paused = 0;
    for (int pass = 0; pass < 50 && paused == 0; ++pass) paused = HeldBallPass();
    EXPECT_GE(paused, 1900u);
    EXPECT_LT(paused, 3000u);
    // Escape ends the game as in play, here with the score forfeited.
    Game.Score = 5000;
    platform.SetKeyDown(scan::Escape, true);
    EXPECT_THROW(HeldBallPass(), ReturnToMainMenu);
    EXPECT_EQ(Game.Score, 0);
    EXPECT_FALSE(Game.GameRunning);
    platform.SetKeyDown(scan::Escape, false);
    CurrentTable = nullptr;
}

// (A shot's heading corrected past either end of the turn: the drain
// scans of SafariRules and HauntedRules.)
TEST_F(EngineTest, LevelDwellsShortenToNone) {
    // From 38 on none, not a wrap to four billion.
    for (auto [level, dwell] : {std::pair{0, 150u}, {10, 110u}, {37, 2u}, {38, 0u}, {255, 0u}})
        EXPECT_EQ(LevelDwellMs(level), dwell) << level;
}

// A fan of fixed rays: each position probes its own angle, and the heading
// of a shot is the ray's, kept within 0..128.
class TestFanScan : public FanAimScan {
public:
    using FanAimScan::FanAimScan;
    std::vector<float> angles;

protected:
    float ProbeAngle(int position) override {
        angles.push_back(FanAimScan::ProbeAngle(position));
        return angles.back();
    }
    ProbeAnswer Answer(const MapCell& cell) override {
        return cell.Code == 0 ? ProbeAnswer{&sndScanBeep, true} : ProbeAnswer{};
    }
    void Keys() override {}
    bool Escape() override { return true; }
};

TEST_F(EngineTest, AFanSweepsItsAnglesAndFiresAtThePositionSounding) {
    // (The headings of a fan that turns below zero: the launchers of HeistRules.)
    const FanSweep up{40.0f, 2.8125f, 3, 10};
    LoadSounds({{&sndScanBeep, "sounds/ScanBeep.wav"}});
    Ball = {25, 25, 0, 0};
    // Two sweeps of three positions, then a shot at the second position.
    platform.PressAt(4 * 157 + 20, scan::LeftShift);
    TestFanScan scan(up, 150);
    EXPECT_EQ(scan.Run(), 1);
    EXPECT_EQ(scan.angles, (std::vector<float>{40.0f, 42.8125f, 45.625f, 40.0f, 42.8125f}));
}

}  // namespace
}  // namespace tamblor::test
