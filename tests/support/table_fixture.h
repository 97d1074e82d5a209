// Test support for any table: an archive holding the table's real map,
// compiled from its source by the map compiler library, and stand-ins of
// chosen lengths for every sound the table and the shared services play; a
// fixture that starts the game's services over it, loads the table and
// reads back what the player heard and what was stored.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/keyboard.h"
#include "support/game_fixture.h"

namespace tamblor {
struct TableDesc;
}

namespace tamblor::test {

// The map file the compiler makes of assets/maps/<source> (for example
// "pacman/pacman.mapsrc"); fails the test when the source breaks its own
// rules.
std::string CompiledMap(const std::string& source);

// The words of every voice, as the game data carries them, straight from
// assets/manifest.tsv.
ArchiveMember ManifestVoiceTexts();

// Lengths of stand-in sounds: the shared prompts' and the table's. Lengths
// shape the game's timing as the player hears it, so give the table's
// voices and loops lengths like the real ones.
struct StandInSounds {
    std::map<std::string, uint32_t> lengthsMs;  // anything not named lasts 200 ms
    std::set<std::string> stereo;               // members played with the stereo player
};

// A member by its short name in a table's folder: "ScanNet" in "soccer" is
// "soccer/ScanNet.wav"; a name with a '/' is already whole.
std::string Member(const std::string& folder, const std::string& name);
// Stand-ins named as by Member.
StandInSounds StandIns(const std::string& folder, std::initializer_list<std::pair<const char*, uint32_t>> lengthsMs,
                       std::initializer_list<const char*> stereo);

// A table as the tests play it: its description, the stand-ins of its
// sounds, its map, and what the tests expect of the rules every table has.
struct TableCase {
    const char* name;  // names the tests run for every table
    const TableDesc& table;
    StandInSounds (*sounds)();
    const char* mapSource;
    // The extra ball: above each `extraBallEvery` points, said by its voice.
    const char* extraBallVoice;
    double extraBallEvery = 10000000;
    // Doubles the table's own score multiplier and gives what the extra
    // ball's 100000 points are then multiplied by; nullptr without one.
    int (*doubleScore)() = nullptr;
    // The status report of a fresh game: the table's words between the
    // points and the balls, and whether the ball in play counts as a ball left.
    std::vector<std::string> statusWords = {};
    bool countsBallInPlay = true;
    bool keepsScoreOnEscape = false;  // Escape in play ends the game with what was scored
    uint32_t escapeAtMs = 0;          // a whole game is left with Escape this long after launching; 0: never
    // What the table's own end of a whole game sounds like; nullptr for nothing more.
    void (*checkEnd)(const std::vector<std::string>& played) = nullptr;
    float ballPanScale = 400;    // the rolling ball's pan per column from column 25
    int32_t flipperPanLeft = 0;  // where Left Shift's click sounds
};
extern const TableCase kPacManCase, kSoccerCase, kHeistCase, kSafariCase, kHauntedCase, kWildWestCase;
extern const TableCase* const kEveryTable[6];

// Standard members, the shared in-play prompts, every sound the table
// creates or names in `extra`, its intro, the taunts, and its map.
std::vector<ArchiveMember> TableMembers(const TableDesc& table, const StandInSounds& sounds,
                                        const std::string& mapSource);
// The same for a case, with the menus' voices too: the whole program's archive.
std::vector<ArchiveMember> ProgramMembers(const TableCase& table);

class TableTest : public GameTest {
protected:
    explicit TableTest(const TableCase& table) : case_(table) {}
    void SetUp() override;
    void TearDown() override;

    const TableDesc& Table() const { return case_.table; }
    // Loads the table (the main menu's first step).
    void LoadTable();
    // Loads the table in `mode` and begins play as a ball entry does; the
    // sound log starts empty.
    void BeginPlay(uint8_t mode = 0);
    void Put(float x, float y, float direction, float speed = 3.0f);
    // The ball put there and the table's cell handler run once, as a step of the ball does.
    void StepAt(float x, float y, float direction, float speed = 3.0f);
    // A pass of the in-play keys with `key` down, then one with it up; true
    // when either left for a new ball entry.
    bool KeysWith(uint8_t key);
    // How often `label` was started (from log entry `from` on).
    int Count(const std::string& label) const;
    int CountSince(size_t from, const std::string& label) const;
    // Whether `labels` were started one right after another; with `from`,
    // as the first sounds started from log entry `from` on.
    ::testing::AssertionResult HeardInARow(const std::vector<std::string>& labels, size_t from = SIZE_MAX) const;
    ::testing::AssertionResult BallAt(float x, float y) const;
    // Length of a stand-in sound.
    uint32_t SoundMs(const std::string& member) const;
    bool HasOp(const std::string& label, const std::string& op) const;
    // Whether `label` was silenced (under a voice) and its last op set it back to `volume`.
    ::testing::AssertionResult SilencedThenBackAt(const std::string& label, int volume) const;
    // Runs `body` until it leaves the table for the main menu; false when it
    // returned or ended otherwise.
    bool RunUntilMainMenu(const std::function<void()>& body);
    // True when `body` left for a new ball entry (a tilt, a new table, a
    // lost ball on the tables that start their ball entry again).
    static bool Restarts(const std::function<void()>& body);
    // Waits in virtual time until the tick has moved more than `ms` on.
    void Wait(uint32_t ms);
    // Waits, then runs the table's timers as a pass of play does.
    void TimersAfter(uint32_t ms);
    // Presses `key` while position `i` of a sweep of ten ticks a
    // position, starting now, sounds.
    void TapAtSweepPosition(int i, uint8_t key = scan::RightShift);
    // In accessible mode: chooses the drain aim's side with `side` and then
    // shoots with right Shift at `position` of its sweep (125 ms a position)
    // as the ball reaches the drain at `row`; gives the heading it leaves at.
    float ShootFromTheDrain(uint8_t side, int position, float row);
    // Spaces every launch prompt that comes, held long enough to be seen.
    void LaunchEveryBall(int prompts = 8);
    // Answers the end-of-game prompt.
    void AnswerTheLastPrompt(uint8_t key = scan::Return);
    // The voice of a number word.
    static std::string N(int n) { return "sounds/numbers/" + std::to_string(n) + ".wav"; }

    const TableCase& case_;

private:
    StandInSounds sounds_;
};

// The fixture of one table; with a game mode, in play from the start.
template <const TableCase& C, int PlayMode = -1>
class TableTestOf : public TableTest {
protected:
    TableTestOf() : TableTest(C) {}
    void SetUp() override {
        TableTest::SetUp();
        if (PlayMode >= 0) BeginPlay(uint8_t(PlayMode));
    }
};
using PacManTest = TableTestOf<kPacManCase>;
using SoccerTest = TableTestOf<kSoccerCase>;
using HeistTest = TableTestOf<kHeistCase>;
using SafariTest = TableTestOf<kSafariCase>;
using HauntedTest = TableTestOf<kHauntedCase>;
using WildWestTest = TableTestOf<kWildWestCase>;

}  // namespace tamblor::test
