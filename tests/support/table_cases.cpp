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
    return StandIns("pacman", {
        {"strtmuse", 2000}, {"Siren", 1000}, {"EatDot", 80}, {"GhostRun", 1000}, {"EatFrGR", 300},
        {"EatFrS", 300}, {"Swoosh", 300}, {"lvlMusic", 2500}, {"FruitPr", 500}, {"ghostrtn", 500},
        {"ScanGhst", 60}, {"ScanFrt", 60}, {"ScanPUp", 60}, {"ScanTunl", 60}, {"powerup", 800},
        {"eatghost", 600}, {"pacdie", 1500}, {"BonusLif", 900}, {"TableCom", 1200}, {"v_NOTC", 500},
        {"v_Table", 300}, {"v_Tables", 300},
    }, {"strtmuse", "sounds/BLaunch.wav"});
}

StandInSounds SoccerSounds() {
    return StandIns("soccer", {
        {"crowd", 3000}, {"Chant", 2000}, {"MFMusic", 4000}, {"BlokBeep", 300}, {"Kick01", 80},
        {"Kick02", 80}, {"Kick03", 80}, {"Kick04", 80}, {"BallKick", 120}, {"DblScore", 250},
        {"BlokGoal", 200}, {"ScanDfnd", 60}, {"ScanDblS", 60}, {"ScanMidf", 60}, {"ScanNet", 60},
        {"ScanSpll", 60}, {"ScanFlip", 60}, {"GHitVist", 400}, {"gohorn", 1500}, {"GameWon", 2000},
        {"GameLost", 2000}, {"v_Midf", 900}, {"extraball", 700}, {"v_KckOff", 2500}, {"GVisitor", 1200},
        {"GKckMiss", 900}, {"v_OTKO", 900}, {"Saved", 500}, {"goalhome", 1200}, {"v_PassBl", 800},
        {"v_PassGd", 600}, {"v_SMode", 3000}, {"GKckGood", 1300}, {"GKickBad", 1000}, {"v_DblScr", 600},
        {"v_OffSid", 500}, {"v_TIBHT", 900}, {"v_TIBV", 900}, {"v_YCard", 600}, {"v_RCard1", 1200},
        {"v_RCard2", 1200}, {"v_TGWT", 1000}, {"S", 300}, {"A", 300}, {"V", 300}, {"E", 300}, {"G", 300},
        {"O", 300}, {"L", 300}, {"v_d0", 700}, {"v_d1", 800}, {"v_d2", 600}, {"v_d3", 800}, {"v_d4", 700},
        {"vNOGSBHT", 900}, {"v_Goal", 300}, {"v_Goals", 300}, {"v_NOGSBV", 900}, {"v_TGWWB", 800},
        {"v_HomeTm", 500}, {"v_Vistrs", 500}, {"sounds/ScanWait.wav", 1000}, {"sounds/SpellSw.wav", 150},
    }, {});
}

StandInSounds HeistSounds() {
    StandInSounds s = StandIns("heist", {
        {"intro", 3000}, {"LvlMusic", 17000}, {"Chase", 2000}, {"invalid", 300}, {"SB01", 150}, {"SB02", 150},
        {"SB03", 150}, {"ScanSB", 60}, {"ScanChse", 130}, {"ScanBnus", 110}, {"ScanJ", 120}, {"ScanO", 120},
        {"ScanB", 120}, {"ScanS", 120}, {"xtraball", 900}, {"v_J", 300}, {"v_O", 300}, {"v_B", 300},
        {"v_JS", 1800}, {"jobfail", 1500}, {"rbBusted", 1300}, {"rbShotUp", 2000}, {"v_Busted", 700},
        {"scorebox", 800}, {"pu_vest", 800}, {"pu_mace", 500}, {"pu_pistl", 500}, {"pu_shtgn", 600},
        {"pu_9mm", 800}, {"C1", 3500}, {"C2", 3800}, {"C3", 3900}, {"C4", 3500}, {"j1", 1500}, {"j2", 1600},
        {"j3", 1700}, {"j4", 1800}, {"sounds/bumper2.wav", 200}, {"sounds/SpellSw.wav", 300},
    }, {"intro", "LvlMusic", "Chase", "C1", "C2", "C3", "C4", "j1", "j2", "j3", "j4", "sounds/BLaunch.wav"});
    for (int n = 1; n <= 9; ++n) s.lengthsMs["heist/SE0" + std::to_string(n) + ".wav"] = 500;
    return s;
}

