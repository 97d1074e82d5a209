// The six tables as the tests play them: the lengths of each table's
// sounds (like the real ones, since they shape the game's timing), its real
// map, and how a whole game of it is played and ends.
#include <algorithm>
#include <iterator>

#include "support/table_fixture.h"
#include "core/settings.h"
#include "table/ball.h"
#include "tables/haunted/haunted.h"
#include "tables/heist/heist.h"
#include "tables/pacman/pacman.h"
#include "tables/safari/safari.h"
#include "tables/soccer/soccer.h"
#include "tables/wildwest/wildwest.h"

namespace tamblor::test {

namespace {

StandInSounds PacManSounds() {
    return {{
                {"pacman/strtmuse.wav", 2000}, {"pacman/Siren.wav", 1000},   {"pacman/EatDot.wav", 80},
                {"pacman/GhostRun.wav", 1000}, {"pacman/EatFrGR.wav", 300},  {"pacman/EatFrS.wav", 300},
                {"pacman/Swoosh.wav", 300},    {"pacman/lvlMusic.wav", 2500}, {"pacman/FruitPr.wav", 500},
                {"pacman/ghostrtn.wav", 500},  {"pacman/ScanGhst.wav", 60},  {"pacman/ScanFrt.wav", 60},
                {"pacman/ScanPUp.wav", 60},    {"pacman/ScanTunl.wav", 60},  {"pacman/powerup.wav", 800},
                {"pacman/eatghost.wav", 600},  {"pacman/pacdie.wav", 1500},  {"pacman/BonusLif.wav", 900},
                {"pacman/TableCom.wav", 1200}, {"pacman/v_NOTC.wav", 500},   {"pacman/v_Table.wav", 300},
                {"pacman/v_Tables.wav", 300},
            },
            {"pacman/strtmuse.wav", "sounds/BLaunch.wav"}};
}

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

StandInSounds WildWestSounds() {
    return {{
                {"wildwest/intro.wav", 3000},    {"wildwest/PianoLp.wav", 2000},  {"wildwest/lvlAmb.wav", 3000},
                {"wildwest/PianoAmb.wav", 2500}, {"wildwest/SEntry.wav", 900},    {"wildwest/DrnkBeer.wav", 1200},
                {"wildwest/EThrowGS.wav", 1200}, {"wildwest/ENormGS.wav", 1200},  {"wildwest/EGStore.wav", 800},
                {"wildwest/Blksmith.wav", 1000}, {"wildwest/ammo.wav", 600},      {"wildwest/thieves.wav", 1500},
                {"wildwest/hung.wav", 1500},     {"wildwest/XBall.wav", 900},     {"wildwest/gunfight.wav", 1200},
                {"wildwest/jail.wav", 1500},     {"wildwest/ShHit.wav", 800},     {"wildwest/PShot.wav", 900},
                {"wildwest/WhoopAss.wav", 1000}, {"wildwest/block.wav", 250},     {"wildwest/Punch.wav", 250},
                {"wildwest/KnockOut.wav", 1200}, {"wildwest/BrokToof.wav", 1200}, {"wildwest/dryfire.wav", 150},
                {"wildwest/PFire.wav", 300},     {"wildwest/ShDraw.wav", 150},    {"wildwest/ShGun.wav", 200},
                {"wildwest/FistSwng.wav", 250},  {"wildwest/ScanHrse.wav", 60},   {"wildwest/ScanAmmo.wav", 60},
                {"wildwest/ScanDoor.wav", 60},   {"wildwest/ScanBS.wav", 60},
            },
            {"wildwest/intro.wav", "wildwest/PFire.wav", "wildwest/gunfight.wav", "wildwest/jail.wav",
             "wildwest/ShHit.wav", "sounds/BLaunch.wav"}};
}

long Played(const std::vector<std::string>& played, const std::string& label) {
    return long(std::count(played.begin(), played.end(), label));
}

// The match ends at the fifth goal against.
void SoccerEnd(const std::vector<std::string>&) { EXPECT_EQ(soccer::Soccer.VisitorGoals, 5); }

// The last ball was lost, not left: busted or caught with no spare.
void HeistEnd(const std::vector<std::string>& played) {
    auto over = std::find(played.begin(), played.end(), "sounds/v_GOver.wav");
    auto last = std::find_if(std::make_reverse_iterator(over), played.rend(), [](const std::string& l) {
        return l == "heist/v_Busted.wav" || l == "heist/rbShotUp.wav" || l == "sounds/LReady.wav";
    });
    EXPECT_TRUE(last != played.rend() && *last != "sounds/LReady.wav");
    EXPECT_EQ(Played(played, "sounds/LReady.wav"), 3 + Game.ExtraBallLevel - 1);
}

// Every ball the rules do not take drains, and in accessible mode none does.
void HauntedEnd(const std::vector<std::string>& played) {
    if (GameMode == 0) {
        EXPECT_EQ(Played(played, "sounds/flush.wav"), 0);
    }
    EXPECT_EQ(Played(played, "sounds/flush.wav"),
              3 + Played(played, "Haunted/xtraball.wav") - Played(played, "Haunted/frankeat.wav") -
                  Played(played, "Haunted/loseball.wav") - Played(played, "Haunted/InFire.wav"));
}

}  // namespace

const std::string kZero = "sounds/numbers/zero.wav";

const TableCase kPacManCase{.name = "PacMan", .table = pacman::kTable, .sounds = PacManSounds,
                            .mapSource = "pacman/pacman.mapsrc", .extraBallVoice = "pacman/BonusLif.wav",
                            .statusWords = {"pacman/v_NOTC.wav", kZero, "pacman/v_Tables.wav"},
                            .keepsScoreOnEscape = true, .escapeAtMs = 5000};
const TableCase kSoccerCase{
    .name = "SoccerStar", .table = soccer::kTable, .sounds = SoccerSounds, .mapSource = "soccer/soccer.mapsrc",
    .extraBallVoice = "soccer/extraball.wav",
    .doubleScore = [] { soccer::Soccer.Multiplier = 2; return 1; },  // the extra ball's points stay plain
    .statusWords = {"soccer/vNOGSBHT.wav", kZero, "soccer/v_Goals.wav", "soccer/v_NOGSBV.wav", kZero,
                    "soccer/v_Goals.wav"},
    .countsBallInPlay = false, .checkEnd = SoccerEnd};
const TableCase kHeistCase{.name = "Heist", .table = heist::kTable, .sounds = HeistSounds,
                           .mapSource = "heist/heist.mapsrc", .extraBallVoice = "heist/xtraball.wav",
                           .extraBallEvery = 20000000, .doubleScore = [] { heist::Heist.Multiplier = 2; return 2; },
                           .checkEnd = HeistEnd, .flipperPanLeft = -3200};
const TableCase kSafariCase{.name = "Safari", .table = safari::kTable, .sounds = SafariSounds,
                            .mapSource = "safari/safari.mapsrc", .extraBallVoice = "Safari/xtraball.wav"};
const TableCase kHauntedCase{.name = "HauntedHouse", .table = haunted::kTable, .sounds = HauntedSounds,
                             .mapSource = "haunted/haunted.mapsrc", .extraBallVoice = "Haunted/xtraball.wav",
                             .doubleScore = [] { haunted::House.Multiplier = 2; return 2; }, .checkEnd = HauntedEnd};
const TableCase kWildWestCase{.name = "WildWest", .table = wildwest::kTable, .sounds = WildWestSounds,
                              .mapSource = "wildwest/wildwest.mapsrc", .extraBallVoice = "wildwest/XBall.wav",
                              .doubleScore = [] { wildwest::Town.Multiplier = 2; return 2; },
                              .ballPanScale = 200};
const TableCase* const kEveryTable[6] = {&kPacManCase, &kSoccerCase, &kHeistCase,
                                         &kSafariCase, &kHauntedCase, &kWildWestCase};

}  // namespace tamblor::test
