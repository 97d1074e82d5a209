#include "support/soccer_fixture.h"

#include "tables/soccer/soccer.h"

namespace tamblor::test {

StandInSounds SoccerSounds() {
    return {{
        {"soccer/crowd.wav", 3000},    {"soccer/Chant.wav", 2000},    {"soccer/MFMusic.wav", 4000},
        {"soccer/BlokBeep.wav", 300},  {"soccer/Kick01.wav", 80},     {"soccer/Kick02.wav", 80},
        {"soccer/Kick03.wav", 80},     {"soccer/Kick04.wav", 80},     {"soccer/BallKick.wav", 120},
        {"soccer/DblScore.wav", 250},  {"soccer/BlokGoal.wav", 200},  {"soccer/ScanDfnd.wav", 60},
        {"soccer/ScanDblS.wav", 60},   {"soccer/ScanMidf.wav", 60},   {"soccer/ScanNet.wav", 60},
        {"soccer/ScanSpll.wav", 60},   {"soccer/ScanFlip.wav", 60},   {"soccer/GHitVist.wav", 400},
        {"soccer/gohorn.wav", 1500},   {"soccer/GameWon.wav", 2000},  {"soccer/GameLost.wav", 2000},
        {"soccer/v_Midf.wav", 900},    {"soccer/extraball.wav", 700}, {"soccer/v_KckOff.wav", 2500},
        {"soccer/GVisitor.wav", 1200}, {"soccer/GKckMiss.wav", 900},  {"soccer/v_OTKO.wav", 900},
        {"soccer/Saved.wav", 500},     {"soccer/goalhome.wav", 1200}, {"soccer/v_PassBl.wav", 800},
        {"soccer/v_PassGd.wav", 600},  {"soccer/v_SMode.wav", 3000},  {"soccer/GKckGood.wav", 1300},
        {"soccer/GKickBad.wav", 1000}, {"soccer/v_DblScr.wav", 600},  {"soccer/v_OffSid.wav", 500},
        {"soccer/v_TIBHT.wav", 900},   {"soccer/v_TIBV.wav", 900},    {"soccer/v_YCard.wav", 600},
        {"soccer/v_RCard1.wav", 1200}, {"soccer/v_RCard2.wav", 1200}, {"soccer/v_TGWT.wav", 1000},
        {"soccer/S.wav", 300},         {"soccer/A.wav", 300},         {"soccer/V.wav", 300},
        {"soccer/E.wav", 300},         {"soccer/G.wav", 300},         {"soccer/O.wav", 300},
        {"soccer/L.wav", 300},         {"soccer/v_d0.wav", 700},      {"soccer/v_d1.wav", 800},
        {"soccer/v_d2.wav", 600},      {"soccer/v_d3.wav", 800},      {"soccer/v_d4.wav", 700},
        {"soccer/vNOGSBHT.wav", 900},  {"soccer/v_Goal.wav", 300},    {"soccer/v_Goals.wav", 300},
        {"soccer/v_NOGSBV.wav", 900},  {"soccer/v_TGWWB.wav", 800},   {"soccer/v_HomeTm.wav", 500},
        {"soccer/v_Vistrs.wav", 500},  {"sounds/ScanWait.wav", 1000}, {"sounds/SpellSw.wav", 150},
    }, {}};
}

const TableDesc& SoccerTest::Table() const { return soccer::kTable; }

}  // namespace tamblor::test
