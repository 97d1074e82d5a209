// Test support for any table: an archive holding the table's real map,
// compiled from its source by the map compiler library, and stand-ins of
// chosen lengths for every sound the table and the shared services play; a
// fixture that starts the game's services over it, loads the table and
// reads back what the player heard and what was stored.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/game_fixture.h"

namespace tamblor {
struct TableDesc;
}

namespace tamblor::test {

// The map file the compiler makes of assets/maps/<source> (for example
// "pacman/pacman.mapsrc"); fails the test when the source breaks its own
// rules.
std::string CompiledMap(const std::string& source);

// Lengths of stand-in sounds: the shared prompts' and the table's. Lengths
// shape the game's timing as the player hears it, so give the table's
// voices and loops lengths like the real ones.
struct StandInSounds {
    std::map<std::string, uint32_t> lengthsMs;  // anything not named lasts 200 ms
    std::set<std::string> stereo;               // members played with the stereo player
};

// Standard members, the shared in-play prompts, every sound the table
// creates or names in `extra`, its intro, the taunts, and its map.
std::vector<ArchiveMember> TableMembers(const TableDesc& table, const StandInSounds& sounds,
                                        const std::string& mapSource);

class TableTest : public GameTest {
protected:
    // The table and the lengths of its sounds; called once in SetUp.
    virtual const TableDesc& Table() const = 0;
    virtual StandInSounds StandIns() const = 0;
    virtual std::string MapSource() const = 0;

    void SetUp() override;
    void TearDown() override;

    // Loads the table (the main menu's first step).
    void LoadTable();
    // Length of a stand-in sound.
    uint32_t SoundMs(const std::string& member) const;
    // Ops of the sound log on `label`, as "op:value" strings.
    std::vector<std::string> Ops(const std::string& label) const;
    // Labels started (play or loop), in order, from log entry `from` on.
    std::vector<std::string> StartedSince(size_t from) const;
    size_t Mark() const { return platform.SoundLog().size(); }
    // Runs `body` until it leaves the table for the main menu; false when it
    // returned or ended otherwise.
    bool RunUntilMainMenu(const std::function<void()>& body);
    // True when `body` left for a new ball entry (a tilt, a new table, a
    // lost ball on the tables that start their ball entry again).
    static bool Restarts(const std::function<void()>& body);
    // Waits in virtual time until the tick has moved more than `ms` on.
    void Wait(uint32_t ms);
    // Spaces every launch prompt that comes, held long enough to be seen.
    void LaunchEveryBall(int prompts = 8);
    // Answers the end-of-game prompt.
    void AnswerTheLastPrompt(uint8_t key = 0x1C);
    // The voice of a number word.
    static std::string N(int n) { return "sounds/numbers/" + std::to_string(n) + ".wav"; }

private:
    StandInSounds sounds_;
};

}  // namespace tamblor::test
