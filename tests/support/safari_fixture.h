// Test support for the Safari table: the shared table fixture with the
// lengths of Safari's sounds and its real savanna.
#pragma once

#include "support/table_fixture.h"

namespace tamblor::test {

// The stand-in sounds of the Safari archive.
StandInSounds SafariSounds();

class SafariTest : public TableTest {
protected:
    const TableDesc& Table() const override;
    StandInSounds StandIns() const override { return SafariSounds(); }
    std::string MapSource() const override { return "safari/safari.mapsrc"; }
};

}  // namespace tamblor::test
