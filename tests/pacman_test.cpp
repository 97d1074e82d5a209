// The Pac Man table on its real maze: the cell handler's walls, bumpers,
// holes and tunnels, and the rules (dots, pills, ghosts, fruit, extra balls,
// tables, status, tilt and game over) as the player hears them.
#include "table_checks.h"
#include "table/services.h"
#include "tables/pacman/pacman.h"

namespace tamblor::test {
namespace {

using namespace pacman;

using PacManRules = RulesOf<kPacManCase, 0>;

TEST_F(PacManRules, PowerOpensTheHouseAndACornerReAimsByTheFloorFirst) {
    // The house's top keeps the ball out, unless power is on.
    StepAt(21, 18, heading::Down, 2.0f);
    EXPECT_LE(Ball.Direction, 26);
    PacMan.PowerActive = true;
    StepAt(21, 18, heading::Down);
    EXPECT_EQ(Ball.Direction, heading::Down);
    PacMan.PowerActive = false;

    // In a corner with a floor below and a wall to the left, straight down: the floor re-aims the ball
    // first (6..26), then the left wall mirrors what still heads left (and
    // the nudge turns a heading the wall left alone by 4, either way). Left
    // wall first, the ball would always leave at 20 or 24.
    std::set<float> seen;
    for (int i = 0; i < 200; ++i) {
        ClearBounceHistory();
        StepAt(2, 43, heading::Down);
        seen.insert(Ball.Direction);
    }
    EXPECT_EQ(*seen.begin(), 12);
    EXPECT_GT(*seen.rbegin(), 26);
    EXPECT_LE(*seen.rbegin(), 30);
    EXPECT_GT(seen.size(), 5u);
}

TEST_F(PacManRules, TheFieldGuardPutsAnEscapedBallBackAtAStart) {
    std::set<float> rows;
    for (int i = 0; i < 20; ++i) {
        StepAt(0.6f, 20, heading::Left, 1.5f);
        EXPECT_EQ(Values(Ball.X, Ball.Speed), Values(26, 1.5f));
        rows.insert(Ball.Y);
        if (Ball.Y == 6) {
            EXPECT_TRUE(HeadingWithin(50, 110));
        } else {
            EXPECT_TRUE(Ball.Direction <= 46 || (Ball.Direction >= 114 && Ball.Direction <= 127)) << Ball.Direction;
        }
    }
    EXPECT_EQ(rows, (std::set<float>{6, 43}));
}

TEST_F(PacManRules, TunnelsSwooshOnTheirOwnSideAndDropTheBallAcrossTheMaze) {
    StepAt(3.4f, 25, heading::Left);
    EXPECT_TRUE(BallAt(43, 25));
    StepAt(46.4f, 24.8f, heading::Right);
    EXPECT_TRUE(BallAt(7, 25));
    EXPECT_EQ(Ops("pacman/Swoosh.wav"), (std::vector<std::string>{"pan:-2500", "play:0", "pan:2500", "play:0"}));
    // Two slots: the right one may start while the left one still plays.
    EXPECT_NE(platform.SoundLog()[0].id, platform.SoundLog().back().id);
}

TEST_F(PacManRules, LaunchHolesAimByTheSweepPosition) {
    // The bottom hole: position 20 leaves at heading 5 (up, a little left).
    TapAtSweepPosition(20);
    StepAt(47, 35, heading::Right);
    EXPECT_EQ(Values(Ball.X, Ball.Y, Ball.Direction, Ball.Speed), Values(25, 44, 5, SpeedFactor));
    EXPECT_TRUE(Playing({"sounds/ball.wav"}));
    Wait(100);  // the shooting Shift goes up: one still held fires a hole at once

    // The top hole: position 20 leaves at 92 (down, a little left).
    TapAtSweepPosition(20);
    StepAt(2, 14, heading::Down);
    EXPECT_EQ(Values(Ball.Y, Ball.Direction), Values(6, 92));
    Wait(100);  // Shift up before the next hole

    // Cues are panned by their position, left to right.
    EXPECT_TRUE(HasOp("sounds/ScanBeep.wav", "pan:-3200"));
    EXPECT_TRUE(HasOp("sounds/ScanBeep.wav", "pan:" + std::to_string(20 * 100 - 3200)));

    // A Shift held as the ball drops in fires along the first probe: left.
    platform.SetKeyDown(scan::LeftShift, true);
    StepAt(2, 14, heading::Down);
    EXPECT_EQ(Ball.Direction, heading::Left);
    platform.SetKeyDown(scan::LeftShift, false);

    // Escape in the scan ends the game.
    platform.SetKeyDown(scan::Escape, true);
    StepAt(47, 35, heading::Right);
    EXPECT_FALSE(Game.GameRunning);
}

TEST_F(PacManRules, TheHolesSweepsHearTheMazesTargetsUntilTheyAreGone) {
    // One whole sweep from each hole: the cues their probes started, by
    // what follows "Scan" in their names.
    auto both = [&] {
        std::set<std::string> heard;
        for (bool top : {true, false}) {
            const size_t from = Mark();
            TapAtSweepPosition(top ? 64 : 61);  // the first position of the second sweep
            AimScanHole(top);
            Wait(100);  // Shift up before the next hole
            for (const std::string& label : StartedSince(from))
                if (const size_t at = label.find("/Scan"); at != std::string::npos) heard.insert(label.substr(at + 5));
        }
        return heard;
    };
    using Cues = std::set<std::string>;
    PacMan.FruitPresent = true;
    EXPECT_EQ(both(), (Cues{"PUp.wav", "Frt.wav", "Tunl.wav", "Trig.wav", "Beep.wav"}));

    // Eaten pills and a gone fruit are not there to aim at.
    std::fill(std::begin(PacMan.PillEaten), std::end(PacMan.PillEaten), true);
    PacMan.FruitPresent = false;
    EXPECT_EQ(both(), (Cues{"Tunl.wav", "Trig.wav", "Beep.wav"}));

    // In power mode only the ghosts answer, until each is eaten; the loops
    // are silenced while the ball waits and back at full volume after.
    PacMan.PowerActive = true;
    EXPECT_EQ(both(), (Cues{"Ghst.wav", "Beep.wav"}));
    EXPECT_TRUE(SilencedThenBackAt("pacman/GhostRun.wav", 0));
    std::fill(std::begin(PacMan.GhostEaten), std::end(PacMan.GhostEaten), true);
    EXPECT_EQ(both(), (Cues{"Beep.wav"}));
}

TEST_F(PacManRules, PillsGhostsAndThePowerPeriod) {
    // A pill: power, its cue, 50000; the siren gives way to the power loop.
    Put(14, 11, heading::Up);
    EXPECT_GE(Gain(HandleCell), 50000);
    EXPECT_TRUE(Playing({"pacman/GhostRun.wav"}, {"pacman/Siren.wav"}));

    // Another pill touched during power mode is not eaten and stays.
    PowerPill(2);  // (as if eaten elsewhere) restarts nothing of pill 4
    StepAt(30, 38, heading::Down);
    EXPECT_FALSE(PacMan.PillEaten[4]);

    // Ghosts of one period: 40000, then 80000; one already eaten is nothing.
    EXPECT_EQ((Seq{Gain([] { Ghost(1); }), Gain([] { Ghost(2); }), Gain([] { Ghost(2); })}), Values(40000, 80000, 0));

    // The period runs out: ghosts reset, the next first ghost is 40000 again.
    Wait(PacMan.PowerDuration);
    PowerExpiry();
    EXPECT_TRUE(Playing({"pacman/Siren.wav"}));
    HandleCell();  // now the pill at (30, 38) is eaten
    EXPECT_TRUE(PacMan.PillEaten[4]);
    EXPECT_EQ(Gain([] { Ghost(2); }), 40000);

    // A table finished in power mode keeps the doubled value.
    LaunchEveryBall();
    EXPECT_TRUE(Restarts([] { CompleteTable(false); }));
    EXPECT_EQ(Values(PacMan.PowerActive, PacMan.PowerDuration), Values(false, 13000));
    PowerPill(1);
    EXPECT_EQ(Gain([] { Ghost(1); }), 80000);

    // A tilt in power mode ends it as its expiry would; the next ball's
    // start of play brings the siren back.
    ASSERT_TRUE(PacMan.PowerActive);
    EXPECT_TRUE(KeysWith(scan::Return));
    EXPECT_FALSE(PacMan.PowerActive);
    EXPECT_TRUE(Playing({}, {"pacman/GhostRun.wav"}));
    StartOfPlay();
    EXPECT_TRUE(Playing({"pacman/Siren.wav"}));
}

TEST_F(PacManRules, LostBallsCountDownTheSparesThenEndTheGame) {
    LaunchEveryBall();
    AnswerTheLastPrompt();
    PacMan.FruitPresent = true;
    PacMan.GhostEaten[3] = true;
    size_t from = Mark();
    StepAt(8, 12, heading::Left);  // ghost 1, in its room, takes the ball
    std::vector<std::string> heard = StartedSince(from);
    heard.erase(std::remove(heard.begin(), heard.end(), "sounds/WallHit.wav"), heard.end());
    std::vector<std::string> expected = {"pacman/pacdie.wav", "sounds/v_UHave.wav", N(2), "sounds/v_BsLeft.wav",
                                         "sounds/v_Launch.wav"};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), heard.begin())) << PlayedList();
    EXPECT_EQ(Values(Ball.X, Ball.Y, Ball.Direction, PacMan.FruitPresent, PacMan.GhostEaten[3]),
              Values(35, 35, 88, false, false));
    EXPECT_TRUE(Playing({"sounds/ball.wav", "pacman/Siren.wav"}));

    from = Mark();
    Ghost(2);
    EXPECT_TRUE(HeardInARow({"pacman/pacdie.wav", "sounds/v_UHave.wav", N(1), "sounds/v_BLeft.wav"}, from));

    from = Mark();
    EXPECT_TRUE(RunUntilMainMenu([] { Ghost(3); }));
    EXPECT_TRUE(HeardInARow({"pacman/pacdie.wav", "sounds/v_GOver.wav"}, from));
}

