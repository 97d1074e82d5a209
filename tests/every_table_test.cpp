// What the tables share, each table on its own rules and map: a tilt,
// Escape in play, the extra ball and the status report; the field guard;
// the drain of the tables with flippers; and a whole game chosen from the
// main menu, its score spoken, stored over an older best and read back by
// the high-score menu.
#include <gtest/gtest.h>

#include <algorithm>

#include "audio/sound.h"
#include "audio/speech.h"
#include "core/app.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "core/startup.h"
#include "support/table_fixture.h"
#include "table_checks.h"
#include "table/ball.h"
#include "table/play.h"
#include "table/table.h"

namespace tamblor::test {
namespace {

std::string StoredKey(const TableDesc& table) { return std::string("HS") + FactsOfTable(table.id).keyName; }

// A fixture of the table that each row of `Row` names.
template <class Row>
class TableRows : public TableTest, public ::testing::WithParamInterface<Row> {
protected:
    TableRows() : TableTest(*this->GetParam().table) {}
};

class EveryTable : public TableTest, public ::testing::WithParamInterface<const TableCase*> {
protected:
    EveryTable() : TableTest(*GetParam()) {}
    int Id() const { return Table().id; }
    // A game from its launch prompt, as the main menu starts one, until it ends.
    bool PlayAGame() {
        LaunchEveryBall();
        AnswerTheLastPrompt();
        return RunUntilMainMenu([] {
            Relaunch();
            PlayFromBallEntry();
        });
    }
    // Presses `key` every half second from `fromMs` on while `when` holds
    // (a press in a spoken cue is spent); `when` is asked on every pass.
    void PressWhile(uint8_t key, uint64_t fromMs, std::function<bool()> when) {
        platform.OnYield([this, key, when, next = fromMs]() mutable {
            if (!when() || platform.NowMs() < next) return;
            platform.TapAt(platform.NowMs() + 1, key, 50);
            next = platform.NowMs() + 500;
        });
    }
    void ExpectTheTableReleased() {
        for (const TableSound& s : Table().sounds) EXPECT_TRUE(s.slot->Empty()) << s.member;
        EXPECT_FALSE(platform.IsLabelPlaying("sounds/ball.wav"));
    }
};

TEST_P(EveryTable, ATiltCostsABallAndATiltedGameNeitherCheersNorStoresABetterScore) {
    BestScore[Id()] = 999999;  // more than half a second of play scores
    LoadTable();
    Game.BallsLeft = 1;
    // Enter while the ball is heard rolling; once tilted, the score beats the best.
    PressWhile(scan::Return, 0, [this] {
        if (Game.Tilted) Game.Score = 1000000;
        return platform.IsLabelPlaying("sounds/ball.wav");
    });
    const int flushes = platform.FlushCount();
    EXPECT_TRUE(PlayAGame());  // two tilts: the second at the last ball
    EXPECT_TRUE(Game.Tilted);
    EXPECT_EQ(Count("sounds/tilt.wav"), 2);
    EXPECT_EQ(BestScore[Id()], 999999);
    EXPECT_EQ(DecodeScore(platform.Stored("Settings", StoredKey(Table())), Version), 999999);
    EXPECT_EQ(platform.FlushCount(), flushes + 1);  // saved all the same
    EXPECT_EQ(Count("sounds/v_NHS.wav"), 0);
    EXPECT_EQ(Count("sounds/v_NHTS.wav"), 0);
    ExpectTheTableReleased();
}

TEST_P(EveryTable, EscapeInPlayEndsTheGameKeepingTheScoreOnlyWhereTheTableKeepsIt) {
    BestScore[Id()] = 1;
    LoadTable();
    PressWhile(scan::Escape, platform.NowMs() + 4000, [] { return Game.GameRunning; });
    const int flushes = platform.FlushCount();
    EXPECT_TRUE(PlayAGame());
    const std::vector<std::string> heard = platform.Played();
    auto said = std::find(heard.begin(), heard.end(), "sounds/v_YSW.wav");
    ASSERT_NE(said, heard.end());
    EXPECT_EQ(heard.back(), "sounds/v_PAKTC.wav");
    EXPECT_EQ(platform.FlushCount(), flushes + 1);
    // A table that keeps the score is left with Escape in its whole game from the menu, which checks what it keeps.
    if (!case_.keepsScoreOnEscape) {
        EXPECT_EQ(Game.Score, 0);
        EXPECT_EQ(*(said + 1), "sounds/numbers/zero.wav");
        EXPECT_EQ(BestScore[Id()], 1);
        EXPECT_EQ(Count("sounds/v_NHTS.wav"), 0);
    }
    ExpectTheTableReleased();
}

TEST_P(EveryTable, AnExtraBallAboveEachLevelComesOnceItsVoiceHeardOverTheSilencedLoops) {
    BeginPlay();
    const double every = case_.extraBallEvery;
    const int spares = Game.BallsLeft, factor = case_.doubleScore ? case_.doubleScore() : 1;
    // The balls gained once the score is set to `score`.
    auto gainedAt = [spares](double score) {
        Game.Score = score;
        ExtraBallCheck();
        return Game.BallsLeft - spares;
    };
    sndBall.Play(true);
    Table().music->SetVolume(-700);
    EXPECT_EQ(gainedAt(every), 0);  // not above it yet
    EXPECT_EQ(gainedAt(every + 1), 1);
    EXPECT_EQ(Game.Score, every + 1 + 100000 * factor);
    EXPECT_EQ(Game.ExtraBallLevel, 2);
    EXPECT_EQ(Count(case_.extraBallVoice), 1);
    // The ball and the music back at the levels they had.
    EXPECT_TRUE(SilencedThenBackAt("sounds/ball.wav", 0));
    EXPECT_TRUE(SilencedThenBackAt(Table().music->Name(), -700));
    ExtraBallCheck();
    EXPECT_EQ(gainedAt(2 * every), 1);
    EXPECT_EQ(gainedAt(2 * every + 1), 2);
}

TEST_P(EveryTable, TheStatusReportSaysThePointsTheTablesOwnWordsAndTheBallsLeft) {
    BeginPlay();
    // A fresh game, then one with a single ball to say.
    for (int spares : {int(Game.BallsLeft), case_.countsBallInPlay ? 0 : 1}) {
        Game.BallsLeft = uint8_t(spares);
        sndBall.Play(true);
        const size_t from = Mark();
        Table().statusReport();
        const int balls = spares + (case_.countsBallInPlay ? 1 : 0);
        std::vector<std::string> expected = {"sounds/v_UHave.wav", "sounds/numbers/zero.wav", "sounds/v_Points.wav"};
        expected.insert(expected.end(), case_.statusWords.begin(), case_.statusWords.end());
        expected.insert(expected.end(), {"sounds/v_UHave.wav", N(balls),
                                         balls == 1 ? "sounds/v_BLeft.wav" : "sounds/v_BsLeft.wav", "sounds/ball.wav"});
        std::vector<std::string> heard = StartedSince(from);
        heard.resize(std::min(heard.size(), expected.size()));
        EXPECT_EQ(heard, expected);
    }
}

TEST_P(EveryTable, TheRollingBallIsPannedByTheTablesRuleAndTheSharedClickKeepsNoOtherTablesPan) {
    BeginPlay();
    Put(35, 20, heading::Up);
    Wait(100);  // a step is due
    const size_t from = Mark();
    Restarts(BallTick);
    const std::string pan = "pan:" + std::to_string(int(10 * case_.ballPanScale));
    EXPECT_EQ(Ops("sounds/ball.wav", from), std::vector<std::string>{pan});

    sndFlipper.SetPan(3200);  // as another table's right-hand click left it
    KeysWith(scan::LeftShift);
    const std::vector<std::string> click = Ops("sounds/Flipper.wav");
    ASSERT_GE(click.size(), 2u);
    EXPECT_EQ(click[click.size() - 2], "pan:" + std::to_string(case_.flipperPanLeft));
}

INSTANTIATE_TEST_SUITE_P(, EveryTable, ::testing::ValuesIn(kEveryTable),
                         [](const auto& info) { return std::string(info.param->name); });

// What the ball meets on each table's own map: a bumper scores (and what
// doubling the table's score makes of that), a wall slows the ball, a hard
// wall restores its speed; each with its sound at the ball.
struct HitCase {
    const TableCase* table;
    const char* what;
    float x, y, direction, speed;
    double points, doubled;  // doubled: with the table's score doubled; < 0 unchecked
    float speedAfter;        // 0: the base speed
    float lowest, highest;   // the heading it leaves at
    const char* sound;
    std::vector<std::string> ops;
};

using TableHit = TableRows<HitCase>;

TEST_P(TableHit, TheBallMeetsWhatTheMapHoldsThereWithItsSoundAtTheBall) {
    const HitCase& c = GetParam();
    BeginPlay();
    StepAt(c.x, c.y, c.direction, c.speed);
    EXPECT_EQ(Game.Score, c.points);
    EXPECT_NEAR(Ball.Speed, c.speedAfter == 0 ? SpeedFactor : c.speedAfter, 1e-5);
    EXPECT_TRUE(HeadingWithin(c.lowest, c.highest));
    EXPECT_EQ(Ops(c.sound), c.ops);
    if (c.doubled < 0) return;
    case_.doubleScore();
    StepAt(c.x, c.y, c.direction, c.speed);
    EXPECT_EQ(Game.Score, c.points + c.doubled);
}

const HitCase kHitCases[] = {
    {&kPacManCase, "Bumper", 23, 18, heading::Down, 2, 10000, -1, 0, 6, 26, "sounds/bumper1.wav", {"pan:-1200", "play:0"}},
    {&kPacManCase, "Wall", 22, 18, heading::Down, 2, 0, -1, 1.9f, 6, 26, "sounds/WallHit.wav", {"pan:-1600", "play:0"}},
    {&kSoccerCase, "Bumper", 10, 13, heading::Down, 1, 20000, 30000, 0, 0, 47, "sounds/bumper1.wav", {"pan:-6400", "play:0"}},
    {&kHeistCase, "Bumper", 10, 21, heading::Down, 2, 10000, 20000, 0, 6, 26, "sounds/bumper1.wav", {"pan:-6400", "play:0"}},
    {&kHeistCase, "Wall", 3, 20, heading::Left + 4, 2, 0, -1, 1.9f, 44, 44, "sounds/WallHit.wav", {"pan:-9200", "play:0"}},
    {&kHauntedCase, "Bumper", 13.2f, 21, heading::Left, 1.5f, 10000, 20000, 0, 0, 128, "sounds/bumper1.wav",
     {"stop:0", "pan:-5120", "play:0"}},
    {&kHauntedCase, "HardWall", 25, 13.4f, heading::Up, 1.2f, 0, -1, 0, 0, 128, "sounds/bumper2.wav",
     {"stop:0", "pan:-400", "play:0"}},
    {&kWildWestCase, "Wall", 46.6f, 30, heading::Right - 8, 2, 0, -1, 1.8f, heading::Right + 1, 128, "sounds/WallHit.wav",
     {"pan:8240", "play:0"}},
    {&kWildWestCase, "Bumper", 2.4f, 14, heading::Left, 1, 10000, 10000, 0, 0, 128, "sounds/bumper1.wav",  // never doubled
     {"stop:0", "pan:-9440", "play:0"}},
    {&kWildWestCase, "HardWall", 9, 40.6f, heading::Down, 1, 0, -1, 0, 0, 128, "sounds/MultiHit.wav", {"pan:-6800", "play:0"}},
};
INSTANTIATE_TEST_SUITE_P(, TableHit, ::testing::ValuesIn(kHitCases), [](const auto& info) {
    return std::string(info.param.table->name) + info.param.what;
});

// A ball found off the field is put back in the middle, heading up, in the
// same step (Pac Man puts it back at one of its starts); one on the field's
// very edge is left where it is.
struct GuardCase {
    const TableCase* table;
    float x, y, direction;
    bool inside = false;
};

using FieldGuard = TableRows<GuardCase>;

TEST_P(FieldGuard, AnEscapedBallIsPutBackInTheMiddleHeadingUp) {
    BeginPlay();
    const uint32_t resets = FieldGuardResets;
    const GuardCase& c = GetParam();
    Put(c.x, c.y, c.direction, 1.5f);
    Table().handleCell();
    EXPECT_EQ(FieldGuardResets, resets + (c.inside ? 0 : 1));
    if (c.inside) return;
    EXPECT_TRUE(BallAt(25, 25));
    EXPECT_EQ(Ball.Direction, heading::Up);
}

INSTANTIATE_TEST_SUITE_P(, FieldGuard,
                         ::testing::Values(GuardCase{&kSoccerCase, 49.6f, 30, heading::Right},
                                           GuardCase{&kHeistCase, 1.4f, 20, heading::Left},
                                           GuardCase{&kSafariCase, 0.4f, 20, heading::Left},
                                           GuardCase{&kHauntedCase, 1.9f, 30, heading::Left},
                                           GuardCase{&kHauntedCase, 30, 48, heading::Down, true},
                                           GuardCase{&kWildWestCase, 0.4f, 30, heading::Left}),
                         [](const auto& info) {
                             return std::string(info.param.table->name) + (info.param.inside ? "Edge" : "");
                         });

// The drain of the tables with flippers: in classic mode a warning on the
// way down, pitched by the row it starts on, and a flipper that sends the
// ball back up within a second of a Shift; else the ball is flushed.
struct DrainCase {
    const TableCase* table;
    float warnRow;
    int warnHz;
    float drainRow;
};

using FlipperTable = TableRows<DrainCase>;

TEST_P(FlipperTable, TheDrainWarningSoundsOnTheWayDownInClassicModeOnlyAndOutlivesAPauseOrAReport) {
    BeginPlay(1);
    const float row = GetParam().warnRow;
    auto at = [&](float y, float direction) {
        Put(25, y, direction);
        Table().afterTick();
    };
    at(row, heading::Down);
    EXPECT_EQ(Ops("sounds/ProxBeep.wav"),
              (std::vector<std::string>{"pan:0", "frequency:" + std::to_string(GetParam().warnHz), "loop:0"}));
    at(row + 2, heading::Down);  // not retuned while it sounds
    EXPECT_EQ(Ops("sounds/ProxBeep.wav").size(), 3u);
    // Stopped under a pause or a report, and back after.
    const std::vector<std::pair<const char*, std::function<void()>>> holds = {
        {"pause", [this] {
             platform.TapWhenSoundStarts("sounds/PausedLp.wav", scan::Space, 100, 30);
             PauseTable();
         }},
        {"report", [this] { Table().statusReport(); }}};
    for (const auto& [name, hold] : holds) {
        ASSERT_TRUE(platform.IsLabelPlaying("sounds/ProxBeep.wav")) << name;
        const size_t from = Mark();
        hold();
        EXPECT_EQ(Ops("sounds/ProxBeep.wav", from), (std::vector<std::string>{"stop:0", "loop:0"})) << name;
    }
    at(row + 2, heading::Up);
    EXPECT_FALSE(platform.IsLabelPlaying("sounds/ProxBeep.wav"));
    GameMode = 0;
    at(row, heading::Down);
    EXPECT_FALSE(platform.IsLabelPlaying("sounds/ProxBeep.wav"));
}

TEST_P(FlipperTable, TheFlipperSendsTheBallBackWithinASecondOfAShiftElseItDrains) {
    BeginPlay(1);
    LaunchEveryBall();
    const int spares = Game.BallsLeft;
    EXPECT_FALSE(KeysWith(scan::RightShift));
    Wait(990);
    CloseFlipperWindow();
    Put(25, GetParam().drainRow, 70, 1.2f);
    EXPECT_FALSE(Restarts(Table().handleCell));
    EXPECT_EQ(Ball.Speed, SpeedFactor);
    EXPECT_EQ(Ball.Direction, 26);  // off the floor, with no wall in the same step
    EXPECT_EQ(Game.BallsLeft, spares);

    EXPECT_FALSE(KeysWith(scan::LeftShift));
    Wait(1010);
    CloseFlipperWindow();
    Put(25, GetParam().drainRow, 70);
    EXPECT_TRUE(Restarts(Table().handleCell));
    EXPECT_EQ(Count("sounds/flush.wav"), 1);
    EXPECT_EQ(Game.BallsLeft, spares - 1);
}

INSTANTIATE_TEST_SUITE_P(, FlipperTable,
                         ::testing::Values(DrainCase{&kSafariCase, 42, 32050, 47},
                                           DrainCase{&kHauntedCase, 40, 30050, 45.6f},
                                           DrainCase{&kWildWestCase, 40, 30050, 47}),
                         [](const auto& info) { return std::string(info.param.table->name); });

// The whole program: the table chosen from the main menu with an older best
// stored, a game played to its end (or left with Escape where the table
// keeps the score) in a game mode as stored, by a player who launches every
// ball, chooses a side as an aim waits and fires a moment into every sweep;
// then the high scores heard and the program left.
struct ProgramCase {
    const TableCase* table;
    uint8_t mode;
};

class WholeProgram : public MenuGameTest, public ::testing::WithParamInterface<ProgramCase> {
protected:
    void SetUp() override {
        MenuGameTest::SetUp();
        UseArchive(ProgramMembers(*GetParam().table), false);
    }
    void TearDown() override {
        platform.OnYield(nullptr);
        UnloadTable(GetParam().table->table);
        MenuGameTest::TearDown();
    }
    void Player() {
        OnEachSound(platform, [this, aiming = false, over = false, shots = uint64_t(0)](const SoundEvent& e) mutable {
            const uint64_t now = platform.NowMs();
            if (e.label == "sounds/ball.wav" && e.op == "loop") aiming = false;
            if (e.label == "sounds/ScanWait.wav" && e.op == "loop") platform.TapAt(now + 200, scan::RightShift, 40);
            if (e.op != "play") return;
            if (e.label == "sounds/LReady.wav") platform.TapAt(now + 400, scan::Space, 80);
            if (e.label == "sounds/v_GOver.wav") over = true;
            if (e.label == "sounds/v_PAKTC.wav" && over) platform.TapAt(now + 800, scan::Space, 80);
            if (!aiming && (e.label == "sounds/ScanBeep.wav" || e.label.find("/Scan") != std::string::npos)) {
                // A moment into the sweep, never the same twice running.
                aiming = true;
                const uint64_t at = now + 300 + (shots++ * 797) % 3000;
                platform.TapAt(at, scan::LeftShift, 40);
                platform.TapAt(at, scan::RightShift, 40);
            }
        });
    }
};

TEST_P(WholeProgram, AGameFromTheMenuIsStoredAndItsScoreSpokenThenAndByTheHighScoreMenu) {
    const TableCase& c = *GetParam().table;
    const int id = c.table.id;
    const TableFacts& facts = FactsOfTable(id);
    platform.StoredSettings()[{kSettingsApp, "Settings", StoredKey(c.table)}] = EncodeScore(1, RunningVersion());
    platform.StoredSettings()[{kSettingsApp, "Settings", "GameMode"}] = std::to_string(GetParam().mode);
    // Down the main menu to the table (the first entry is said as the instructions end).
    for (int t = 0; t < id; ++t) On(t == 0 ? "sounds/menu/mnuInstr.wav" : FactsOfTable(t).menuName, scan::Down);
    On(id == 0 ? "sounds/menu/mnuInstr.wav" : facts.menuName, scan::Return);
    Player();
    if (c.escapeAtMs) platform.TapWhenSoundStarts("sounds/BLaunch.wav", scan::Escape, c.escapeAtMs, 50);
    // The fresh menu: up to the high scores, hear them, and leave.
    for (const char* entry : {"sounds/menu/mnuInstr.wav", "sounds/menu/mnuExitP.wav", "sounds/menu/mnuOMenu.wav",
                              "sounds/menu/mnuHMenu.wav"})
        On(entry, scan::Up);
    On("sounds/menu/mnuHighS.wav", scan::Return);
    On("system/hss/scoresel.wav", scan::Return);
    On("system/hss/scoresel.wav", scan::Escape);
    On("sounds/menu/mnuHighS.wav", scan::Escape);
    platform.SetTimeLimitMs(12ull * 3600 * 1000);
    Run();
    platform.OnYield(nullptr);

    EXPECT_FALSE(Game.Tilted);
    EXPECT_EQ(GameMode, GetParam().mode);
    ASSERT_GT(Game.Score, 1);
    EXPECT_EQ(BestScore[id], Game.Score);
    EXPECT_EQ(DecodeScore(platform.Stored("Settings", StoredKey(c.table)), Version), Game.Score);
    const std::vector<std::string> played = platform.Played();
    EXPECT_EQ(std::count(played.begin(), played.end(), "sounds/v_NHS.wav"), 1);  // the older best, beaten in play
    // Stored at once, then said: the new best, the score and its words.
    const std::vector<std::string> words = NumberWords(Game.Score);
    std::vector<std::string> end = {"sounds/v_GOver.wav", "sounds/v_NHTS.wav", "sounds/v_YSW.wav"};
    end.insert(end.end(), words.begin(), words.end());
    end.push_back("sounds/v_Points.wav");
    auto over = std::search(played.begin(), played.end(), end.begin(), end.end());
    ASSERT_NE(over, played.end()) << PlayedList();
    if (c.checkEnd) c.checkEnd(played);
    // The high-score menu says the table's name, then the same words, and no more of them.
    auto readout = std::find(over, played.end(), "system/hss/scoresel.wav");
    auto name = std::find(readout, played.end(), facts.menuName);
    ASSERT_GT(played.end() - name, long(words.size()) + 1);
    EXPECT_TRUE(std::equal(words.begin(), words.end(), name + 1));
    EXPECT_NE((name + 1 + long(words.size()))->rfind("sounds/numbers/", 0), 0u);
    EXPECT_EQ(platform.LiveBuffers(), 0);
}

const ProgramCase kProgramCases[] = {{&kPacManCase, 0},  {&kSoccerCase, 0},   {&kHeistCase, 0},
                                     {&kSafariCase, 0},  {&kSafariCase, 1},   {&kHauntedCase, 0},
                                     {&kHauntedCase, 1}, {&kWildWestCase, 0}, {&kWildWestCase, 1}};
INSTANTIATE_TEST_SUITE_P(, WholeProgram, ::testing::ValuesIn(kProgramCases), [](const auto& info) {
    return std::string(info.param.table->name) + (info.param.mode ? "_Classic" : "");
});

}  // namespace
}  // namespace tamblor::test
