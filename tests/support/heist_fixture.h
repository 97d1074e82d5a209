// Test support for the Heist table: the shared table fixture with the
// lengths of Heist's sounds and its real map.
#pragma once

#include "support/table_fixture.h"

namespace tamblor::test {

// The stand-in sounds of the Heist archive.
StandInSounds HeistSounds();

class HeistTest : public TableTest {
protected:
    const TableDesc& Table() const override;
    StandInSounds StandIns() const override { return HeistSounds(); }
    std::string MapSource() const override { return "heist/heist.mapsrc"; }
};

}  // namespace tamblor::test
