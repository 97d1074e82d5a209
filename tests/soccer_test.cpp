// The Soccer Star table on its real field: walls, bumpers and midfield
// targets, both goals, the keeper's block, the aimed shots, spelling,
// double score, defenders, offside, cards, the timed features and the end
// of the match, as the player hears them.
#include "table_checks.h"
#include "tables/soccer/soccer.h"

namespace tamblor::test {
namespace {

using namespace soccer;

class SoccerRules : public RulesOf<kSoccerCase, 0> {
protected:
    MapCell& Cell(int x, int y) { return TableMap.Cells[x][y]; }
    // The next kick-off or striker aim: right Shift chooses the clockwise
    // sweep, and a second press shoots at its first position (heading 113).
    void ShootAtOnce() {
        platform.TapWhenSoundStarts("sounds/ScanWait.wav", scan::RightShift, 10, 30);
        platform.TapWhenSoundStarts("sounds/ScanBeep.wav", scan::RightShift, 10, 30);
    }
};

TEST_F(SoccerRules, BumpersWallsAndMidfieldTargetsAsTheBallMeetsThem) {
    // A bumper notes the field half it is in.
    Soccer.UpperHalf = false;
    StepAt(10, 13, heading::Down);
    EXPECT_TRUE(Soccer.UpperHalf);

    // A bumper above the ball stops it only when its second byte is 0;
    // beside the ball it always does.
    Cell(30, 30) = MapCell{code::Bumper, 1};
    StepAt(30, 31, heading::Up);
    EXPECT_EQ(Ball.Direction, heading::Up);
    Cell(31, 31) = Cell(30, 30);
    StepAt(30, 31, heading::Right);
    EXPECT_GT(Ball.Direction, heading::Down);

    // A wall slows the ball by 0.2, records the heading it came in on once,
    // and pays 1000 only when the last recorded half was the home half.
    Soccer.UpperHalf = false;
    const uint8_t index = Game.BounceIndex;
    Cell(30, 47) = MapCell{1};
    EXPECT_EQ(Gain([&] { StepAt(30, 46, heading::Down, 2.0f); }), 1000);
    EXPECT_NEAR(Ball.Speed, 1.8f, 1e-5);
    EXPECT_EQ(Game.BounceIndex, index + 1);
    Soccer.UpperHalf = true;
    EXPECT_EQ(Gain([&] { StepAt(30, 46, heading::Down, 2.0f); }), 0);

    // Midfield targets: passed through while closed, 10000 + 50000 while open.
    EXPECT_EQ(Gain([&] { StepAt(25, 20, heading::Down); }), 0);
    EXPECT_EQ(Ball.Direction, heading::Down);
    Soccer.MidfieldOpen = true;
    EXPECT_EQ(Gain(HandleCell), 60000);
    EXPECT_NE(Ball.Direction, heading::Down);
}

TEST_F(SoccerRules, ShotsAtTheVisitorsNetScoreByItsDifficulty) {
    // round(draw x b) must be exactly 1: at b = 1 the draw 0.5 rounds to 0.
    for (auto [difficulty, draw, scores] : {std::tuple{1, 0.5f, false}, {1, 0.5001f, true}, {1, 0.4999f, false},
                                            {2, 0.125f, false}, {2, 0.74f, true}, {4, 0.375f, false},
                                            {4, 0.13f, true}, {0, 0.99f, false}})
        EXPECT_EQ(ShotScores(uint8_t(difficulty), draw), scores) << difficulty << " " << draw;

    // The ball under the net: a shot; either way the visitors kick off,
    // their defenders stand again and the midfield closes.
    int scored = 0, missed = 0;
    for (int shot = 0; shot < 40; ++shot) {
        Soccer.DefenderDown[3] = true;
        Soccer.MidfieldOpen = true;
        const double gained = Gain([&] { StepAt(25, 3, heading::Up); });
        EXPECT_TRUE(gained == 0 || gained == 250000) << gained;
        (gained > 0 ? scored : missed)++;
        EXPECT_EQ(Values(Ball.X, Ball.Y, Soccer.DefenderDown[3], Soccer.MidfieldOpen), Values(25, 4, false, false));
        EXPECT_TRUE(HeadingWithin(76, 84));
        Wait(20);
    }
    EXPECT_GT(scored, 5);
    EXPECT_GT(missed, 5);
    EXPECT_EQ(Soccer.HomeGoals, scored);
    EXPECT_TRUE(Started({{"soccer/GVisitor.wav", scored}, {"soccer/v_OTKO.wav", 40}}));
    EXPECT_EQ(Ops("soccer/Kick03.wav")[0], "pan:0");
}

TEST_F(SoccerRules, GoalsAgainstCostABallAndTheFifthOrOneWithNoBallLeftEndsTheMatch) {
    // A goal against: the voice, a ball taken, and the kick-off aim.
    ShootAtOnce();
    StepAt(25, 48, heading::Down);
    EXPECT_EQ(Values(Soccer.VisitorGoals, Game.BallsLeft, Ball.Direction), Values(1, 4, 113));
    EXPECT_TRUE(Playing({"sounds/ball.wav"}));
    EXPECT_TRUE(Started({{"soccer/goalhome.wav", 1}, {"soccer/v_KckOff.wav", 1}}));

    // With the save armed the ball is saved: no goal, no ball, SAVE unlit.
    Soccer.SaveArmed = true;
    std::fill(std::begin(Soccer.SaveMark), std::end(Soccer.SaveMark), true);
    ShootAtOnce();
    StepAt(25, 48, heading::Down);
    EXPECT_EQ(Values(Soccer.VisitorGoals, Game.BallsLeft, Soccer.SaveArmed, Soccer.SaveMark[1]), Values(1, 4, 0, 0));
    EXPECT_EQ(Count("soccer/Saved.wav"), 1);

    // The fifth goal against ends the match with balls still left; so does
    // any with no ball left, which takes none (no wrap to 255).
    for (auto [goals, balls, ballsAfter] : {std::tuple{4, 3, 2}, {2, 0, 0}}) {
        Soccer.VisitorGoals = uint8_t(goals);
        Game.BallsLeft = uint8_t(balls);
        platform.ClearSoundLog();
        EXPECT_TRUE(EndsTheGame([&] { StepAt(25, 48, heading::Down); }));
        EXPECT_EQ(Values(Soccer.VisitorGoals, Game.BallsLeft), Values(goals + 1, ballsAfter));
        EXPECT_TRUE(HeardInARow({"soccer/goalhome.wav", "soccer/gohorn.wav"}));
    }
}

TEST_F(SoccerRules, TheBlockLastsASecondOncePerPressAndSavesAtTheKeepersSpot) {
    CommandKeysReleased = true;
    platform.SetKeyDown(scan::Space, true);
    PollKeyboard();
    InPlayKeys();
    EXPECT_TRUE(Soccer.Block.Running());
    // Held on: still one block, and it ends on the first pass past 1000 ms.
    const uint32_t from = GetTick();
    while (GetTick() - from <= 1000) {
        PollKeyboard();
        YieldToSystem();
        InPlayKeys();
        Timers();
        if (GetTick() - from <= 1000) {
            EXPECT_TRUE(Soccer.Block.Running());
        }
    }
    Timers();
    EXPECT_FALSE(Soccer.Block.Running());
    EXPECT_EQ(Ops("soccer/BlokGoal.wav"), (std::vector<std::string>{"play:0"}));
    // Released and pressed again: a new block.
    platform.SetKeyDown(scan::Space, false);
    PollKeyboard();
    InPlayKeys();
    EXPECT_FALSE(KeysWith(scan::Space));
    EXPECT_TRUE(Soccer.Block.Running());

    // At the keeper's spot the block saves and the kick-off follows.
    ShootAtOnce();
    StepAt(25, 47, heading::Down);
    EXPECT_EQ(Values(Soccer.Block.Running(), Count("soccer/Saved.wav"), Ball.Direction), Values(false, 1, 113));
    // Without the block the keeper's spot does nothing.
    StepAt(25, 47, heading::Down);
    EXPECT_EQ(Values(Count("soccer/Saved.wav"), Ball.Direction), Values(1, heading::Down));
}

TEST_F(SoccerRules, TheBlockWarningLoopsRightOfCentreWhileTheBallComesAtTheGoal) {
    Put(18, 33, heading::Down);
    BlockWarning();
    Put(18, 35, heading::Down);
    BlockWarning();
    Put(18, 35, heading::Up);
    BlockWarning();
    EXPECT_EQ(Ops("soccer/BlokBeep.wav"),
              (std::vector<std::string>{"pan:2000", "frequency:23050", "loop:0", "frequency:25050", "stop:0"}));
}

TEST_F(SoccerRules, LettersLightOnlyInOrderSaveArmsTheSaveAndGoalGivesAPenalty) {
    // A before S lights nothing and scores nothing.
    LetterTarget(2);
    for (int letter = 1; letter <= 4; ++letter) LetterTarget(letter);
    EXPECT_EQ(Values(Soccer.SaveArmed, Game.Score), Values(true, 50000));
    EXPECT_EQ(platform.Played(), (std::vector<std::string>{"soccer/S.wav", "sounds/SpellSw.wav", "soccer/A.wav",
                                                           "sounds/SpellSw.wav", "soccer/V.wav", "sounds/SpellSw.wav",
                                                           "soccer/E.wav", "sounds/SpellSw.wav", "soccer/v_SMode.wav"}));
    // GOAL: the penalty kick, then SAVE mode again, but SAVE stays lit
    // until the armed save has been used.
    Soccer.DefenderDown[0] = true;
    for (int letter = 1; letter <= 4; ++letter) LetterTarget(letter);
    EXPECT_EQ(Values(Soccer.GoalMode, Soccer.SaveProgress, Soccer.GoalMark[4], Soccer.DefenderDown[0]),
              Values(0, 0, 0, 0));
    const bool scored = Soccer.HomeGoals == 1;
    EXPECT_EQ(Values(Game.Score, Count(scored ? "soccer/GKckGood.wav" : "soccer/GKickBad.wav"), Ball.Y),
              Values(50000 + 50000 + (scored ? 100000 : 0), 1, 4));
    EXPECT_TRUE(Playing({"sounds/ball.wav"}));
    LetterTarget(1);
    EXPECT_EQ(Count("soccer/S.wav"), 1);
}

TEST_F(SoccerRules, TheFourthDoubleScoreTargetDoublesForTenSecondsAndTargetZeroCountsOnce) {
    for (int target : {0, 1, 1, 2}) DoubleScoreTarget(target);
    EXPECT_EQ(Soccer.Multiplier, 1);
    DoubleScoreTarget(3);
    EXPECT_EQ(Values(Soccer.Multiplier, Soccer.DoubleScoreHits, Count("soccer/DblScore.wav")), Values(2, 0, 4));
    EXPECT_TRUE(Playing({"soccer/Chant.wav"}));
    // Target 0 stays marked: the next double score needs 1 to 4 again.
    for (int target : {0, 1, 2, 3}) DoubleScoreTarget(target);
    EXPECT_EQ(Soccer.DoubleScoreHits, 3);
    EXPECT_TRUE(Lasts(10000, [] { return Soccer.Multiplier == 2; }));
    EXPECT_EQ(Soccer.Multiplier, 1);
    EXPECT_TRUE(Playing({}, {"soccer/Chant.wav"}));
}

TEST_F(SoccerRules, DefendersFallOnceAndTheVisitorsKickAgain) {
    Soccer.Multiplier = 2;
    EXPECT_EQ(Gain([&] { StepAt(14, 7, heading::Up, 3.0f); }), 40000);
    EXPECT_EQ(Values(Ball.Y, Count("soccer/v_d1.wav")), Values(4, 1));
    EXPECT_NEAR(Ball.Speed, 2.6f, 1e-5);
    EXPECT_EQ(Gain([&] { StepAt(14, 7, heading::Up, 3.0f); }), 0);
    EXPECT_EQ(Count("soccer/GHitVist.wav"), 1);
}

TEST_F(SoccerRules, OffsideEndsDoubleScoreAndThrowsInOnTheOtherHalf) {
    Soccer.Multiplier = 2;
    Soccer.DoubleScore.Start();
    Soccer.UpperHalf = false;
    StepAt(10, 4, heading::Up);
    // The throw-in is said for the half noted before this one.
    EXPECT_EQ(Values(Soccer.Multiplier, Soccer.DoubleScore.Running(), Ball.X, Ball.Y, Count("soccer/v_TIBV.wav")),
              Values(1, false, 9, 37, 1));
    EXPECT_TRUE(HeadingWithin(28, 36));
    StepAt(46, 45, heading::Down);
    EXPECT_EQ(Values(Ball.X, Ball.Y, Count("soccer/v_TIBHT.wav")), Values(45, 17, 1));
}

TEST_F(SoccerRules, CardsComeAboutOneTimeInFour) {
    for (int i = 0; i < 200; ++i) {
        StepAt(27, 9, heading::Down);
        StepAt(46, 20, heading::Down);
        Wait(3);
    }
    const int yellow = Count("soccer/v_YCard.wav");
    const int red = CountAny(platform, {"soccer/v_RCard1.wav", "soccer/v_RCard2.wav"});
    EXPECT_GT(yellow, 25);
    EXPECT_GT(red, 25);
    EXPECT_LT(yellow + red, 200);
}

TEST_F(SoccerRules, TheMidfieldArmsAfterAMinuteOpensOutsideTheBandsAndClosesAfterTwenty) {
    Put(25, 25, heading::Up);
    TimersAfter(60000);
    EXPECT_EQ(Values(Soccer.MidfieldArmed, Soccer.MidfieldOpen), Values(true, false));
    Put(10, 20, heading::Up);  // in the band across the field
    Timers();
    EXPECT_FALSE(Soccer.MidfieldOpen);
    Put(10, 40, heading::Up);
    Timers();
    EXPECT_TRUE(Soccer.MidfieldOpen);
    EXPECT_TRUE(Playing({"soccer/MFMusic.wav"}));
    // A tilt silences every loop; the next ball entry brings the open
    // midfield's music back with it.
    Sounds.MidfieldMusic.Stop();
    StartOfPlay();
    EXPECT_TRUE(Playing({"soccer/MFMusic.wav"}));
    EXPECT_TRUE(Lasts(20000, [] { return Soccer.MidfieldOpen; }));
    EXPECT_TRUE(Playing({}, {"soccer/MFMusic.wav"}));
}

TEST_F(SoccerRules, ATiltPutsTheNextBallAtTheKickOffSpot) {
    LaunchEveryBall();
    EXPECT_TRUE(KeysWith(scan::Return));
    EXPECT_TRUE(BallAt(25, 45));
}

// The end of a match: the horn, the score, the goals and who won.
TEST_F(SoccerTest, TheMatchIsWonLostOrDrawnByTheGoals) {
    const std::vector<std::string> won = {"soccer/v_TGWWB.wav", "soccer/v_HomeTm.wav", "soccer/GameWon.wav"},
                                   lost = {"soccer/v_TGWWB.wav", "soccer/v_Vistrs.wav", "soccer/GameLost.wav"},
                                   drawn = {"soccer/v_TGWT.wav"};
    for (int home : {3, 1, 2}) {
        LoadTable();
        Soccer.HomeGoals = uint8_t(home);
        Soccer.VisitorGoals = 2;
        const size_t from = Mark();
        AnswerTheLastPrompt();
        EXPECT_TRUE(RunUntilMainMenu(EndGame));
        std::vector<std::string> expected = {"soccer/gohorn.wav", "sounds/v_GOver.wav", "sounds/v_YSW.wav",
                                             "sounds/numbers/zero.wav", "sounds/v_Points.wav", "soccer/vNOGSBHT.wav",
                                             N(home), home == 1 ? "soccer/v_Goal.wav" : "soccer/v_Goals.wav",
                                             "soccer/v_NOGSBV.wav", N(2), "soccer/v_Goals.wav"};
        const std::vector<std::string>& result = home == 3 ? won : home == 1 ? lost : drawn;
        expected.insert(expected.end(), result.begin(), result.end());
        expected.push_back("sounds/v_PAKTC.wav");
        EXPECT_EQ(StartedSince(from), expected);
    }
}

}  // namespace
}  // namespace tamblor::test
