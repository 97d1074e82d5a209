#include "support/haunted_fixture.h"

#include "tables/haunted/haunted.h"

namespace tamblor::test {

StandInSounds HauntedSounds() {
    return {{
                {"haunted/intro.wav", 2000},     {"Haunted/lvlmusic.wav", 3000}, {"Haunted/GraveAmb.wav", 4000},
                {"Haunted/fireloop.wav", 1000},  {"Haunted/franken.wav", 1000},  {"Haunted/ScanSton.wav", 60},
                {"Haunted/Throw.wav", 100},      {"Haunted/ScanG.wav", 200},     {"Haunted/ScanR.wav", 200},
                {"Haunted/ScanA.wav", 200},      {"Haunted/ScanV.wav", 200},     {"Haunted/ScanE.wav", 200},
                {"Haunted/ScanGlas.wav", 100},   {"Haunted/scancrk.wav", 100},   {"Haunted/Gusts.wav", 3000},
                {"Haunted/StoneDwn.wav", 400},   {"Haunted/ShutWind.wav", 900},  {"Haunted/v_Welc.wav", 900},
                {"Haunted/itsalive.wav", 1200},  {"Haunted/frankeat.wav", 1300}, {"Haunted/loseball.wav", 1200},
                {"Haunted/windamb.wav", 1400},   {"Haunted/fireout.wav", 900},   {"Haunted/InFire.wav", 1000},
                {"Haunted/ignite.wav", 900},     {"Haunted/v_G.wav", 300},       {"Haunted/v_R.wav", 300},
                {"Haunted/v_A.wav", 300},        {"Haunted/v_V.wav", 300},       {"Haunted/v_E.wav", 300},
                {"Haunted/v_Tombs.wav", 3000},   {"Haunted/v_NoStns.wav", 900},  {"Haunted/allstone.wav", 1500},
                {"Haunted/xtraball.wav", 600},   {"Haunted/V1.wav", 300},        {"Haunted/V2.wav", 300},
                {"Haunted/V3.wav", 300},         {"Haunted/V4.wav", 300},        {"Haunted/V5.wav", 300},
                {"Haunted/V6.wav", 300},         {"Haunted/v_stone.wav", 600},   {"Haunted/v_Stones.wav", 600},
            },
            {"haunted/intro.wav", "Haunted/lvlmusic.wav", "Haunted/GraveAmb.wav", "Haunted/ShutWind.wav",
             "sounds/BLaunch.wav"}};
}

const TableDesc& HauntedTest::Table() const { return haunted::kTable; }

}  // namespace tamblor::test
