#include "support/safari_fixture.h"

#include "tables/safari/safari.h"

namespace tamblor::test {

StandInSounds SafariSounds() {
    return {{
                {"safari/intro.wav", 3000},     {"Safari/LvlMusic.wav", 3000},  {"Safari/HuntAmb.wav", 3000},
                {"Safari/water1.wav", 300},     {"Safari/water2.wav", 300},     {"Safari/water3.wav", 300},
                {"Safari/Sand1.wav", 250},      {"Safari/Sand2.wav", 250},      {"Safari/Sand3.wav", 250},
                {"Safari/Amb1.wav", 900},       {"Safari/Amb2.wav", 900},       {"Safari/Amb3.wav", 900},
                {"Safari/Amb4.wav", 900},       {"Safari/Amb5.wav", 900},       {"Safari/Swing.wav", 300},
                {"Safari/Snake1.wav", 600},     {"Safari/Snake2.wav", 600},     {"Safari/Hiss.wav", 600},
                {"Safari/FootLeft.wav", 120},   {"Safari/FootRite.wav", 120},   {"Safari/SwimLeft.wav", 150},
                {"Safari/SwimRite.wav", 150},   {"Safari/ScanS.wav", 120},      {"Safari/ScanA.wav", 120},
                {"Safari/ScanF.wav", 120},      {"Safari/ScanR.wav", 120},      {"Safari/ScanI.wav", 120},
                {"Safari/ScanSand.wav", 60},    {"Safari/ScanCat.wav", 400},    {"Safari/ScanHawk.wav", 400},
                {"Safari/ScanHipo.wav", 400},   {"Safari/scanelep.wav", 400},   {"Safari/ScanBoar.wav", 400},
                {"Safari/Shoot.wav", 300},      {"Safari/StepLeft.wav", 150},   {"Safari/steprite.wav", 150},
                {"Safari/DryFire.wav", 80},     {"Safari/Enter.wav", 400},      {"Safari/bodydrop.wav", 700},
                {"Safari/v_S.wav", 400},        {"Safari/v_A.wav", 400},        {"Safari/v_F.wav", 400},
                {"Safari/v_R.wav", 400},        {"Safari/v_I.wav", 400},        {"Safari/v_Safari.wav", 4500},
                {"Safari/submerge.wav", 2200},  {"Safari/Drowning.wav", 900},   {"Safari/WEscape.wav", 1200},
                {"Safari/quiksand.wav", 1500},  {"Safari/AcidDeath.wav", 1800}, {"Safari/SnakeDth.wav", 2000},
                {"Safari/SnakBite.wav", 2500},  {"Safari/CougarCh.wav", 2500},  {"Safari/CougarEt.wav", 1200},
                {"Safari/Breath.wav", 1500},    {"Safari/xtraball.wav", 700},   {"safari/v_Bagged.wav", 500},
                {"safari/V1.wav", 300},         {"safari/V2.wav", 300},         {"safari/V3.wav", 300},
                {"safari/V4.wav", 300},         {"safari/V5.wav", 300},         {"safari/v_Animal.wav", 400},
                {"safari/v_Animls.wav", 400},   {"safari/v_NoAn.wav", 1000},    {"safari/JolyRnch.wav", 3500},
            },
            {"safari/intro.wav", "sounds/BLaunch.wav"}};
}

const TableDesc& SafariTest::Table() const { return safari::kTable; }

}  // namespace tamblor::test