TEST_F(PacManRules, EatingDotsReachesFewerNeighboursTableByTable) {
    // (10, 34) has dots on all four sides and under the ball.
    auto eaten = [&](int tables) {
        for (auto& column : PacMan.DotEaten) std::fill(std::begin(column), std::end(column), false);
        PacMan.TablesCompleted = tables;
        PacMan.DotsLeft = 300;
        EatDots(ReadCellsAround(10, 34));
        return 300 - PacMan.DotsLeft;
    };
    // From the third table none above, from the fifth none below, from the
    // seventh none to the left, from the eighth only the one under the ball.
    for (auto [tables, dots] : {std::pair{0, 5}, {1, 5}, {2, 4}, {4, 3}, {6, 2}, {7, 1}})
        EXPECT_EQ(eaten(tables), dots) << tables;

    // A dot is eaten once; each pays 1000 with its sound panned half-width.
    PacMan.TablesCompleted = 0;
    platform.ClearSoundLog();
    Put(10, 34, heading::Right);
    EXPECT_EQ(Gain([] { EatDots(ReadCellsAround(10, 34)); }), 4000);
    EXPECT_EQ(Ops("pacman/EatDot.wav").front(), "pan:-3000");
}

TEST_F(PacManRules, TheSirenRisesAsTheDotsRunOutEvenWhenTwoGoAtOnce) {
    auto frequencies = [&] {
        std::vector<std::string> out;
        for (const std::string& op : Ops("pacman/Siren.wav"))
            if (op.rfind("frequency:", 0) == 0) out.push_back(op.substr(10));
        return out;
    };
    PacMan.DotsLeft = 81;
    PacMan.TablesCompleted = 7;  // one dot at a time
    EatDots(ReadCellsAround(10, 34));
    EXPECT_EQ(frequencies(), (std::vector<std::string>{"24050"}));
    // On the third table the ball eats the dot under it and the one below:
    // from 42, two dots at once go straight to 40.
    PacMan.TablesCompleted = 2;
    PacMan.DotsLeft = 42;
    EatDots(ReadCellsAround(10, 32));
    EXPECT_EQ(PacMan.DotsLeft, 40);
    PacMan.DotsLeft = 21;
    EatDots(ReadCellsAround(10, 30));
    PacMan.DotsLeft = 11;
    EatDots(ReadCellsAround(10, 28));
    EXPECT_EQ(frequencies(), (std::vector<std::string>{"24050", "26050", "28050", "30050"}));
    LaunchEveryBall();
    EXPECT_TRUE(Restarts([] { CompleteTable(false); }));
    StartOfPlay();
    EXPECT_EQ(frequencies().back(), "22050");
}

