#include "support/heist_fixture.h"

#include "tables/heist/heist.h"

namespace tamblor::test {

StandInSounds HeistSounds() {
    StandInSounds s{{
                        {"heist/intro.wav", 3000},    {"heist/LvlMusic.wav", 17000}, {"heist/Chase.wav", 2000},
                        {"heist/invalid.wav", 300},   {"heist/SB01.wav", 150},       {"heist/SB02.wav", 150},
                        {"heist/SB03.wav", 150},      {"heist/ScanSB.wav", 60},      {"heist/ScanChse.wav", 130},
                        {"heist/ScanBnus.wav", 110},  {"heist/ScanJ.wav", 120},      {"heist/ScanO.wav", 120},
                        {"heist/ScanB.wav", 120},     {"heist/ScanS.wav", 120},      {"heist/xtraball.wav", 900},
                        {"heist/v_J.wav", 300},       {"heist/v_O.wav", 300},        {"heist/v_B.wav", 300},
                        {"heist/v_JS.wav", 1800},     {"heist/jobfail.wav", 1500},   {"heist/rbBusted.wav", 1300},
                        {"heist/rbShotUp.wav", 2000}, {"heist/v_Busted.wav", 700},   {"heist/scorebox.wav", 800},
                        {"heist/pu_vest.wav", 800},   {"heist/pu_mace.wav", 500},    {"heist/pu_pistl.wav", 500},
                        {"heist/pu_shtgn.wav", 600},  {"heist/pu_9mm.wav", 800},     {"heist/C1.wav", 3500},
                        {"heist/C2.wav", 3800},       {"heist/C3.wav", 3900},        {"heist/C4.wav", 3500},
                        {"heist/j1.wav", 1500},       {"heist/j2.wav", 1600},        {"heist/j3.wav", 1700},
                        {"heist/j4.wav", 1800},       {"sounds/bumper2.wav", 200},   {"sounds/SpellSw.wav", 300},
                    },
                    {"heist/intro.wav", "heist/LvlMusic.wav", "heist/Chase.wav", "heist/C1.wav", "heist/C2.wav",
                     "heist/C3.wav", "heist/C4.wav", "heist/j1.wav", "heist/j2.wav", "heist/j3.wav", "heist/j4.wav",
                     "sounds/BLaunch.wav"}};
    for (int n = 1; n <= 9; ++n) s.lengthsMs["heist/SE0" + std::to_string(n) + ".wav"] = 500;
    return s;
}

const TableDesc& HeistTest::Table() const { return heist::kTable; }

}  // namespace tamblor::test
