// The Heist table on its real map: walls, bumpers, police cars and the top
// lane as the ball meets them, the launchers, power-ups, JOBS and its jobs
// and chases, busts, the score box, the jackpot and extra balls as the
// player hears them.
#include <cstdlib>
#include <map>
#include <memory>

#include "table_checks.h"
#include "tables/heist/heist.h"

namespace tamblor::test {
namespace {

using namespace heist;

// Cells of the compiled map the tests use.
constexpr float kJ = 8, kO = 18, kB = 30, kS = 40, kLetterRow = 11;
const float kTargetX[] = {0, kJ, kO, kB, kS};

class HeistRules : public RulesOf<kHeistCase, 0> {
protected:
    // Whichever launcher comes next shoots at its first position.
    void ShootTheNextLauncher() {
        platform.TapWhenSoundStarts("sounds/ScanBeep.wav", scan::LeftShift, 5, 30);
        platform.TapWhenSoundStarts("sounds/ScanBeep.wav", scan::RightShift, 5, 30);
    }
    void Spell(int upTo) {
        for (int n = 1; n <= upTo; ++n) {
            StepAt(kTargetX[n], kLetterRow, heading::Right);
        }
    }
};

TEST_F(HeistRules, PoliceCarsAndTheSilentWallStopOnlyARisingBall) {
    // A police car stops a ball rising into it, with its own sound, but
    // lets one drop onto it.
    StepAt(29, 32, 20, 2.0f);
    EXPECT_EQ(Ball.Direction, 76);
    EXPECT_NEAR(Ball.Speed, 1.9f, 1e-5);
    EXPECT_EQ(Ops("sounds/bumper2.wav"), (std::vector<std::string>{"pan:1200", "play:0"}));
    StepAt(29, 30, 70);
    EXPECT_EQ(Values(Ball.Direction, Heist.LastWallCode), Values(70, 0));

    // The silent wall stops only a rising ball, and says nothing.
    TableMap.Cells[10][40].Code = code::SilentWall;
    platform.ClearSoundLog();
    StepAt(10, 41, 20);
    EXPECT_EQ(Ball.Direction, 76);
    StepAt(10, 39, 76);
    EXPECT_EQ(Ball.Direction, 76);
    EXPECT_TRUE(platform.SoundLog().empty());
}

TEST_F(HeistRules, TheTopLaneAndTheSlowingBall) {
    // Up the lane on the right and back in at the top, somewhere in 15..34.
    std::set<float> columns;
    for (int i = 0; i < 100; ++i) {
        StepAt(46, 8, heading::Up);
        EXPECT_EQ(Values(Ball.Y, Ball.Direction), Values(3, 20));
        columns.insert(Ball.X);
    }
    EXPECT_EQ(Values(*columns.begin(), *columns.rbegin()), Values(15, 34));

    // Between hits the ball loses 0.025 every 70 ms down to speed 1.
    Ball.Speed = 1.1f;
    Game.SpeedDecayTick = GetTick();
    for (int i = 0; i < 8; ++i) {
        Wait(71);
        Game.LastStepTick = int32_t(GetTick());
        BallTick();
    }
    EXPECT_TRUE(Between(Ball.Speed, 0.9701, 1.0));
}

TEST_F(HeistRules, LaunchersShootAlongTheRayHeardAtTheirFirstAndLastPositionsAndEscapeThereScoresNothing) {
    // The right launcher: its last position, with the right Shift only.
    platform.TapAt(platform.NowMs() + 500, scan::LeftShift, 30);
    TapAtSweepPosition(28, scan::RightShift);
    StepAt(46, 46, heading::Down, 1.2f);  // its launcher spot
    EXPECT_EQ(Values(Ball.X, Ball.Y, Ball.Direction, Ball.Speed), Values(41, 47, 115, SpeedFactor));
    EXPECT_TRUE(Playing({"sounds/ball.wav"}));
    // The left Shift pressed meanwhile clicked on the left and shot nothing.
    EXPECT_EQ(Ops("sounds/Flipper.wav")[0], "pan:-3200");
    Wait(100);

    // The left launcher at its first position; the cues are panned by position.
    platform.ClearSoundLog();
    TapAtSweepPosition(33, scan::LeftShift);  // the first position of the second sweep
    StepAt(4, 46, heading::Down);
    EXPECT_EQ(Ball.X, 8);
    EXPECT_NEAR(Ball.Direction, 40 / 2.8125f, 1e-4);
    EXPECT_TRUE(HasOp("sounds/ScanBeep.wav", "pan:-3200"));
    EXPECT_TRUE(HasOp("sounds/ScanBeep.wav", "pan:0"));
    Wait(100);

    // Whole sweeps of both hear the letters, bumpers, police and box doors.
    size_t from = Mark();
    for (Launcher which : {Launcher::Left, Launcher::Right}) {
        TapAtSweepPosition(which == Launcher::Left ? 33 : 29,
                        which == Launcher::Left ? scan::LeftShift : scan::RightShift);
        RunLauncher(which);
        Wait(100);
    }
    for (const char* cue : {"heist/ScanJ.wav", "heist/ScanO.wav", "heist/ScanB.wav", "heist/ScanS.wav",
                            "heist/ScanChse.wav", "heist/ScanSB.wav", "sounds/ScanTrig.wav"})
        EXPECT_GT(CountSince(from, cue), 0) << cue;

    // Escape in a launcher ends the game with no score.
    BestScore[kHeist] = 100;
    Game.Score = 5000;
    platform.SetKeyDown(scan::Escape, true);
    EXPECT_TRUE(EndsTheGame([] { RunLauncher(Launcher::Left); }));
    EXPECT_EQ(Values(Game.Score, BestScore[kHeist]), Values(0, 100));
}

TEST_F(HeistRules, AShiftThatCutsABriefingIsSpentAndTheLauncherFiresOnlyAtAFreshPress) {
    // Both Shifts cut the briefing and stay down half a second; the shot
    // comes from the presses a second later, not along the first ray.
    const uint64_t now = platform.NowMs();
    for (uint8_t shift : {scan::LeftShift, scan::RightShift}) {
        platform.TapAt(now + 100, shift, 500);
        platform.TapAt(now + 1200, shift, 30);
    }
    StartJob();
    EXPECT_TRUE(Heist.Job.Running());
    EXPECT_TRUE(platform.IsLabelPlaying("sounds/ball.wav"));  // the shot rolls
    for (Launcher which : {Launcher::Left, Launcher::Right}) EXPECT_NE(Ball.Direction, ShotHeading(which, 0));
}

TEST_F(HeistRules, PowerUpsLandOnFreeFloorFarFromTheOneBeforeAndPayOnce) {
    // The compiled map as it was, before any ball's power-ups.
    LoadTable();
    const auto before = std::make_unique<TableMapRecord>(TableMap);
    std::map<uint8_t, std::pair<int, int>> at;  // where the first ball's went
    for (int entry = 1; entry <= 5; ++entry) {
        StartOfPlay();
        std::map<uint8_t, int> placed;
        for (int x = 0; x < 50; ++x)
            for (int y = 0; y < 50; ++y)
                if (TableMap.Cells[x][y].Code == code::PowerUp) {
                    const uint8_t letter = TableMap.Cells[x][y].Number;
                    EXPECT_EQ(before->Cells[x][y].Code, code::Floor) << x << "," << y;
                    EXPECT_TRUE(x >= 9 && x <= 40 && y >= 17 && y <= 38) << x << "," << y;
                    ++placed[letter];
                    if (entry == 1 && letter != 'J') at[letter] = {x, y};
                }
        // None on another: six more at every ball entry, the sixth a second J.
        EXPECT_EQ(placed,
                  (std::map<uint8_t, int>{{'F', entry}, {'G', entry}, {'H', entry}, {'I', entry}, {'J', 2 * entry}}));
    }
    // Each one is far from the one placed before it.
    for (auto [a, b] : {std::pair{'F', 'G'}, {'G', 'H'}, {'H', 'I'}})
        EXPECT_TRUE(std::abs(at[a].first - at[b].first) >= 15 || std::abs(at[a].second - at[b].second) >= 15) << a << b;

    // Picked up: its voice at the ball, 50000 at the multiplier, and gone.
    Heist.Multiplier = 2;
    auto [x, y] = at['G'];
    EXPECT_EQ(Gain([&] { StepAt(float(x), float(y), heading::Up); }), 100000);
    EXPECT_EQ(Values(Count("heist/pu_mace.wav"), TableMap.Cells[x][y].Code), Values(1, code::Floor));
    EXPECT_EQ(Gain([&] { StepAt(float(x), float(y), heading::Up); }), 0);
}

TEST_F(HeistRules, JobsLightsInOrderAndStartsAJobThatPaysOnceAndStartsAChase) {
    // Out of order does nothing; in order each letter speaks at the ball.
    StepAt(kO, kLetterRow, heading::Right);
    Spell(3);
    EXPECT_TRUE(HasOp("heist/v_J.wav", "pan:-7200"));
    EXPECT_EQ(Count("sounds/SpellSw.wav"), 3);
    // A letter already lit does nothing.
    StepAt(kJ, kLetterRow, heading::Right);
    EXPECT_EQ(Count("heist/v_J.wav"), 1);

    // S completes the word: a briefing, then a launcher.
    ShootTheNextLauncher();
    StepAt(kS, kLetterRow, heading::Right);
    ASSERT_TRUE(Between(Heist.JobNumber, 1, 4));
    const int job = Heist.JobNumber;
    EXPECT_TRUE(Started({{"heist/v_JS.wav", 1}, {"heist/C" + std::to_string(job) + ".wav", 1}}));
    EXPECT_EQ(Ball.Y, 47);

    // A wrong target buzzes and the job goes on.
    const int wrong = job % 4 + 1;
    EXPECT_EQ(Gain([&] { StepAt(kTargetX[wrong], kLetterRow, heading::Right); }), 0);
    EXPECT_EQ(Count("heist/invalid.wav"), 1);

    // The right one pays at the multiplier before the chase doubles it.
    const double awards[] = {0, 500000, 250000, 2000000, 1000000};
    ShootTheNextLauncher();
    EXPECT_EQ(Gain([&] { StepAt(kTargetX[job], kLetterRow, heading::Right); }), awards[job]);
    EXPECT_TRUE(Started({{"heist/j" + std::to_string(job) + ".wav", 1}, {"heist/Chase.wav", 1}}));
    EXPECT_EQ(Heist.Multiplier, 2);
    EXPECT_TRUE(Between(Heist.PolicePosition, 1, 5));
    EXPECT_TRUE(Playing({"heist/LvlMusic.wav"}));

    // During the chase the letters and targets do nothing: JOBS stays unlit
    // from the word before.
    size_t from = Mark();
    Spell(4);
    EXPECT_TRUE(StartedSince(from).empty());
    EXPECT_EQ(Heist.JobsProgress, 0);

    // Bumpers pay double until the chase runs out; the job ended quietly.
    Wait(15100);
    JobTimeOut();
    ChaseTimeOut();
    EXPECT_EQ(Values(Heist.Chase.Running(), Heist.Job.Running(), Heist.Multiplier, Count("heist/jobfail.wav")),
              Values(false, false, 1, 0));
    EXPECT_TRUE(Playing({}, {"heist/Chase.wav"}));
}

TEST_F(HeistRules, AJobTargetHitAfterFifteenSecondsPaysNothing) {
    Heist.JobNumber = 2;
    Heist.Job.Start();
    Wait(14000);
    JobTimeOut();
    ChaseTimeOut();
    EXPECT_TRUE(Heist.Job.Running());
    Wait(1100);
    // Still aiming when the time ran out: the loop has not looked yet.
    EXPECT_EQ(Gain([&] { StepAt(kO, kLetterRow, heading::Right); }), 0);
    EXPECT_TRUE(Started({{"heist/jobfail.wav", 1}, {"heist/j2.wav", 0}}));
    // The late hit counts as a letter, out of order here.
    EXPECT_EQ(Values(Heist.Job.Running(), Heist.JobsProgress), Values(false, 0));
}

TEST_F(HeistRules, ThePoliceCostABallOnlyInAChaseAndByTheChasingCarOrABust) {
    LaunchEveryBall();
    // No chase: just a wall.
    Heist.PolicePosition = 4;
    EXPECT_FALSE(Restarts([&] { StepAt(29, 32, 20); }));
    // In a chase, another car is just a wall too.
    Heist.Chase.Start();
    Heist.Multiplier = 2;
    Heist.PolicePosition = 3;
    EXPECT_FALSE(Restarts([&] { StepAt(29, 32, 20); }));
    // The chasing car: caught, a ball gone, and the chase is over, though
    // the multiplier stays until a later chase runs out.
    Heist.PolicePosition = 4;
    EXPECT_TRUE(Restarts([&] { StepAt(29, 32, 20); }));
    EXPECT_EQ(Values(Game.BallsLeft, Count("heist/rbBusted.wav"), Heist.Chase.Running(), Heist.Multiplier),
              Values(1, 1, false, 2));
    EXPECT_TRUE(Playing({}, {"heist/LvlMusic.wav"}));

    // Busted in the drain: a ball, the letters lit, and door 2 again.
    Game.BallsLeft = 2;
    Heist.JobsProgress = 2;
    Heist.OpenDoor = 1;
    EXPECT_TRUE(Restarts([&] { StepAt(24, 46.6f, heading::Down); }));
    EXPECT_EQ(Values(Game.BallsLeft, Heist.JobsProgress, Heist.OpenDoor), Values(1, 0, 2));
    EXPECT_TRUE(HeardInARow({"heist/v_Busted.wav", "sounds/v_Launch.wav"}));

    // With no spare ball either ends the game: the police shoot it up.
    for (auto [x, y, heard] : {std::tuple{29.0f, 32.0f, "heist/rbShotUp.wav"}, {24.0f, 46.6f, "heist/v_Busted.wav"}}) {
        Game.BallsLeft = 0;
        Heist.Chase.Start();
        const size_t from = Mark();
        EXPECT_TRUE(EndsTheGame([&] { StepAt(x, y, x == 29 ? 20 : heading::Down); }));
        EXPECT_TRUE(Started({{heard, 1}, {"sounds/v_GOver.wav", 1}}, from));
    }
}

TEST_F(HeistRules, TheScoreBoxHoldsTheBallForItsBouncesThenOpensDoorOne) {
    // Door 2, on the right, lets the ball in; door 1, on the left, does not.
    StepAt(21, 37, heading::Right);
    EXPECT_TRUE(HeadingWithin(102, 122));  // straight back, give or take ten
    StepAt(30, 37, heading::Left, 2.0f);
    EXPECT_EQ(Ball.Direction, heading::Left);

    // In: the voice, the ball silenced meanwhile, and 50000 for each step on the floor.
    Heist.Multiplier = 2;
    EXPECT_EQ(Gain([&] { StepAt(28, 37, heading::Left); }), 100000);
    EXPECT_TRUE(Between(Heist.BoxBouncesLeft, 19, 38));  // 20..39, less the bounce off door 2 behind it
    EXPECT_EQ(Count("heist/scorebox.wav"), 1);
    EXPECT_TRUE(SilencedThenBackAt("sounds/ball.wav", 0));

    // Every door is a wall from inside; the last bounce lets the ball out.
    int bounces = 0;
    while (Heist.InScoreBox && bounces < 100) {
        StepAt(23, 37, heading::Left);
        ++bounces;
    }
    EXPECT_GE(bounces, 20);
    EXPECT_EQ(Values(Ball.X, Ball.Y, Ball.Direction, Heist.OpenDoor), Values(26, 33, 0, 1));

    // Now door 1 is the way in and door 2 a wall, until the next ball.
    StepAt(21, 37, heading::Right);
    EXPECT_EQ(Ball.Direction, heading::Right);
    StepAt(30, 37, heading::Left);
    EXPECT_NE(Ball.Direction, heading::Left);
    StartOfPlay();
    EXPECT_EQ(Heist.OpenDoor, 2);
}

TEST_F(HeistRules, TheJackpotPaysNineHundredThousandOrAMillionTimesOneToThree) {
    std::map<double, int> paid;
    for (int multiplier : {1, 2}) {
        Heist.Multiplier = uint8_t(multiplier);
        for (int i = 0; i < 60; ++i) ++paid[Gain([&] { StepAt(24, 7, heading::Up); })];
    }
    EXPECT_EQ(paid.size(), 6u);
    for (double points : {900000.0, 1800000.0, 2700000.0, 1000000.0, 2000000.0, 3000000.0})
        EXPECT_GT(paid[points], 0) << points;
    // Two is drawn about twice as often as one or three.
    EXPECT_GT(paid[1800000] + paid[2000000], paid[900000] + paid[1000000]);
    // The jackpot's words are the job voices of its number (member names
    // are found whatever their case).
    for (const char* voice : {"heist/j1.wav", "heist/j2.wav", "heist/j3.wav"}) EXPECT_GT(Count(voice), 0) << voice;
}

TEST_F(HeistRules, MusicKeysWorkAtOnceButEachBallStartsTheMusicAtMinusFive) {
    MusicVolume[kHeist] = -2400;
    for (int i = 0; i < 3; ++i) KeysWith(scan::Delete);
    EXPECT_EQ(MusicVolume[kHeist], -2500);
    EXPECT_EQ(Ops("heist/LvlMusic.wav").back(), "volume:-2500");
    StartOfPlay();
    std::vector<std::string> music = Ops("heist/LvlMusic.wav");
    EXPECT_EQ(music[music.size() - 2], "volume:-500");
    EXPECT_EQ(music.back(), "loop:0");
}

}  // namespace
}  // namespace tamblor::test
