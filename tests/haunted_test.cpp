// The Haunted House table on its real map: walls, bumpers and hard walls,
// the laboratory and its monster, graves and the wind, the fireplace, GRAVE
// and the tomb mode and the drain in both game modes, as the player hears
// them.
#include "table_checks.h"
#include "tables/haunted/haunted.h"

namespace tamblor::test {
namespace {

using namespace haunted;

class HauntedRules : public RulesOf<kHauntedCase, 1> {
protected:
    // The ball on a cell of the map, the cell handler run once; true when
    // the ball was lost (a new ball entry follows).
    bool StepOn(float x, float y, float direction = heading::Up) {
        Put(x, y, direction);
        return Restarts(HandleCell);
    }
};

TEST_F(HauntedRules, WallsSlowTheBallAndTheThirdSameBounceTurnsItByTwenty) {
    // A plain wall slows the ball by a tenth; the third same bounce in a
    // row turns it by 20 before it is mirrored.
    ClearBounceHistory();
    std::vector<float> out;
    for (int i = 0; i < 3; ++i) {
        StepAt(10, 3.4f, 10, 2.0f);
        out.push_back(Ball.Direction);
        EXPECT_NEAR(Ball.Speed, 1.9f, 1e-5);
    }
    EXPECT_EQ(out, (std::vector<float>{86, 86, 106}));
    EXPECT_EQ(Ops("sounds/WallHit.wav").size(), 6u);
}

TEST_F(HauntedRules, TheLaboratoryDoorsLetTheBallInAndTheFarSwitchWakesTheMonster) {
    House.InLab = true;  // as a tilt inside the lab leaves it: the next ball is welcomed all the same
    StartOfPlay();
    // Rolling left into the right-hand wall: the left door, three cells in.
    StepAt(33.2f, 6, heading::Left);
    EXPECT_FLOAT_EQ(Ball.X, 30.2f);
    EXPECT_EQ(Values(Ball.Direction, House.InLab), Values(heading::Left, true));  // passed, not bounced
    EXPECT_EQ(platform.Played().back(), "Haunted/v_Welc.wav");
    // The door it came by is only a wall from inside.
    StepAt(31.4f, 6, heading::Right);
    EXPECT_FALSE(House.MonsterAwake);
    EXPECT_GT(Ball.Direction, heading::Right);
    // The far wall is its switch: the monster wakes, the ball is sent out.
    StepAt(18.3f, 6, heading::Left);
    EXPECT_EQ(Values(House.Multiplier, Ball.X, Ball.Y, Count("Haunted/itsalive.wav")), Values(2, 25, 25, 1));
    EXPECT_TRUE(HeadingWithin(72, 88));
    EXPECT_EQ(Ops("Haunted/franken.wav"), (std::vector<std::string>{"pan:-10000", "loop:0"}));

    // Asleep again 15 s later, without a word, and the multiplier drops.
    const size_t from = Mark();
    EXPECT_TRUE(Lasts(15000, [] { return House.MonsterAwake; }));
    EXPECT_EQ(House.Multiplier, 1);
    EXPECT_TRUE(StartedSince(from).empty());
    EXPECT_TRUE(Playing({}, {"Haunted/franken.wav"}));

    // Rolling right into the left-hand wall: in three cells and bounced as
    // off a right wall in the same step; then the right-hand wall wakes it.
    StepAt(16.2f, 6, heading::Right);
    EXPECT_FLOAT_EQ(Ball.X, 19.2f);
    EXPECT_GT(Ball.Direction, 100);
    StepAt(31.4f, 6, heading::Right);
    ASSERT_TRUE(House.MonsterAwake);  // the op list below is not empty
    EXPECT_EQ(Ops("Haunted/franken.wav").back(), "loop:0");
    EXPECT_TRUE(HasOp("Haunted/franken.wav", "pan:10000"));
}

TEST_F(HauntedRules, TheMonstersReachTakesTheBallOnlyWhileItIsAwake) {
    LaunchEveryBall();
    EXPECT_FALSE(StepOn(7.2f, 29.2f));
    EXPECT_EQ(Count("Haunted/frankeat.wav"), 0);
    House.MonsterAwake = true;
    House.Multiplier = 2;
    Sounds.Monster.Play(true);
    EXPECT_TRUE(StepOn(7.2f, 29.2f));
    EXPECT_EQ(Values(Count("Haunted/frankeat.wav"), Game.BallsLeft), Values(1, 1));
    EXPECT_TRUE(Playing({}, {"Haunted/franken.wav", "Haunted/lvlmusic.wav"}));
    // The next ball starts with the multiplier back at 1.
    House.Multiplier = 2;
    StartOfPlay();
    EXPECT_EQ(House.Multiplier, 1);
}

TEST_F(HauntedRules, SixDifferentGravesRaiseTheWindAndWhileItBlowsEveryGraveIsATrap) {
    const float graves[][2] = {{5.2f, 24.2f}, {12.2f, 29.2f}, {19.2f, 34.2f}, {30.2f, 34.2f},
                               {37.2f, 29.2f}, {43.2f, 24.2f}, {40.2f, 39.2f}};
    for (int g = 0; g < 5; ++g) {
        EXPECT_FALSE(StepOn(graves[g][0], graves[g][1]));
        EXPECT_FALSE(StepOn(graves[g][0], graves[g][1]));  // touched twice, counted once
    }
    EXPECT_EQ(Values(House.GravesTouched, Game.Score), Values(5, 250000));
    EXPECT_EQ(CountAny(platform, {"Haunted/Glass1.wav", "Haunted/Glass2.wav", "Haunted/Glass3.wav"}), 5);

    // The sixth, with the fire burning: the wind rises and blows it out.
    House.FireBurning = true;
    Sounds.FireLoop.Play(true);
    House.Multiplier = 2;
    EXPECT_FALSE(StepOn(graves[6][0], graves[6][1]));
    EXPECT_TRUE(Playing({}, {"Haunted/fireloop.wav"}));
    EXPECT_EQ(Values(Game.Score, Ball.X, Ball.Y), Values(250000 + 400000, 25, 25));
    EXPECT_TRUE(HeardInARow({"Haunted/windamb.wav", "Haunted/fireout.wav", "Haunted/Gusts.wav"}));

    // Any grave now takes the ball, even one never touched.
    LaunchEveryBall();
    EXPECT_TRUE(StepOn(graves[0][0], graves[0][1]));
    EXPECT_EQ(Values(Count("Haunted/loseball.wav"), Game.BallsLeft), Values(1, 1));

    // Ten seconds after it rose it drops, and the multiplier with it.
    House.Multiplier = 2;
    TimersAfter(10100);
    EXPECT_EQ(House.Multiplier, 1);
    EXPECT_EQ(platform.Played().back(), "Haunted/ShutWind.wav");
    EXPECT_FALSE(StepOn(graves[0][0], graves[0][1]));
    EXPECT_EQ(House.GravesTouched, 1);

    // A wind still blowing when a new ball enters drops silently with the
    // ball that raised it: its gusts are gone, so its traps go too.
    House.WindBlowing = true;
    House.WindTimer.Start();
    StartOfPlay();
    const int shut = Count("Haunted/ShutWind.wav");
    EXPECT_FALSE(StepOn(graves[1][0], graves[1][1]));
    TimersAfter(10100);
    EXPECT_EQ(Count("Haunted/ShutWind.wav"), shut);
}

TEST_F(HauntedRules, TheFireplacePaysWhenOutAndBurnsTheBallWhenLit) {
    LaunchEveryBall();
    EXPECT_FALSE(StepOn(8.2f, 5.2f));
    EXPECT_EQ(Values(Game.Score, Ball.X, Ball.Y, Ball.Direction), Values(100000, 25, 35, heading::Down));
    EXPECT_TRUE(Playing({"Haunted/fireloop.wav"}));
    EXPECT_TRUE(StepOn(8.2f, 5.2f));
    EXPECT_EQ(Values(Count("Haunted/InFire.wav"), Game.Score, Game.BallsLeft, House.FireBurning),
              Values(1, 100000, 1, false));
    EXPECT_TRUE(Playing({}, {"Haunted/fireloop.wav"}));
}

TEST_F(HauntedRules, SpookyZonesSoundAndOnlyOnePays) {
    StepOn(40.2f, 5.2f);
    StepOn(8.2f, 39.2f);
    EXPECT_EQ(Values(Game.Score, Count("Haunted/Creak.wav")), Values(0, 1));
    House.Multiplier = 2;
    StepOn(20.2f, 22.2f);
    EXPECT_EQ(Game.Score, 40000);
    std::vector<std::string> heard = platform.Played();
    EXPECT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0].rfind("Haunted/SE0", 0), 0u);
    EXPECT_EQ(heard[2].rfind("Haunted/LE0", 0), 0u);
}

