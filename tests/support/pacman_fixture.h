// Test support for the Pac Man table: an archive holding the real maze,
// compiled from its source by the map compiler library, and stand-ins for
// every sound the table and the shared services play; a fixture that starts
// the game's services over it and loads the table.
#pragma once

#include <string>
#include <vector>

#include "support/game_fixture.h"

namespace tamblor::test {

// The map file the compiler makes of assets/maps/pacman/pacman.mapsrc;
// fails the test when the source does not pass its own rules.
std::string CompiledPacManMap();

// Standard members, the table's sounds and voices, and the maze.
std::vector<ArchiveMember> PacManMembers();

// Length in ms of a stand-in sound of the Pac Man archive.
uint32_t PacManSoundMs(const std::string& member);

class PacManTest : public GameTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Loads the table (the main menu's first step).
    void LoadTable();
    // Ops of the sound log on `label`, as "op:value" strings.
    std::vector<std::string> Ops(const std::string& label) const;
    // Labels started (play or loop), in order, from log entry `from` on.
    std::vector<std::string> StartedSince(size_t from) const;
    // Runs `body` until it leaves the table for the main menu; false when it
    // returned or ended otherwise.
    bool RunUntilMainMenu(const std::function<void()>& body);
};

}  // namespace tamblor::test