StandInSounds SafariSounds() {
    return StandIns("Safari", {
        {"safari/intro.wav", 3000}, {"LvlMusic", 3000}, {"HuntAmb", 3000}, {"water1", 300}, {"water2", 300},
        {"water3", 300}, {"Sand1", 250}, {"Sand2", 250}, {"Sand3", 250}, {"Amb1", 900}, {"Amb2", 900},
        {"Amb3", 900}, {"Amb4", 900}, {"Amb5", 900}, {"Swing", 300}, {"Snake1", 600}, {"Snake2", 600},
        {"Hiss", 600}, {"FootLeft", 120}, {"FootRite", 120}, {"SwimLeft", 150}, {"SwimRite", 150},
        {"ScanS", 120}, {"ScanA", 120}, {"ScanF", 120}, {"ScanR", 120}, {"ScanI", 120}, {"ScanSand", 60},
        {"ScanCat", 400}, {"ScanHawk", 400}, {"ScanHipo", 400}, {"scanelep", 400}, {"ScanBoar", 400},
        {"Shoot", 300}, {"StepLeft", 150}, {"steprite", 150}, {"DryFire", 80}, {"Enter", 400},
        {"bodydrop", 700}, {"v_S", 400}, {"v_A", 400}, {"v_F", 400}, {"v_R", 400}, {"v_I", 400},
        {"v_Safari", 4500}, {"submerge", 2200}, {"Drowning", 900}, {"WEscape", 1200}, {"quiksand", 1500},
        {"AcidDeath", 1800}, {"SnakeDth", 2000}, {"SnakBite", 2500}, {"CougarCh", 2500}, {"CougarEt", 1200},
        {"Breath", 1500}, {"xtraball", 700}, {"safari/v_Bagged.wav", 500}, {"safari/V1.wav", 300},
        {"safari/V2.wav", 300}, {"safari/V3.wav", 300}, {"safari/V4.wav", 300}, {"safari/V5.wav", 300},
        {"safari/v_Animal.wav", 400}, {"safari/v_Animls.wav", 400}, {"safari/v_NoAn.wav", 1000},
        {"safari/JolyRnch.wav", 3500},
    }, {"safari/intro.wav", "sounds/BLaunch.wav"});
}

StandInSounds HauntedSounds() {
    return StandIns("Haunted", {
        {"haunted/intro.wav", 2000}, {"lvlmusic", 3000}, {"GraveAmb", 4000}, {"fireloop", 1000},
        {"franken", 1000}, {"ScanSton", 60}, {"Throw", 100}, {"ScanG", 200}, {"ScanR", 200}, {"ScanA", 200},
        {"ScanV", 200}, {"ScanE", 200}, {"ScanGlas", 100}, {"scancrk", 100}, {"Gusts", 3000},
        {"StoneDwn", 400}, {"ShutWind", 900}, {"v_Welc", 900}, {"itsalive", 1200}, {"frankeat", 1300},
        {"loseball", 1200}, {"windamb", 1400}, {"fireout", 900}, {"InFire", 1000}, {"ignite", 900},
        {"v_G", 300}, {"v_R", 300}, {"v_A", 300}, {"v_V", 300}, {"v_E", 300}, {"v_Tombs", 3000},
        {"v_NoStns", 900}, {"allstone", 1500}, {"xtraball", 600}, {"V1", 300}, {"V2", 300}, {"V3", 300},
        {"V4", 300}, {"V5", 300}, {"V6", 300}, {"v_stone", 600}, {"v_Stones", 600},
    }, {"haunted/intro.wav", "lvlmusic", "GraveAmb", "ShutWind", "sounds/BLaunch.wav"});
}

StandInSounds WildWestSounds() {
    return StandIns("wildwest", {
        {"intro", 3000}, {"PianoLp", 2000}, {"lvlAmb", 3000}, {"PianoAmb", 2500}, {"SEntry", 900},
        {"DrnkBeer", 1200}, {"EThrowGS", 1200}, {"ENormGS", 1200}, {"EGStore", 800}, {"Blksmith", 1000},
        {"ammo", 600}, {"thieves", 1500}, {"hung", 1500}, {"XBall", 900}, {"gunfight", 1200}, {"jail", 1500},
        {"ShHit", 800}, {"PShot", 900}, {"WhoopAss", 1000}, {"block", 250}, {"Punch", 250},
        {"KnockOut", 1200}, {"BrokToof", 1200}, {"dryfire", 150}, {"PFire", 300}, {"ShDraw", 150},
        {"ShGun", 200}, {"FistSwng", 250}, {"ScanHrse", 60}, {"ScanAmmo", 60}, {"ScanDoor", 60},
        {"ScanBS", 60},
    }, {"intro", "PFire", "gunfight", "jail", "ShHit", "sounds/BLaunch.wav"});
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