TEST_F(PacManRules, SpaceSkipsATableBelowElevenDotsButNotWithTheLaunchingPress) {
    platform.TapWhenSoundStarts("sounds/LReady.wav", scan::Space, 10, 500);
    PacMan.DotsLeft = 11;
    KeysWith(scan::Space);
    EXPECT_EQ(PacMan.TablesCompleted, 0);

    PacMan.DotsLeft = 10;
    size_t from = Mark();
    EXPECT_EQ(Gain([&] { EXPECT_TRUE(KeysWith(scan::Space)); }), 0);  // no bonus
    EXPECT_EQ(Values(PacMan.TablesCompleted, PacMan.DotsLeft), Values(1, TableMap.DotCount));
    EXPECT_TRUE(HeardInARow({"pacman/TableCom.wav", "pacman/lvlMusic.wav"}, from));

    // The Space that launches the next ball, still held, skips nothing.
    StartOfPlay();
    PacMan.DotsLeft = 5;
    platform.TapWhenSoundStarts("sounds/LReady.wav", scan::Space, 10, 2000);
    Ghost(1);  // a lost ball and its launch prompt
    PollKeyboard();
    EXPECT_TRUE(KeyDown(scan::Space));
    EXPECT_FALSE(Restarts(InPlayKeys));
    EXPECT_EQ(PacMan.TablesCompleted, 1);

    // Eating the last dot pays the completion bonus and starts a new table.
    PacMan.DotsLeft = 1;
    LaunchEveryBall();
    EXPECT_EQ(Gain([] { EXPECT_TRUE(Restarts([] { EatDots(ReadCellsAround(10, 34)); })); }), 200000);
    EXPECT_EQ(PacMan.TablesCompleted, 2);
}

