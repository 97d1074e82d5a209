// Test support for the Pac Man table: the shared table fixture with the
// lengths of Pac Man's sounds and its real maze.
#pragma once

#include "support/table_fixture.h"

namespace tamblor::test {

// The stand-in sounds of the Pac Man archive.
StandInSounds PacManSounds();

class PacManTest : public TableTest {
protected:
    const TableDesc& Table() const override;
    StandInSounds StandIns() const override { return PacManSounds(); }
    std::string MapSource() const override { return "pacman/pacman.mapsrc"; }
};

}  // namespace tamblor::test
