// The Safari table on its real savanna: walls and one-way walls, the gate,
// the drain in both game modes, the terrain, snakes, the cougar and the
// swim, the SAFARI letters and the hunt, extra balls and status, as the
// player hears them.
#include "table_checks.h"
#include "tables/safari/safari.h"

namespace tamblor::test {
namespace {

using namespace safari;

class SafariRules : public RulesOf<kSafariCase, 0> {
protected:
    void SetUp() override {
        RulesOf::SetUp();
        // The cougar prowls where a rule under test may put the ball.
        Set(Safari.CougarX, Safari.CougarY, code::Floor);
    }
    static void Set(int x, int y, uint8_t code, uint8_t number = 0) {
        TableMap.Cells[x][y].Code = code;
        TableMap.Cells[x][y].Number = number;
    }
    // Lights the letters before the last, as spelling does, without their
    // words; `running`: and the hunt they open under way.
    void OpenHunt(bool running = false) {
        for (int n = 1; n <= 5; ++n) {
            Safari.LetterTaken[n] = true;
            Safari.SpellingProgress = uint8_t(n);
        }
        Safari.HuntActive = running;
    }
};

TEST_F(SafariRules, WallsOneWayWallsAndBumpersAsTheBallMeetsThem) {
    // An open spot in the lower field, walls set round it one at a time.
    const int x = 25, y = 38;
    auto hit = [&](int wx, int wy, uint8_t code, uint8_t number, float direction) {
        Set(wx, wy, code, number);
        StepAt(float(x), float(y), direction, 2.0f);
        Set(wx, wy, code::Floor);
        return Ball.Direction;
    };
    auto leaves = [&](int wx, int wy, uint8_t code, uint8_t number, float direction, float lowest, float highest) {
        hit(wx, wy, code, number, direction);
        return HeadingWithin(lowest, highest);
    };
    // A one-way wall stops the ball from above and from the right...
    EXPECT_TRUE(leaves(x, y + 1, code::Wall, 1, heading::Down, 6, 26));
    EXPECT_NEAR(Ball.Speed, 1.9f, 1e-5);
    EXPECT_TRUE(leaves(x - 1, y, code::Wall, 1, heading::Left, 38, 58));
    // ...but lets it through going up or right.
    EXPECT_EQ(hit(x, y - 1, code::Wall, 1, heading::Up), heading::Up);
    EXPECT_EQ(hit(x + 1, y, code::Wall, 1, heading::Right), heading::Right);
    // A plain wall stops it every way.
    EXPECT_TRUE(leaves(x, y - 1, code::Wall, 0, heading::Up, 70, 90));
    EXPECT_TRUE(leaves(x + 1, y, code::Wall, 0, heading::Right, 102, 122));
    EXPECT_EQ(Count("sounds/WallHit.wav"), 4);

    // A bumper scores and restores the speed; one with a second byte is
    // open from below.
    platform.ClearSoundLog();
    hit(x, y + 1, code::Bumper, 0, 70);
    EXPECT_EQ(Values(Game.Score, Ball.Speed), Values(10000, SpeedFactor));
    EXPECT_EQ(Ops("sounds/bumper1.wav"), (std::vector<std::string>{"stop:0", "pan:-400", "play:0"}));
    EXPECT_EQ(hit(x, y - 1, code::Bumper, 1, heading::Up), heading::Up);

    // The third bounce in a row at the same heading is nudged by 10, either
    // way: back to 60 (leaving at 36), or on to 80, straight down, which the
    // floor sends back up anywhere from 6 to 26.
    std::set<float> third;
    for (int round = 0; round < 64; ++round) {
        ClearBounceHistory();
        for (int first = 0; first < 2; ++first) EXPECT_EQ(hit(x, y + 1, code::Wall, 0, 70), 26);
        third.insert(hit(x, y + 1, code::Wall, 0, 70));
    }
    ASSERT_GT(third.size(), 2u);
    EXPECT_TRUE(third.count(36));
    EXPECT_GE(*third.begin(), 6);
    EXPECT_LE(*std::prev(third.end(), 2), 26);
}

TEST_F(SafariRules, ABallOnAClosedPathThroughTheRightBumpersLeavesIt) {
    // Twelve bounces between the bumpers at the right of the field and the
    // side walls close on themselves, with two repeat nudges at the
    // bumper at (38, 20) inside the path: a fixed nudge met the same way
    // each time round kept a ball there for good, bumpers and nothing else.
    struct Hit {
        int x, y;
        float in, out;
    };
    const Hit path[] = {{38, 20, 44, 98},  {34, 23, 98, 126}, {30, 19, 126, 98}, {5, 40, 98, 34},
                        {30, 19, 34, 62},  {34, 23, 62, 34},  {38, 20, 34, 108}, {18, 24, 108, 52},
                        {47, 30, 52, 108}, {4, 39, 108, 44},  {47, 30, 44, 116}, {18, 24, 116, 44}};
    // Where the path starts, just before the bumper, with the headings of
    // the last round in the bounce history.
    Put(27.1406898f, 22.4753151f, 44);
    const uint8_t history[kBounceHistorySize] = {0,   126, 98, 126, 34, 62, 34, 62, 108,
                                                 52,  108, 116, 44, 116, 44, 62, 98};
    std::copy(std::begin(history), std::end(history), Game.BounceHistory);
    Game.BounceIndex = 14;

    // A bounce that is not the path's own has left it. The loop stops
    // there: off the path lie water, sand and the drain, which wait for keys.
    int onPath = 0;
    bool left = false;
    for (int step = 0; step < 20000 && !left && onPath < 12 * 50; ++step) {
        const float in = Ball.Direction;
        MoveBall();
        const int x = MapIndex(Ball.X), y = MapIndex(Ball.Y);
        HandleCell();
        if (Ball.Direction == in) continue;
        left = std::none_of(std::begin(path), std::end(path), [&](const Hit& h) {
            return h.x == x && h.y == y && h.in == in && h.out == Ball.Direction;
        });
        onPath += !left;
    }
    EXPECT_TRUE(left) << onPath << " bounces, all on the path";
    EXPECT_GT(Count("sounds/bumper1.wav"), 0);
}

TEST_F(SafariRules, TheEntryGateThrowsTheBallInAnyWayRound) {
    // The gate throws the ball in at the top, any way round; a draw of a
    // whole turn leaves as heading 0, which the walls know how to mirror.
    std::set<float> headings;
    for (int i = 0; i < 400; ++i) {
        Put(3, 35, heading::Right);
        Set(3, 35, code::EntryGate);
        HandleCell();
        EXPECT_TRUE(BallAt(25, 6));
        headings.insert(Ball.Direction);
    }
    EXPECT_EQ(*headings.begin(), 0);
    EXPECT_TRUE(Between(*headings.rbegin(), 120, 127.99));
    EXPECT_EQ(Count("Safari/Enter.wav"), 400);
}

TEST_F(SafariRules, AccessibleDrainScanChoosesASideAndShootsAlongItsProbe) {
    // Right Shift chooses the side sweeping left to right; the sweep starts
    // as it is let go. Position 11 probes straight up-left (heading 0) and
    // the shot's correction of -2 comes round to 126.
    auto shootAt = [&](uint8_t side, int position) { return ShootFromTheDrain(side, position, 47); };
    EXPECT_EQ(shootAt(scan::RightShift, 11), 126);
    EXPECT_TRUE(BallAt(25, 46));
    EXPECT_TRUE(platform.IsLabelPlaying("sounds/ball.wav"));
    EXPECT_EQ(shootAt(scan::RightShift, 0), 115);  // probe 117, from the left
    EXPECT_EQ(shootAt(scan::LeftShift, 0), 45);    // probe 43, from the right
    EXPECT_EQ(shootAt(scan::LeftShift, 43), 2);    // probe 0
    EXPECT_EQ(shootAt(scan::LeftShift, 44), 1);    // probe 127 comes round to 1

    // A whole sweep from each side hears the letters, the bumpers, the sand
    // and open floor.
    std::set<std::string> heard;
    for (uint8_t side : {scan::LeftShift, scan::RightShift}) {
        size_t from = Mark();
        shootAt(side, 59);
        for (const std::string& l : StartedSince(from)) heard.insert(l);
    }
    for (const char* cue : {"Safari/ScanS.wav", "Safari/ScanA.wav", "Safari/ScanF.wav", "Safari/ScanR.wav",
                            "Safari/ScanI.wav", "Safari/ScanSand.wav", "sounds/ScanTrig.wav", "sounds/ScanBeep.wav"})
        EXPECT_TRUE(heard.count(cue)) << cue;
}

TEST_F(SafariRules, TheCougarCountsOnlyAlternatingStepsAndTooFewStepsOrStrokesNeverGetAway) {
    LaunchEveryBall(40);
    // Right first, then Left twice, then Right: two steps.
    size_t from = Mark();
    for (int i = 0; i < 4; ++i)
        platform.TapAt(platform.NowMs() + 2600 + 200 * uint64_t(i), i % 3 ? scan::LeftShift : scan::RightShift, 50);
    EXPECT_TRUE(Restarts(CougarChase));  // two steps: eaten
    EXPECT_TRUE(Started({{"Safari/FootLeft.wav", 1}, {"Safari/FootRite.wav", 1}, {"Safari/CougarEt.wav", 1}}, from));

    // The chase and the swim: too few presses never get away, many mostly
    // do and pay; each press sounds as it counts.
    const struct {
        void (*run)();
        uint8_t key;  // 0: alternate Shifts, starting with the left one
        uint64_t fromMs;
        int tooFew, leftSounds, rightSounds;
        const char *left, *right, *lost;
        double pays;
    } rows[] = {{CougarChase, 0, 2600, 25, 13, 12, "Safari/FootLeft.wav", "Safari/FootRite.wav", "Safari/CougarEt.wav",
                 100000},
                {DeepWater, scan::Space, 2400, 22, 22, 22, "Safari/SwimLeft.wav", "Safari/SwimRite.wav",
                 "Safari/Drowning.wav", 80000}};
    for (const auto& row : rows) {
        auto press = [&](int presses, uint64_t everyMs) {
            for (int i = 0; i < presses; ++i)
                platform.TapAt(platform.NowMs() + row.fromMs + uint64_t(i) * everyMs,
                               row.key ? row.key : i % 2 ? scan::RightShift : scan::LeftShift, 50);
        };
        for (int seed = 1; seed <= 8; ++seed) {
            platform.Seed(uint64_t(seed));
            Game.BallsLeft = 2;
            const size_t from = Mark();
            press(row.tooFew, row.key ? 250 : 120);
            EXPECT_TRUE(Restarts(row.run)) << seed;
            EXPECT_TRUE(Started({{row.left, row.leftSounds}, {row.right, row.rightSounds}, {row.lost, 1}}, from));
        }
        int away = 0;
        for (int seed = 1; seed <= 6; ++seed) {
            platform.Seed(uint64_t(seed));
            Game.BallsLeft = 2;
            const int oldX = Safari.CougarX, oldY = Safari.CougarY;
            const double before = Game.Score;
            press(60, row.key ? 90 : 120);
            if (Restarts(row.run)) continue;
            ++away;
            EXPECT_EQ(Game.Score - before, row.pays);
            if (row.key) {  // the ball rolls on, heard, from the bank
                EXPECT_TRUE(BallAt(25, 45));
                EXPECT_TRUE(Ball.Direction >= 0 && Ball.Direction <= 32);
                EXPECT_TRUE(platform.IsLabelPlaying("sounds/ball.wav"));
            } else {  // the cougar moves well away
                EXPECT_EQ(TableMap.Cells[oldX][oldY].Code, code::Floor);
                EXPECT_EQ(TableMap.Cells[Safari.CougarX][Safari.CougarY].Code, code::Cougar);
                EXPECT_TRUE(std::abs(Safari.CougarX - oldX) >= 10 || std::abs(Safari.CougarY - oldY) >= 5);
            }
        }
        EXPECT_GT(away, 0);
    }
}

TEST_F(SafariRules, TerrainTakesTheBallAndSnakesKillOrBite) {
    LaunchEveryBall(20);
    // Quicksand and acid cost a ball each.
    EXPECT_TRUE(Restarts([&] { StepAt(47, 12, heading::Right); }));
    EXPECT_EQ(Game.BallsLeft, 1);
    EXPECT_TRUE(Restarts([&] { StepAt(2, 13, heading::Left); }));
    EXPECT_EQ(Game.BallsLeft, 0);
    EXPECT_TRUE(Started({{"Safari/quiksand.wav", 1}, {"Safari/AcidDeath.wav", 1}}));

    // With 100000 points or less a snake kills, but costs no ball.
    Game.Score = 100000;
    EXPECT_TRUE(Restarts([&] { StepAt(4, 25, heading::Up); }));
    EXPECT_EQ(Values(Game.BallsLeft, Count("Safari/SnakeDth.wav")), Values(0, 1));

    // Above it, only the hiss bites, for exactly 100000.
    Game.Score = 150000;
    int bites = 0;
    for (int i = 0; i < 40 && Game.Score > 100000; ++i) {
        size_t from = Mark();
        Snakes();
        const bool hiss = StartedSince(from).front() == "Safari/Hiss.wav";
        bites += hiss;
        EXPECT_EQ(Game.Score, hiss ? 50000 : 150000);
    }
    EXPECT_EQ(Values(bites, Count("Safari/SnakBite.wav")), Values(1, 1));
}

TEST_F(SafariRules, LettersCountOnlyInOrderAndTheLastOpensTheHunt) {
    // As a hunt cut short by a lost ball leaves them: the ball entry clears them.
    std::fill(std::begin(Safari.AnimalAnnounced), std::end(Safari.AnimalAnnounced), true);
    StartOfPlay();
    LaunchEveryBall();
    Letter(3);  // F before S
    Letter(7);
    Letter(1);
    Letter(1);  // lit already
    EXPECT_EQ(Values(Game.Score, Count("Safari/v_S.wav")), Values(50000, 1));
    for (int n = 2; n <= 5; ++n) Letter(n);
    EXPECT_EQ(Game.Score, 250000);

    // The I: the hunt opens, the rifle sweeps once round without a shot,
    // each animal calls once, and the hunt ends with nothing bagged.
    size_t from = Mark();
    EXPECT_TRUE(Restarts([] { Letter(6); }));
    EXPECT_EQ(Game.Score, 300000);
    EXPECT_TRUE(HeardInARow({"Safari/v_I.wav", "sounds/SpellSw.wav", "Safari/v_Safari.wav"}, from));
    for (const char* call : {"Safari/ScanCat.wav", "Safari/ScanHawk.wav", "Safari/ScanHipo.wav",
                             "Safari/scanelep.wav", "Safari/ScanBoar.wav", "safari/v_NoAn.wav"})
        EXPECT_EQ(CountSince(from, call), 1) << call;
    // The animals are gone.
    EXPECT_EQ(Values(Safari.HuntActive, Game.TableLevel, TableMap.Cells[8][30].Code), Values(false, 1, code::Floor));
}

TEST_F(SafariRules, HuntShotsBagsDryFireAndTheReport) {
    LaunchEveryBall();
    OpenHunt();
    // An early shot: the ball flies from the rifle along the sweep.
    platform.TapWhenSoundStarts("Safari/HuntAmb.wav", scan::LeftShift, 500, 40);
    Letter(6);
    EXPECT_EQ(Values(Safari.HuntActive, Safari.Rounds, Ball.X, Ball.Y, Count("Safari/Shoot.wav")),
              Values(true, 7, 25, 46, 1));
    EXPECT_TRUE(Playing({"sounds/ball.wav"}));
    Wait(100);

    // A bag from the animal's left neighbour: the rifle takes the ball
    // straight back.
    Safari.Rounds = 0;
    Put(6, 30, heading::Up);
    size_t from = Mark();
    platform.SetKeyDown(scan::RightShift, true);  // held with an empty rifle
    EXPECT_TRUE(Restarts(HandleCell));
    platform.SetKeyDown(scan::RightShift, false);
    EXPECT_TRUE(HeardInARow({"Safari/bodydrop.wav"}, from));
    EXPECT_GT(CountSince(from, "Safari/DryFire.wav"), 100);  // every poll
    EXPECT_EQ(CountSince(from, "Safari/Shoot.wav"), 0);
    EXPECT_TRUE(HeardInARow({"safari/v_Bagged.wav", "safari/V1.wav", "safari/v_Animal.wav"}));

    // A shot at step 46 or later ends the hunt at once.
    Game.Score = 0;
    Safari.AnimalsBagged = 0;
    OpenHunt(true);
    Safari.Rounds = 3;
    Safari.SweepStep = 46;
    Safari.SweepAngle = 47;
    Put(20, 29, heading::Up);
    from = Mark();
    platform.TapAt(platform.NowMs() + 20, scan::LeftShift, 40);
    EXPECT_TRUE(Restarts(HandleCell));
    EXPECT_TRUE(Started({{"Safari/Shoot.wav", 1}, {"safari/v_NoAn.wav", 1}}, from));

    // The fifth animal, right of column 35, puts the ball back at the entry
    // and leaves the hunt as it was; all five pay the bonus.
    Safari.HuntActive = true;
    Safari.AnimalsBagged = 4;
    for (int x = 39; x <= 41; ++x) Set(x, 30, code::Animal, 5);
    StepAt(38, 30, heading::Up);  // hit from its left, it is gone whole
    EXPECT_EQ(Values(TableMap.Cells[41][30].Code, Ball.X, Ball.Y, Safari.HuntActive),
              Values(code::Floor, 25, 45, true));
    StepAt(41, 30, heading::Up);  // where its last cell was: nothing more to bag
    EXPECT_EQ(Game.Score, 60000);
    Safari.SweepStep = 49;  // the sweep has run out
    from = Mark();
    EXPECT_TRUE(Restarts(HuntSweep));
    EXPECT_TRUE(HeardInARow(
        {"safari/v_Bagged.wav", "safari/V5.wav", "safari/v_Animls.wav", "safari/JolyRnch.wav"}, from));
    EXPECT_EQ(Game.Score, 310000);

    // Just above the row, on an animal, in a hunt: the bag is heard first,
    // before the rifle takes the ball back.
    Safari.AnimalsBagged = 0;
    OpenHunt(true);
    Safari.Rounds = 0;
    for (int x = 15; x <= 17; ++x) Set(x, 30, code::Animal, 2);
    from = Mark();
    EXPECT_TRUE(Restarts([this] { StepAt(16, 29.6f, heading::Up); }));
    EXPECT_TRUE(HeardInARow({"Safari/bodydrop.wav"}, from));
    EXPECT_TRUE(HeardInARow({"safari/v_Bagged.wav", "safari/V1.wav", "safari/v_Animal.wav"}));
}

}  // namespace
}  // namespace tamblor::test