class HauntedTomb : public HauntedRules {
protected:
    // The letters of GRAVE, taken by rolling over them.
    void Spell(std::initializer_list<int> letters) {
        const float x[] = {0, 5.2f, 14.2f, 24.2f, 34.2f, 43.2f};
        for (int l : letters) StepOn(x[l], 17.2f);
    }
    void Stones(std::initializer_list<int> at) {
        std::fill(std::begin(House.StoneLane), std::end(House.StoneLane), uint8_t(0));
        for (int p : at) House.StoneLane[p] = kStone;
    }
    // Presses Shift as each of the next `n` stone cues sounds, `delayMs` after it.
    void ThrowAtStones(int n, uint64_t delayMs = 10) {
        for (int i = 0; i < n; ++i) platform.TapWhenSoundStarts("Haunted/ScanSton.wav", scan::LeftShift, delayMs, 30);
    }
};

TEST_F(HauntedTomb, LettersCountOnlyInOrderAndEOpensTheTombMode) {
    Spell({2, 1, 1, 3});  // R too early; G twice
    EXPECT_EQ(Game.Score, 40000);
    EXPECT_TRUE(Started({{"Haunted/FlyAway.wav", 4}, {"Haunted/v_G.wav", 1}, {"Haunted/v_R.wav", 0}}));
    Spell({2, 3, 4});
    EXPECT_EQ(Game.Score, 160000);

    // The E: the tomb mode runs its hundred positions; nothing thrown.
    House.MonsterAwake = true;
    House.Multiplier = 2;
    Sounds.Monster.Play(true);
    Spell({5});
    // The multiplier is kept until the next ball or the wind drops.
    EXPECT_EQ(Values(House.MonsterAwake, House.Multiplier, Game.Score, House.Spelling, Game.TableLevel, Ball.X, Ball.Y),
              Values(false, 2, 160000 + 80000, 0, 1, 25, 45));
    EXPECT_TRUE(Started({{"Haunted/ScanSton.wav", 6}, {"sounds/ScanBeep.wav", 94}, {"Haunted/v_NoStns.wav", 1}}));
    EXPECT_TRUE(Playing({"sounds/ball.wav", "Haunted/lvlmusic.wav"}));  // the ball rolls on, heard
    EXPECT_EQ(platform.Played().back(), "Haunted/FlyAway.wav");
    EXPECT_EQ(std::count(std::begin(House.StoneLane), std::end(House.StoneLane), kStone), 0);
}