TEST_F(PacManRules, FruitComesEveryThirtySecondsStaysTwentyAndPaysMoreEachTime) {
    // Whether a fruit is there once `ms` more have passed.
    auto fruitAfter = [&](uint32_t ms) {
        Wait(ms);
        FruitTiming();
        return PacMan.FruitPresent;
    };
    EXPECT_TRUE(fruitAfter(30000));
    EXPECT_EQ(platform.Played().back(), "pacman/FruitPr.wav");
    // Eaten ten seconds later: the first pays 20000.
    EXPECT_TRUE(fruitAfter(10000));
    EXPECT_EQ(Gain([&] { StepAt(25, 25, heading::Up); }), 20000);  // the fruit spot in the house
    EXPECT_FALSE(PacMan.FruitPresent);

    // Eating it did not restart the clock: the next comes 30 s after the last came.
    EXPECT_FALSE(fruitAfter(19000));
    EXPECT_TRUE(fruitAfter(1100));
    PacMan.TablesCompleted = 1;
    EXPECT_EQ(Gain(Fruit), 60000);  // third fruit (x3) on the second table (x2)

    // Uneaten, a fruit goes after 20 s.
    ASSERT_TRUE(fruitAfter(30000));
    EXPECT_TRUE(fruitAfter(19000));
    EXPECT_FALSE(fruitAfter(1100));
}

TEST_F(PacManRules, TheKeyThatEndsAPauseDoesNothingMoreInTheTable) {
    // Each key resumes a pause; none of them may then also tilt, click the
    // flipper or start the status report on the same press.
    for (uint8_t resume : {scan::Return, scan::LeftShift, scan::S}) {
        const uint32_t start = GetTick();
        platform.TapAt(platform.NowMs() + 50, scan::P, 100);
        platform.TapWhenSoundStarts("sounds/PausedLp.wav", resume, 300, 600);
        const size_t from = Mark();
        CommandKeysReleased = true;
        while (GetTick() - start < 3000) {
            PollKeyboard();
            ASSERT_FALSE(Restarts(InPlayKeys));
            YieldToSystem();
        }
        EXPECT_TRUE(Started({{"sounds/Resumed.wav", 1}, {"sounds/tilt.wav", 0}, {"sounds/Flipper.wav", 0},
                             {"sounds/v_UHave.wav", 0}},
                            from))
            << "resumed with " << int(resume);
    }
}

TEST_F(PacManRules, TheLaunchPromptSaysTheStatusAndPausesAsPlayDoes) {
    const uint64_t t = platform.NowMs();
    platform.TapAt(t + 1500, scan::S, 200);
    platform.TapWhenSoundStarts("sounds/v_BsLeft.wav", scan::P, 600, 100);
    platform.TapWhenSoundStarts("sounds/PausedLp.wav", scan::Down, 500, 100);
    platform.TapWhenSoundStarts("sounds/Resumed.wav", scan::Space, 600, 100);
    const size_t from = Mark();
    LaunchBall();
    const std::vector<std::string> expected = {
        "sounds/v_Launch.wav", "sounds/LReady.wav", "sounds/v_UHave.wav", "sounds/numbers/zero.wav",
        "sounds/v_Points.wav", "pacman/v_NOTC.wav", "sounds/numbers/zero.wav", "pacman/v_Tables.wav",
        "sounds/v_UHave.wav", N(3), "sounds/v_BsLeft.wav", "sounds/Paused.wav", "sounds/PausedLp.wav",
        "sounds/Resumed.wav", "sounds/BLaunch.wav", "sounds/ball.wav"};
    EXPECT_EQ(StartedSince(from), expected);
}

}  // namespace
}  // namespace tamblor::test
