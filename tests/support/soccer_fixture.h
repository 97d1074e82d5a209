// Test support for the Soccer Star table: the shared table fixture with the
// lengths of Soccer Star's sounds and its real field.
#pragma once

#include "support/table_fixture.h"

namespace tamblor::test {

// The stand-in sounds of the Soccer Star archive.
StandInSounds SoccerSounds();

class SoccerTest : public TableTest {
protected:
    const TableDesc& Table() const override;
    StandInSounds StandIns() const override { return SoccerSounds(); }
    std::string MapSource() const override { return "soccer/soccer.mapsrc"; }
};

}  // namespace tamblor::test
