// Test support for the Wild West table: the shared table fixture with the
// lengths of the town's sounds and its real map.
#pragma once

#include "support/table_fixture.h"

namespace tamblor::test {

// The stand-in sounds of the Wild West archive.
StandInSounds WildWestSounds();

class WildWestTest : public TableTest {
protected:
    const TableDesc& Table() const override;
    StandInSounds StandIns() const override { return WildWestSounds(); }
    std::string MapSource() const override { return "wildwest/wildwest.mapsrc"; }
};

}  // namespace tamblor::test