TEST_F(HauntedTomb, SixThrowsKnockStonesBesideThemAndTheSeventhDoesNothing) {
    // Seven stones, seven presses as each sounds: six fall, the last press is spent.
    Stones({12, 28, 44, 60, 76, 92, 98});
    ThrowAtStones(7);
    House.StonesKnocked = 0;
    TombMode();
    EXPECT_TRUE(Started({{"Haunted/Throw.wav", 6}, {"Haunted/StoneDwn.wav", 6}, {"Haunted/xtraball.wav", 1}}));
    EXPECT_EQ(Values(Game.Score, Game.BallsLeft), Values(6 * 50000 + 500000, 3));
    EXPECT_TRUE(HeardInARow({"Haunted/V6.wav", "Haunted/v_Stones.wav", "Haunted/allstone.wav"}));

    // A press one position after a stone still knocks it; two after misses
    // and is used up.
    platform.ClearSoundLog();
    Game.Score = 0;
    Game.TableLevel = 0;
    Stones({20, 50});
    ThrowAtStones(1, 130);
    ThrowAtStones(1, 250);
    House.StonesKnocked = 0;
    TombMode();
    EXPECT_EQ(Values(Count("Haunted/Throw.wav"), Game.Score, Game.BallsLeft), Values(2, 50000, 3));
    EXPECT_TRUE(HeardInARow({"Haunted/V1.wav", "Haunted/v_stone.wav"}));
}

