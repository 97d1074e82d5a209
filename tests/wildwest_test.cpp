// The Wild West table on its real map: the town's events, the flipper zone
// in both game modes and the two duels, as the player hears them.
#include "table_checks.h"
#include "tables/wildwest/wildwest.h"

namespace tamblor::test {
namespace {

using namespace wildwest;

class WildWestRules : public RulesOf<kWildWestCase, 1> {
protected:
    void SetUp() override {
        RulesOf::SetUp();
        FistDifficulty = 0;
    }
    void TearDown() override {
        FistDifficulty = 0;
        RulesOf::TearDown();
    }
    // Start times of `label` in the log.
    std::vector<uint64_t> StartTimes(const std::string& label) const {
        std::vector<uint64_t> out;
        for (const SoundEvent& e : platform.SoundLog())
            if (e.label == label && (e.op == "play" || e.op == "loop")) out.push_back(e.ms);
        return out;
    }

    // A fist fighter that listens for each swing: `play(round, fromRight)`
    // says what to do in that round.
    enum class Move { BlockAndPunch, WrongKey, Nothing };
    void Fighter(std::function<Move(int round, bool fromRight)> play, uint64_t reactMs = 60) {
        OnEachSound(platform, [this, play, reactMs, round = 0](const SoundEvent& e) mutable {
            if (e.label != "wildwest/FistSwng.wav" || e.op != "pan") return;
            const bool right = e.value > 0;
            const uint8_t block = right ? scan::RightShift : scan::LeftShift;
            const uint8_t punch = right ? scan::LeftShift : scan::RightShift;
            switch (play(round++, right)) {
            case Move::BlockAndPunch:
                platform.TapAt(e.ms + reactMs, block, 30);
                // The punch once the block has been heard.
                platform.TapWhenSoundStarts("wildwest/block.wav", punch, SoundMs("wildwest/block.wav") + reactMs, 30);
                break;
            case Move::WrongKey: platform.TapAt(e.ms + reactMs, punch, 30); break;
            case Move::Nothing: break;
            }
        });
    }
};

// ------------------------------------------------------------- the town ---

TEST_F(WildWestRules, HorsesAreCaughtOnceAndTheFourthAlertsTheThieves) {
    auto catchHorse = [&](int n) {
        for (int x = 2; x < 48; ++x)
            for (int y = 2; y < 48; ++y)
                if (TableMap.Cells[x][y].Code == code::Horse && TableMap.Cells[x][y].Number == n)
                    return Gain([&] { StepAt(float(x), float(y), heading::Up); });
        ADD_FAILURE() << "no horse " << n << " on the map";
        return 0.0;
    };
    // Caught twice: the second time silent, with nothing paid.
    EXPECT_EQ((Seq{catchHorse(0), catchHorse(0)}), Values(50000, 0));
    Town.Multiplier = 2;
    EXPECT_EQ((Seq{catchHorse(1), catchHorse(2), catchHorse(3)}), Values(100000, 100000, 200000));
    EXPECT_EQ(Values(Town.ThievesAlerted, Count("wildwest/thieves.wav")), Values(true, 1));
    EXPECT_EQ(CountAny(platform, {"wildwest/horse1.wav", "wildwest/horse2.wav", "wildwest/horse3.wav"}), 4);

    // A new ball clears them all.
    StartOfPlay();
    EXPECT_EQ(Values(Town.ThievesAlerted, Town.Multiplier), Values(false, 1));
    EXPECT_EQ(catchHorse(0), 50000);
}

TEST_F(WildWestRules, AmmunitionBoxesFillToTwelveThenLeaveTheBallAlone) {
    StepAt(2.6f, 20, heading::Left);  // the left box
    EXPECT_EQ(Values(Town.Ammunition, Ball.X, Ball.Y), Values(2, 20, 18));
    EXPECT_TRUE(HeadingWithin(80, 112));
    StepAt(47, 21, heading::Right);  // the right box
    EXPECT_EQ(Values(Town.Ammunition, Ball.X), Values(4, 31));
    Town.Ammunition = 12;
    StepAt(47, 21, heading::Up);
    EXPECT_EQ(Values(Town.Ammunition, Ball.X, Ball.Y, Count("wildwest/ammo.wav")), Values(12, 47, 21, 2));
}

TEST_F(WildWestRules, TheStoreDoorsLetTheBallInAndItsCounterPaysOnEveryFourthArrival) {
    // The left wall from outside: three columns on, into the store.
    StepAt(4.3f, 4, heading::Right);
    EXPECT_NEAR(Ball.X, 7.3f, 1e-5);
    EXPECT_EQ(Ball.Direction, heading::Right);
    StepAt(14.2f, 4, heading::Left);  // the right wall from outside
    EXPECT_NEAR(Ball.X, 11.2f, 1e-5);
    EXPECT_EQ(Count("wildwest/EGStore.wav"), 2);
    // From inside they are walls.
    StepAt(11.2f, 4, heading::Right - 8);
    EXPECT_GT(Ball.Direction, heading::Right);

    int paid = 0, thrown = 0;
    for (int visit = 1; visit <= 40; ++visit) {
        const double gained = Gain([&] { StepAt(9, 6, heading::Down); });
        if (visit % 4 != 0) {
            EXPECT_EQ(gained, 0) << visit;
            EXPECT_EQ(Ball.Y, 6);
            continue;
        }
        EXPECT_TRUE(BallAt(25, 16));
        EXPECT_TRUE(HeadingWithin(72, 88));
        EXPECT_TRUE(gained == 0 || gained == 100000) << gained;
        (gained > 0 ? paid : thrown)++;
    }
    EXPECT_TRUE(Started({{"wildwest/ENormGS.wav", paid}, {"wildwest/EThrowGS.wav", thrown}}));
    EXPECT_GT(paid, 0);
    EXPECT_GT(thrown, 0);
}

TEST_F(WildWestRules, TheBlacksmithDoublesForTenSecondsAndWallsRicochet) {
    StepAt(38, 8, heading::Up);
    EXPECT_EQ(Values(Town.Multiplier, Ball.X, Ball.Y, Ball.Speed, Count("wildwest/Blksmith.wav")),
              Values(2, 41, 24, 3.2f, 1));
    // Drawn 96..128: a heading of 128 is kept as 0.
    EXPECT_TRUE(Ball.Direction >= 96 || Ball.Direction == 0) << Ball.Direction;
    EXPECT_LT(Ball.Direction, 128);

    // A wall now ricochets and sends the ball off at 3.2.
    StepAt(40, 4.4f, heading::Up, 1.0f);
    EXPECT_EQ(Ball.Speed, 3.2f);
    EXPECT_EQ(CountAny(platform, {"wildwest/ricocht1.wav", "wildwest/ricocht2.wav", "wildwest/ricocht3.wav",
                                  "wildwest/ricocht4.wav"}),
              1);
    // The bell pays double meanwhile.
    EXPECT_EQ(Gain([&] { StepAt(18, 13, heading::Up); }), 20000);

    EXPECT_TRUE(Lasts(10000, [] { return Town.BonusRunning; }));
    EXPECT_EQ(Town.Multiplier, 1);
}

TEST_F(WildWestRules, KickersSendTheBallBackUpFromTheirSides) {
    std::set<float> right;
    for (int i = 0; i < 100; ++i) {
        StepAt(5, 41, heading::Down);
        EXPECT_TRUE(BallAt(11, 39));
        EXPECT_TRUE(HeadingWithin(24, 40));
        StepAt(44, 41, heading::Down);
        EXPECT_TRUE(BallAt(38, 39));
        EXPECT_TRUE(Ball.Direction <= 8 || (Ball.Direction >= 116 && Ball.Direction <= 124)) << Ball.Direction;
        right.insert(Ball.Direction);
    }
    EXPECT_TRUE(*right.begin() <= 8 && *right.rbegin() >= 116);
}

TEST_F(WildWestRules, TheSaloonIsEnteredFromBelowAndLeftThroughItsBackDoors) {
    Fighter([](int, bool) { return Move::BlockAndPunch; });
    StepAt(25, 10, heading::Up);
    EXPECT_EQ(Ball.Y, 7);
    EXPECT_GT(Ball.Direction, heading::Right);  // the door turned it back into the bar room
    EXPECT_TRUE(Playing({"wildwest/PianoLp.wav", "sounds/ball.wav"}, {"wildwest/lvlAmb.wav"}));

    int beers = 0, fights = 0;
    for (int visit = 0; visit < 12; ++visit) {
        StepAt(25, 10, heading::Up);
        StepAt(20, 6, heading::Down);
        EXPECT_TRUE(Town.InSaloon);
        const double gained = Gain([&] { StepAt(20, 7, heading::Down); });
        EXPECT_FALSE(Town.InSaloon);
        EXPECT_TRUE(BallAt(25, 44));
        EXPECT_LE(Ball.Direction, 32);
        EXPECT_TRUE(gained == 20000 || gained >= 100000) << gained;
        (gained == 20000 ? beers : fights)++;
        EXPECT_TRUE(Playing({"wildwest/lvlAmb.wav", "sounds/ball.wav"}, {"wildwest/PianoLp.wav"}));
    }
    EXPECT_TRUE(Started({{"wildwest/DrnkBeer.wav", beers}, {"wildwest/KnockOut.wav", fights}}));
    EXPECT_GT(beers, 0);
    EXPECT_GT(fights, 0);

    // A tilt inside the bar room does not shut the saloon for the next ball.
    Town.InSaloon = true;
    StartOfPlay();
    EXPECT_FALSE(Town.InSaloon);
}

// ------------------------------------------------------ the flipper zone ---

TEST_F(WildWestRules, TheAimScanChoosesASideThenShootsAlongTheRayBeforeTheOneHeard) {
    GameMode = 0;
    // Left Shift: side 1 sweeps from heading 47 round to 112, the shot one heading back.
    auto shoot = [&](uint8_t side, int position) { return ShootFromTheDrain(side, position, 47); };
    const float first = shoot(scan::LeftShift, 0);
    EXPECT_NEAR(first, 48, 1.01f);  // the first ray (47) or its neighbour, plus one
    EXPECT_EQ(Values(Ball.X, Ball.Y, Ball.Speed), Values(25, 44, SpeedFactor));
    EXPECT_TRUE(Playing({"sounds/ball.wav"}));
    // Far round the left sweep the rays pass 127 and 0: a shot there stays in 0..127.
    for (int position = 46; position <= 50; ++position)
        EXPECT_TRUE(Between(shoot(scan::LeftShift, position), 0, 127.99)) << position;
    // Right Shift: side 2 starts at 115 and turns through up to 50.
    const float second = shoot(scan::RightShift, 0);
    EXPECT_TRUE(second >= 113 && second <= 116) << second;

    // The cues of the sweep: the saloon door, the forge, a box, a horse, a bumper.
    for (const char* cue : {"wildwest/ScanDoor.wav", "sounds/ScanBeep.wav"}) EXPECT_GT(Count(cue), 0) << cue;
}

// ------------------------------------------------------------ the duels ---

TEST_F(WildWestRules, AFistFightIsWonBlockingOnTheSwingsSideAndPunchingFromTheOther) {
    Town.Multiplier = 2;
    Fighter([](int, bool) { return Move::BlockAndPunch; });
    EXPECT_EQ((Seq{Gain(FistFight), double(FistDifficulty)}), Values(100000, 100));  // from difficulty 0
    for (const char* each : {"wildwest/FistSwng.wav", "wildwest/block.wav", "wildwest/Punch.wav"})
        EXPECT_EQ(Count(each), 6) << each;

    // A later win pays for the difficulty, multiplied; it grows by 100 to
    // 600, then by 20, and stops at 800.
    FistDifficulty = 500;
    EXPECT_EQ((Seq{Gain(FistFight), double(FistDifficulty)}), Values(100000 + 500 * 1000 * 2, 600));
    for (auto [before, after] : {std::pair{600, 620}, {790, 800}, {800, 800}}) {
        FistDifficulty = before;
        FistFight();
        EXPECT_EQ(FistDifficulty, after) << before;
    }
    EXPECT_EQ(Game.BallsLeft, 2);
}

TEST_F(WildWestRules, AWrongShiftOrNoKeyLosesTheFightAndTheGameGoesOnWithWhatItHad) {
    LaunchEveryBall();
    Town.Ammunition = 6;
    Town.HorsesCaught = 2;
    Town.HorseCaught[4] = true;
    Town.Multiplier = 2;
    // The wrong Shift 60 ms into the first block: lost at once, long before the second is up.
    Fighter([](int, bool) { return Move::WrongKey; });
    FistFight();  // the game goes on: no new ball entry
    std::vector<uint64_t> swing = StartTimes("wildwest/FistSwng.wav"), broken = StartTimes("wildwest/BrokToof.wav");
    ASSERT_EQ(swing.size(), 1u);
    ASSERT_EQ(broken.size(), 1u);
    EXPECT_LT(broken[0] - swing[0], 200u);
    EXPECT_EQ(Values(Game.BallsLeft, Town.Ammunition, Town.HorsesCaught, Town.HorseCaught[4], Town.Multiplier,
                     Count("sounds/LReady.wav"), Ball.X, Ball.Y),
              Values(1, 6, 2, true, 2, 1, 25, 44));

    // At difficulty 800 each block and punch has 200 ms: a block 150 ms
    // after the swing holds, one 250 ms after comes too late.
    FistDifficulty = 800;
    platform.ClearSoundLog();
    Fighter([](int round, bool) { return round < 3 ? Move::BlockAndPunch : Move::Nothing; }, 150);
    FistFight();
    EXPECT_EQ(Values(Count("wildwest/Punch.wav"), Game.BallsLeft), Values(3, 0));
    swing = StartTimes("wildwest/FistSwng.wav");
    broken = StartTimes("wildwest/BrokToof.wav");
    EXPECT_TRUE(Between(double(broken[0] - swing.back()), 185, 239));  // 200 ms on the quantised tick
    platform.ClearSoundLog();
    Fighter([](int, bool) { return Move::BlockAndPunch; }, 250);
    EXPECT_TRUE(EndsTheGame(FistFight));  // no spare ball left
    EXPECT_EQ(Count("wildwest/block.wav"), 0);
}

TEST_F(WildWestRules, AShiftStillHeldWhenTheNextSwingComesCountsAtOnceRightOrWrong) {
    // Right Shift stays down the whole fight; the player punches with Left
    // Shift after each block. A swing from the right is blocked the moment
    // it sounds; one from the left loses the fight the moment it sounds.
    LaunchEveryBall();
    platform.SetKeyDown(scan::RightShift, true);
    OnEachSound(platform, [this](const SoundEvent& e) {
        if (e.op == "play" && e.label == "wildwest/block.wav")
            platform.TapAt(e.ms + SoundMs("wildwest/block.wav") + 50, scan::LeftShift, 30);
    });
    for (int fight = 0; fight < 4; ++fight) {
        const size_t from = Mark();
        Game.BallsLeft = 2;
        // Pressed anew: the relaunch after a lost fight spends a key held through it.
        platform.SetKeyDown(scan::RightShift, false);
        PollKeyboard();
        platform.SetKeyDown(scan::RightShift, true);
        FistFight();
        uint64_t swingAt = 0;
        bool fromRight = false;
        int rounds = 0, punches = 0, losses = 0;
        const std::vector<SoundEvent>& log = platform.SoundLog();
        for (size_t i = from; i < log.size(); ++i) {
            const SoundEvent& e = log[i];
            if (e.op == "play") punches += e.label == "wildwest/Punch.wav", losses += e.label == "wildwest/BrokToof.wav";
            if (e.label == "wildwest/FistSwng.wav" && e.op == "pan") fromRight = e.value > 0;
            if (e.label == "wildwest/FistSwng.wav" && e.op == "play") swingAt = e.ms, ++rounds;
            if (e.op == "play" && (e.label == "wildwest/block.wav" || e.label == "wildwest/BrokToof.wav")) {
                EXPECT_EQ(fromRight, e.label == "wildwest/block.wav") << e.label;
                EXPECT_LE(e.ms - swingAt, 2u);  // on the first pass after the swing
            }
        }
        EXPECT_EQ(punches + losses, rounds);
    }
}

TEST_F(WildWestRules, AShiftThatEndsAPauseInADuelIsSpentAndALostFightRelaunchesAtTheBaseSpeed) {
    // The fist fight, paused as the first swing sounds and resumed with that
    // swing's own Shift, held: no block comes of it, the round runs out.
    LaunchEveryBall();
    OnEachSound(platform, [this, done = false](const SoundEvent& e) mutable {
        if (done || e.label != "wildwest/FistSwng.wav" || e.op != "pan") return;
        platform.TapAt(e.ms + 10, scan::P, 30);
        platform.PressAt(e.ms + 600, e.value > 0 ? scan::RightShift : scan::LeftShift);
        done = true;
    });
    Ball.Speed = 1.2f;
    FistFight();
    EXPECT_TRUE(Started({{"sounds/Resumed.wav", 1}, {"wildwest/block.wav", 0}, {"wildwest/BrokToof.wav", 1}}));
    EXPECT_EQ(Ball.Speed, SpeedFactor);
    platform.OnYield(nullptr);
    for (uint8_t shift : {scan::LeftShift, scan::RightShift}) platform.SetKeyDown(shift, false);

    // The gunfight with no ammunition, resumed with Right Shift held: no dry click.
    Town.Ammunition = 0;
    Town.OutlawPosition = 30;
    platform.TapWhenSoundStarts("sounds/ScanBeep.wav", scan::P, 5, 30);
    platform.TapWhenSoundStarts("sounds/Paused.wav", scan::RightShift, 400, 3000);
    EXPECT_TRUE(Restarts(Gunfight));
    EXPECT_TRUE(Started({{"sounds/Resumed.wav", 2}, {"wildwest/dryfire.wav", 0}, {"wildwest/PShot.wav", 1}}));
}

TEST_F(WildWestRules, EscapeWithATiltInTheDrainAimEndsTheGameThereWithNothingScoredAndTiltsNothing) {
    GameMode = 0;
    LaunchEveryBall();
    Game.Score = 5000;
    Put(25, 47, heading::Down, 1.0f);  // the flipper zone
    Wait(100);
    for (uint8_t key : {scan::Escape, scan::Return}) platform.PressAt(platform.NowMs() + 300, key);
    EXPECT_TRUE(EndsTheGame([] {
        while (PlayPass()) {
            PollKeyboard();
            YieldToSystem();
        }
        EndGame();
    }));
    // It was the aim that Escape left.
    EXPECT_TRUE(Started({{"sounds/ScanWait.wav", 1}, {"sounds/tilt.wav", 0}}));
    EXPECT_EQ(Game.Score, 0);
}

class WildWestGunfight : public WildWestRules {
protected:
    // Runs a gunfight against an outlaw at `outlaw`; presses are scheduled
    // by the test. True when it was won.
    bool Duel(int outlaw) {
        Town.OutlawPosition = uint8_t(outlaw);
        LaunchEveryBall();
        return !Restarts(Gunfight);
    }
    // Taps right Shift each of `delays` ms after the outlaw first draws
    // (at position outlaw - 2).
    void ShootAfterTheDraw(std::vector<uint64_t> delays) {
        OnEachSound(platform, [this, delays, done = false](const SoundEvent& e) mutable {
            if (done || e.op != "play" || e.label != "wildwest/ShDraw.wav") return;
            for (uint64_t ms : delays) platform.TapAt(e.ms + ms, scan::RightShift, 30);
            done = true;
        });
    }
};

TEST_F(WildWestGunfight, AShotAtTheOutlawsTwoPositionsWinsAndSpeedsTheNextFight) {
    Town.Ammunition = 4;
    Town.Multiplier = 2;
    ShootAfterTheDraw({160});  // one position on: outlaw - 1
    EXPECT_EQ(Gain([&] { EXPECT_TRUE(Duel(30)); }), 400000);
    EXPECT_EQ(Values(Town.Ammunition, Game.TableLevel, Ball.X, Ball.Y), Values(2, 1, 25, 44));
    EXPECT_TRUE(Playing({"sounds/ball.wav"}));
    // The gun sweeps 24..36, panned by position.
    EXPECT_EQ(Ops("sounds/ScanBeep.wav").front(), "pan:-800");

    // Level 8: each position lasts 60 ms (four ticks); level 0: 100 (seven).
    auto intervals = [&](uint8_t level) {
        Game.TableLevel = level;
        Town.Ammunition = 2;
        platform.ClearSoundLog();
        ShootAfterTheDraw({level ? 90u : 160u});
        EXPECT_TRUE(Duel(33));
        std::vector<uint64_t> t = StartTimes("sounds/ScanBeep.wav");
        return double(t.back() - t.front()) / double(t.size() - 1);  // on average, over the quantised tick
    };
    EXPECT_NEAR(intervals(8), 62.5, 2);
    EXPECT_NEAR(intervals(0), 109.4, 2);
}

TEST_F(WildWestGunfight, AHeldShiftFiresOnceAndAShotBesideTheWindowMisses) {
    // Held from position 24 to 28: one shot (a miss); released, a press at
    // outlaw - 1 hits. The outlaw at 33 would only draw at 35.
    Town.Ammunition = 12;
    platform.PressAt(platform.NowMs() + 20, scan::RightShift);
    platform.ReleaseAt(platform.NowMs() + 500, scan::RightShift);
    ShootAfterTheDraw({160});
    EXPECT_TRUE(Duel(33));
    EXPECT_EQ(Values(Count("wildwest/PFire.wav"), Town.Ammunition), Values(2, 8));

    // Shots at outlaw - 2 and outlaw + 1 miss, each costing two rounds.
    Town.Ammunition = 12;
    platform.ClearSoundLog();
    ShootAfterTheDraw({30, 30 + 3 * 109});
    EXPECT_FALSE(Duel(30));
    EXPECT_EQ(Values(Count("wildwest/PFire.wav"), Count("wildwest/ShHit.wav"), Town.Ammunition), Values(2, 0, 8));
}

TEST_F(WildWestGunfight, WithNoAmmunitionTheOutlawAlwaysShootsFirst) {
    for (int outlaw = 27; outlaw <= 33; ++outlaw) {
        Town.Ammunition = 0;
        platform.ClearSoundLog();
        ShootAfterTheDraw({160});  // a dry click, in the window
        Game.BallsLeft = 2;
        EXPECT_FALSE(Duel(outlaw));
        EXPECT_TRUE(Started({{"wildwest/dryfire.wav", 1}, {"wildwest/PShot.wav", 1},
                             {"sounds/ScanBeep.wav", outlaw + 2 - 24}}));  // lost at outlaw + 2
    }
}

TEST_F(WildWestRules, TheGunfightSpotIsLiveOnlyOnceTheThievesAreAlertedAndTheJailTakesTheBall) {
    StepAt(31, 22, heading::Up);
    EXPECT_EQ(Count("wildwest/gunfight.wav") + Count("wildwest/hung.wav"), 0);
    int fights = 0, hangings = 0;
    LaunchEveryBall(40);
    for (int i = 0; i < 24; ++i) {
        Town.ThievesAlerted = true;
        Town.HorsesCaught = 3;
        Town.Ammunition = 2;
        Game.BallsLeft = 2;
        Put(31, 22, heading::Up);
        platform.TapWhenSoundStarts("wildwest/ShDraw.wav", scan::RightShift, 160, 30);
        if (Restarts(HandleCell)) {
            (Count("wildwest/hung.wav") > hangings ? hangings : fights)++;
            continue;
        }
        ++fights;
        EXPECT_EQ(Values(Town.ThievesAlerted, Town.HorsesCaught), Values(false, 0));
    }
    EXPECT_GT(hangings, 0);
    EXPECT_GT(fights, hangings);

    // The jail, in the forge's corner, takes the ball.
    Game.BallsLeft = 2;
    Put(47, 4, heading::Right);
    EXPECT_TRUE(Restarts(HandleCell));
    EXPECT_EQ(Values(Count("wildwest/jail.wav"), Game.BallsLeft), Values(1, 1));
}

}  // namespace
}  // namespace tamblor::test
