// Test support for the Haunted House table: the shared table fixture with
// the lengths of its sounds and its real map.
#pragma once

#include "support/table_fixture.h"

namespace tamblor::test {

// The stand-in sounds of the Haunted House archive.
StandInSounds HauntedSounds();

class HauntedTest : public TableTest {
protected:
    const TableDesc& Table() const override;
    StandInSounds StandIns() const override { return HauntedSounds(); }
    std::string MapSource() const override { return "haunted/haunted.mapsrc"; }
};

}  // namespace tamblor::test