TEST_F(HauntedTomb, TheLaneQuickensWithEachTombModeAndEscapeThereEndsTheGame) {
    auto timed = [] {
        const uint32_t before = GetTick();
        TombMode();
        return GetTick() - before;
    };
    Game.TableLevel = 0;
    const uint32_t first = timed();
    EXPECT_EQ(Game.TableLevel, 1);
    Game.TableLevel = 8;
    const uint32_t eighth = timed();
    EXPECT_EQ(Game.TableLevel, 8);
    EXPECT_GE(first, 100u * 120);
    EXPECT_GE(eighth, 100u * 80);
    EXPECT_GE(first - eighth, 100u * 25);  // 120 ms a position at first, 80 ms from the eighth on

    Game.Score = 123456;
    platform.TapAt(platform.NowMs() + 500, scan::Escape, 50);
    EXPECT_TRUE(EndsTheGame(TombMode));
    EXPECT_EQ(Values(Game.Score, BestScore[kHauntedHouse]), Values(0, 0));
    EXPECT_TRUE(Playing({}, {"Haunted/GraveAmb.wav"}));
}

TEST_F(HauntedRules, AccessibleDrainAimsByASideChosenWithShiftAndShootsInsideTheCircle) {
    GameMode = 0;
    // A shot at every position of each side's sweep.
    std::set<float> shots[2];
    for (int side = 0; side < 2; ++side) {
        const uint8_t key = side == 0 ? scan::LeftShift : scan::RightShift;
        for (int k = 0; k < 46; ++k) {
            const float shot = ShootFromTheDrain(key, k, 46.2f);
            EXPECT_EQ(Values(Ball.X, Ball.Y, Ball.Speed), Values(25, 45, SpeedFactor));
            shots[side].insert(shot);
        }
    }
    // The left sweep leaves at 40 down to 1 and, past straight up-left,
    // at 123 to 128, which is heading 0 again: the wall rules know no 128.
    auto headings = [](std::initializer_list<std::pair<int, int>> runs) {
        std::set<float> out;
        for (auto [from, to] : runs)
            for (int h = from; h <= to; ++h) out.insert(float(h));
        return out;
    };
    EXPECT_EQ(shots[0], headings({{0, 40}, {123, 127}}));
    // The right one at 120..126 and -1 (127) up to 37.
    EXPECT_EQ(shots[1], headings({{120, 127}, {0, 37}}));
    EXPECT_TRUE(platform.IsLabelPlaying("sounds/ball.wav"));
    EXPECT_GT(Count("Haunted/ScanA.wav"), 0);  // the A stands straight above the drain
}

TEST_F(HauntedRules, StatusWaitsForTheCommandKeys) {
    platform.SetKeyDown(scan::Delete, true);
    PollKeyboard();
    InPlayKeys();  // Delete turns the music down
    platform.SetKeyDown(scan::S, true);
    PollKeyboard();
    size_t from = Mark();
    InPlayKeys();
    EXPECT_EQ(Count("sounds/v_UHave.wav"), 0);
    platform.SetKeyDown(scan::Delete, false);
    PollKeyboard();
    UpdateCommandKeysReleased();
    InPlayKeys();
    const std::vector<std::string> heard = StartedSince(from);
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard[0], "sounds/v_UHave.wav");
}

}  // namespace
}  // namespace tamblor::test
