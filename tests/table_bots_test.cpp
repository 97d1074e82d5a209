// Many seeded games of each table played by a listening bot in virtual
// time, in each game mode the table plays differently: every event of the
// table must be reached, no ball may roll on for long without progress, and
// none may escape the field. Each table's bot listens for its own cues; the
// table of cases at the end says how many games each plays and what they
// must reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "core/keyboard.h"
#include "core/settings.h"
#include "support/table_bot.h"
#include "support/table_fixture.h"
#include "table/ball.h"
#include "table/table.h"
#include "table/table_map.h"
#include "tables/haunted/haunted.h"
#include "tables/heist/heist.h"
#include "tables/pacman/pacman.h"
#include "tables/safari/safari.h"
#include "tables/soccer/soccer.h"
#include "tables/wildwest/wildwest.h"

namespace tamblor::test {
namespace {

// ------------------------------------------------------------- Pac Man ---

// The power loop, the fruit, the holes, the tunnels, and the siren's last
// pitch step, which says few dots are left.
class PacManBot : public TableBot {
public:
    PacManBot(ScriptedPlatform& platform, BotFigures& figures) : TableBot(platform, figures) {
        cues_.events = InFolder("pacman", {{"EatDot", "dot"}, {"sounds/bumper1.wav", "bumper"},
                                           {"eatghost", "ghost eaten"}, {"pacdie", "ghost took the ball"},
                                           {"EatFrS", "fruit eaten"}, {"EatFrGR", "fruit eaten"}});
        cues_.idle = {"pill ", "left tunnel", "right tunnel", "extra ball"};
        cues_.heard = {"left tunnel", "right tunnel", "top hole", "bottom hole", "table completed by its last dot",
                       "table skipped", "pill 1", "pill 2", "pill 3", "pill 4"};
        cues_.scanCues = InFolder("pacman", {"ScanGhst", "ScanFrt", "ScanPUp", "ScanTunl"});
        cues_.targets = {{"pacman/ScanGhst.wav", "ghost eaten"}, {"pacman/ScanFrt.wav", "fruit eaten"},
                         {"pacman/ScanPUp.wav", "pill"}};
        cues_.numbered = {{"pacman/powerup.wav", "pill"}};
    }

protected:
    bool Hear(const SoundEvent& e) override {
        const std::string& l = e.label;
        const bool started = Started(e);
        FollowLoop(e, "pacman/GhostRun.wav", power_);
        if (l == "pacman/Swoosh.wav" && e.op == "pan") Count(e.value < 0 ? "left tunnel" : "right tunnel");
        if (l == "pacman/Siren.wav" && e.op == "frequency") {
            if (e.value == 30050 && !tenLeft_) {
                // Ten dots or fewer: skip soon, or go for the last dot and
                // skip only if it takes too long.
                tenLeft_ = true;
                skipAt_ = Now() + uint64_t(Chance(0.4) ? Uniform(2000, 10000) : 400000);
            } else if (e.value == 22050) {
                tenLeft_ = false;
                skipAt_ = 0;
            }
        }
        if (!started) return false;
        if (l == "pacman/pacdie.wav") power_ = false;
        if (l == "pacman/pacdie.wav" || l == "pacman/EatFrS.wav" || l == "pacman/EatFrGR.wav") fruitUntil_ = 0;
        if (l == "pacman/FruitPr.wav") fruitUntil_ = Now() + 20000;
        if (l == "pacman/TableCom.wav") {
            // Read from the game, for the report only: was it the last dot?
            Count(pacman::PacMan.DotsLeft <= 1 && skipAt_ != 1 ? "table completed by its last dot" : "table skipped");
            tenLeft_ = power_ = false;
            skipAt_ = 0;
        }
        if (!inScan_ && (l == "sounds/ScanBeep.wav" || l.rfind("pacman/Scan", 0) == 0 || l == "sounds/ScanTrig.wav"))
            Count(Ball.Y < 25 ? "top hole" : "bottom hole");
        return false;
    }

    std::string ChooseTarget() override {
        // What a player would go for: ghosts while the power loop runs, a
        // fruit heard appearing, else a pill, a tunnel, a bumper, or anywhere.
        if (power_) return "pacman/ScanGhst.wav";
        if (fruitUntil_ > Now() + 3000 && Chance(0.8)) return "pacman/ScanFrt.wav";
        int r = Uniform(0, 99);
        return r < 40 ? "pacman/ScanPUp.wav" : r < 60 ? "pacman/ScanTunl.wav" : r < 70 ? "sounds/ScanTrig.wav" : "";
    }

    bool Move(uint64_t now) override {
        if (skipAt_ <= 1 || now < skipAt_) return false;
        Tap(0, scan::Space, 60);
        skipAt_ = 1;  // sent: a completion now is a skip
        busyUntil_ = now + 500;
        return true;
    }

private:
    bool power_ = false, tenLeft_ = false;
    uint64_t fruitUntil_ = 0, skipAt_ = 0;
};

// --------------------------------------------------------- Soccer Star ---

// The kick-off and striker aims (a side chosen as the wait loop starts;
// the striker goes for the middle, where the net is, or a fallen
// defender), the block warning, and what some sounds mean on this table.
class SoccerBot : public TableBot {
public:
    SoccerBot(ScriptedPlatform& platform, BotFigures& figures) : TableBot(platform, figures) {
        cues_.events = InFolder("soccer", {
            {"GVisitor", "goal scored"}, {"GKckMiss", "shot missed"}, {"goalhome", "goal against"},
            {"Saved", "goal saved"}, {"BlokGoal", "block used"}, {"v_SMode", "SAVE completed"},
            {"sounds/SpellSw.wav", "letter"}, {"DblScore", "double-score target"}, {"v_DblScr", "double score started"},
            {"v_OffSid", "offside"}, {"v_YCard", "yellow card"}, {"v_RCard1", "red card"}, {"v_RCard2", "red card"},
            {"v_Midf", "midfield opened"}, {"sounds/bumper1.wav", "bumper"}, {"GameWon", "match won"},
            {"GameLost", "match lost"}, {"v_TGWT", "match tied"}, {"GKckGood", "penalty kick"},
            {"GKickBad", "penalty kick"}, {"v_d0", "defender 0 down"}, {"v_d1", "defender 1 down"},
            {"v_d2", "defender 2 down"}, {"v_d3", "defender 3 down"}, {"v_d4", "defender 4 down"}});
        cues_.notCellEvents = {"block used", "match won", "match lost", "match tied", "midfield opened",
                               "midfield closed", "double score ended", "kick-off shot", "striker shot"};
        cues_.idle = {"block used", "double score ", "yellow card", "red card", "midfield", "match ", "extra ball"};
        cues_.heard = {"double score ended", "midfield closed", "striker shot", "kick-off shot", "home goal kick",
                       "visitors' goal kick"};
        cues_.scanCues = InFolder("soccer", {"ScanDfnd", "ScanDblS", "ScanMidf", "ScanNet", "ScanSpll", "ScanFlip"});
    }

protected:
    bool Hear(const SoundEvent& e) override {
        const std::string& l = e.label;
        const bool started = Started(e);
        if (l == "sounds/ScanWait.wav" && e.op == "loop") {
            // Read from the game, for the bot's choice only: which aim is this?
            striker_ = soccer::Soccer.StrikerAim;
            aimingMiddle_ = striker_ && Chance(0.6);
            Tap(uint64_t(Uniform(200, 1500)), RandomShift(), 40);
            return true;
        }
        if (l == "sounds/ScanBeep.wav" && e.op == "pan") lastBeepPan_ = e.value;
        if (l == "sounds/ScanBeep.wav" && started && aimingMiddle_ && lastBeepPan_ >= -100 && lastBeepPan_ <= 0) {
            aimingMiddle_ = false;
            Fire();
        }
        // The bot hears the block warning in time 85 times in a hundred.
        if (l == "soccer/BlokBeep.wav" && e.op == "loop" && Chance(0.85)) Tap(uint64_t(Uniform(30, 250)), scan::Space);
        if (l == "sounds/ball.wav" && e.op == "loop" && inScan_) Count(striker_ ? "striker shot" : "kick-off shot");
        // Read from the game, for the report only: did the double score or the midfield end?
        if (FollowLoop(e, "soccer/Chant.wav", chant_) && soccer::Soccer.Multiplier == 1)
            Count("double score ended");
        if (FollowLoop(e, "soccer/MFMusic.wav", music_) && !soccer::Soccer.MidfieldOpen)
            Count("midfield closed");
        if (started && l == "soccer/GHitVist.wav") afterDefender_ = true;
        if (started && l == "soccer/BallKick.wav") {
            if (!afterDefender_) Count(Ball.Y > 25 ? "home goal kick" : "visitors' goal kick");
            afterDefender_ = false;
        }
        return false;
    }

    std::string ChooseTarget() override {
        if (striker_) {
            if (aimingMiddle_) return "-";  // nothing but the middle
            return Chance(0.6) ? "soccer/ScanNet.wav" : Chance(0.5) ? "soccer/ScanDfnd.wav" : "";
        }
        const int r = Uniform(0, 99);
        return r < 35 ? "soccer/ScanFlip.wav" : r < 60 ? "soccer/ScanSpll.wav" : r < 75 ? "soccer/ScanDblS.wav"
               : r < 85 ? "soccer/ScanDfnd.wav" : "";
    }

private:
    bool chant_ = false, music_ = false, striker_ = false, aimingMiddle_ = false, afterDefender_ = false;
    int64_t lastBeepPan_ = 0;
};

// --------------------------------------------------------------- Heist ---

// The letters lit so far, the job the briefing named and its time, and the
// chase; at a launcher it wants the cue of the job's letter, the next
// letter, or in a chase the box or the bonus.
class HeistBot : public TableBot {
public:
    HeistBot(ScriptedPlatform& platform, BotFigures& figures) : TableBot(platform, figures) {
        cues_.events = InFolder("heist", {
            {"v_J", "letter"}, {"v_O", "letter"}, {"v_B", "letter"}, {"v_JS", "JOBS spelt"}, {"jobfail", "job missed"},
            {"Chase", "chase started"}, {"rbBusted", "ball lost to the police"},
            {"rbShotUp", "ball lost to the police"}, {"v_Busted", "busted"}, {"scorebox", "score box entered"},
            {"SB01", "score box floor"}, {"SB02", "score box floor"}, {"SB03", "score box floor"},
            {"pu_vest", "power-up F"}, {"pu_mace", "power-up G"}, {"pu_pistl", "power-up H"},
            {"pu_shtgn", "power-up I"}, {"pu_9mm", "power-up J"}, {"j1", "job 1 done"}, {"j2", "job 2 done"},
            {"j3", "job 3 done"}, {"j4", "job 4 done"}});
        for (char n = '1'; n <= '9'; ++n) cues_.events[std::string("heist/SE0") + n + ".wav"] = "effect spot";
        cues_.idle = {"chase ", "effect spot", "left launcher", "right launcher", "score box left"};
        cues_.heard = {"jackpot", "left launcher fired", "right launcher fired", "shot", "chase survived",
                       "score box left"};
        cues_.scanCues = InFolder("heist", {"ScanSB", "ScanChse", "ScanBnus", "ScanJ", "ScanO", "ScanB", "ScanS"});
        cues_.fireBothShifts = true;  // either launcher takes its own
    }

protected:
    bool Hear(const SoundEvent& e) override {
        const std::string& l = e.label;
        WatchTheGame();
        if (l == "sounds/ball.wav" && e.op == "loop" && inScan_) {
            // Read from the game, for the report only: which launcher it was.
            Count(Ball.X < 25 ? "left launcher fired" : "right launcher fired");
            Count("shot");
            return false;
        }
        if (!Started(e)) return false;
        // The jackpot says the job voices (heist/j1.wav ...) of its number.
        // Read from the game, for the report only: which of the two it was.
        if (l.rfind("heist/j", 0) == 0 && l.size() == 12 && BallCell().Code == heist::code::Jackpot) {
            Count("jackpot");
            return true;
        }
        if (l == "heist/v_J.wav") lit_ = 1;
        else if (l == "heist/v_O.wav") lit_ = 2;
        else if (l == "heist/v_B.wav") lit_ = 3;
        else if (l == "heist/v_JS.wav") lit_ = 0;
        else if (l.rfind("heist/C", 0) == 0 && l.size() == 12) {
            job_ = l[7] - '0';
            jobUntil_ = Now() + 15000;
        } else if (l.rfind("heist/j", 0) == 0) {  // a job done, or heist/jobfail.wav
            job_ = 0;
        }
        if (l == "heist/Chase.wav") chaseFrom_ = Now();
        if (l == "heist/rbBusted.wav" || l == "heist/rbShotUp.wav" || l == "heist/v_Busted.wav" ||
            l == "sounds/tilt.wav") {
            chaseFrom_ = 0;
            lit_ = job_ = 0;
            inBox_ = false;
        }
        return false;
    }

    std::string ChooseTarget() override {
        const char* letters[] = {"heist/ScanJ.wav", "heist/ScanO.wav", "heist/ScanB.wav", "heist/ScanS.wav"};
        const int r = Uniform(0, 99);
        if (job_ && Now() < jobUntil_) return letters[job_ - 1];
        if (chaseFrom_) return r < 50 ? "heist/ScanBnus.wav" : r < 80 ? "heist/ScanSB.wav" : "";
        if (r < 65) return letters[lit_];
        return r < 80 ? "heist/ScanSB.wav" : r < 90 ? "heist/ScanBnus.wav" : "";
    }

    bool Move(uint64_t) override {
        WatchTheGame();
        return false;
    }

private:
    void WatchTheGame() {
        if (chaseFrom_ && Now() > chaseFrom_ + 15000 + 200) {  // the chase's 15 s, and a little
            Count("chase survived");
            chaseFrom_ = 0;
        }
        // Read from the game, for the report only: a ball the box let go.
        if (inBox_ && !heist::Heist.InScoreBox) Count("score box left");
        inBox_ = heist::Heist.InScoreBox;
    }

    int lit_ = 0, job_ = 0;
    uint64_t jobUntil_ = 0, chaseFrom_ = 0;
    bool inBox_ = false;
};

// -------------------------------------------------------------- Safari ---

constexpr uint64_t kSafariVoiceMs = 2600;  // the chase and the swim start when their warning has been said

// The chase, the swim, the letters spelt so far and the hunt.
class SafariBot : public TableBot {
public:
    SafariBot(ScriptedPlatform& platform, BotFigures& figures) : TableBot(platform, figures) {
        cues_.events = InFolder("Safari", {
            {"sounds/bumper1.wav", "bumper"}, {"sounds/Bell.wav", "bell kicker"},
            {"sounds/MultiHit.wav", "multi-hit kicker"}, {"Drowning", "drowned"}, {"WEscape", "swam out"},
            {"quiksand", "quicksand"}, {"AcidDeath", "acid pool"}, {"SnakeDth", "snake kill"},
            {"SnakBite", "snake bite"}, {"Breath", "cougar outrun"}, {"CougarEt", "cougar ate the ball"},
            {"v_S", "letter 1 S"}, {"v_F", "letter 3 F"}, {"v_R", "letter 5 R"}, {"v_I", "letter 6 I"},
            {"v_Safari", "hunt opened"}, {"Shoot", "shot fired"}, {"bodydrop", "animal shot"},
            {"safari/JolyRnch.wav", "all five animals"}, {"Enter", "entry gate"}});
        cues_.flipChance = 0.85;
        // The drain's scan: a shot two positions late, as a player's reaction
        // is (the shot's correction turns it back onto the cue).
        cues_.sideShotLateMs = 265;
        cues_.idle = {"all five animals", "entry gate", "miss", "rounds run out", "drain saved"};
        cues_.heard = {"letter 2 A", "letter 4 A", "miss", "rounds run out"};
        cues_.scanCues = InFolder("Safari", {"ScanS", "ScanA", "ScanF", "ScanR", "ScanI", "ScanSand", "ScanCat",
                                             "ScanHawk", "ScanHipo", "scanelep", "ScanBoar"});
    }

protected:
    bool Hear(const SoundEvent& e) override {
        const std::string& l = e.label;
        const bool started = Started(e);
        if (hunting_ && !choosingSide_ && started && Contains(cues_.scanCues, l)) {
            // The rifle: fire at an animal's call, or soon at anything,
            // and keep pulling the trigger when the rounds are gone.
            if (!inScan_) {
                inScan_ = true;
                sweepFired_ = false;
                huntFallbackAt_ = Now() + uint64_t(Uniform(300, 3000));
            }
            const bool call = l != "sounds/ScanBeep.wav";
            if (!sweepFired_ && ((call && Chance(0.8)) || Now() > huntFallbackAt_)) {
                Tap(3, RandomShift(), 40);
                sweepFired_ = true;
                huntFallbackAt_ = Now() + 600;
            } else if (sweepFired_ && Now() > huntFallbackAt_) {
                sweepFired_ = false;  // the trigger was pulled on an empty rifle
            }
            return true;
        }
        if (!started) return false;
        if (l == "Safari/DryFire.wav" && !dryFired_) Count("rounds run out");  // once a hunt: it clicks every poll
        if (l == "Safari/CougarCh.wav" || l == "Safari/submerge.wav") {
            // Run (alternate Shifts) or swim (Space): a quick rhythm
            // mostly, a lazy one now and then.
            const bool run = l == "Safari/CougarCh.wav";
            const int presses = Chance(0.7) ? Uniform(40, run ? 64 : 70) : Uniform(run ? 4 : 3, run ? 25 : 22);
            const uint64_t every = 7000 / uint64_t(presses);
            for (int i = 0; i < presses; ++i)
                Tap(kSafariVoiceMs + uint64_t(i) * every,
                    !run ? scan::Space : i % 2 ? scan::RightShift : scan::LeftShift, every / 2);
            busyUntil_ = Now() + kSafariVoiceMs + 9000;
        }
        if (l == "Safari/v_S.wav" || l == "Safari/v_F.wav" || l == "Safari/v_R.wav")
            spelt_ = l[9] == 'S' ? 1 : l[9] == 'F' ? 3 : 5;
        if (l == "Safari/v_A.wav") {
            Count(spelt_ < 2 ? "letter 2 A" : "letter 4 A");
            spelt_ = spelt_ < 2 ? 2 : 4;
        }
        if (l == "Safari/v_Safari.wav" || l == "sounds/LReady.wav") spelt_ = 0;
        if (l == "Safari/v_Safari.wav") hunting_ = true;
        // A shot that bagged nothing before the next one, the hunt's end or a lost ball missed.
        const bool over = l == "safari/v_NoAn.wav" || l == "safari/v_Bagged.wav" || l == "sounds/LReady.wav";
        if (shotPending_ && (over || l == "Safari/Shoot.wav")) Count("miss");
        if (l == "Safari/Shoot.wav" || l == "Safari/bodydrop.wav") shotPending_ = l == "Safari/Shoot.wav";
        if (l == "Safari/DryFire.wav") dryFired_ = true;
        if (over) shotPending_ = hunting_ = dryFired_ = false;
        return false;
    }

    std::string ChooseTarget() override {
        if (hunting_) {
            static const char* const calls[] = {"Safari/ScanCat.wav", "Safari/ScanHawk.wav", "Safari/ScanHipo.wav",
                                                "Safari/scanelep.wav", "Safari/ScanBoar.wav"};
            return Chance(0.85) ? calls[Uniform(0, 4)] : "";
        }
        // The next letter of the word, mostly; now and then a bumper or anywhere.
        static const char* const letters[] = {"Safari/ScanS.wav", "Safari/ScanA.wav", "Safari/ScanF.wav",
                                              "Safari/ScanA.wav", "Safari/ScanR.wav", "Safari/ScanI.wav"};
        const int r = Uniform(0, 99);
        return r < 75 ? letters[spelt_ % 6] : r < 85 ? "sounds/ScanTrig.wav" : "";
    }

private:
    int spelt_ = 0;
    bool hunting_ = false, shotPending_ = false;
    uint64_t huntFallbackAt_ = 0;
    bool sweepFired_ = false, dryFired_ = false;
};

// ------------------------------------------------------- Haunted House ---

const char* const kGrave = "GRAVE";

// At the drain as every bot plays it; in aim scans for the next letter of
// GRAVE, and in the tomb a throw as most gravestones sound.
class HauntedBot : public TableBot {
public:
    HauntedBot(ScriptedPlatform& platform, BotFigures& figures) : TableBot(platform, figures) {
        cues_.events = InFolder("Haunted", {
            {"sounds/bumper1.wav", "bumper"}, {"sounds/bumper2.wav", "hard wall"}, {"itsalive", "monster woken"},
            {"frankeat", "ball grabbed"}, {"windamb", "wind raised"}, {"loseball", "grave trap"},
            {"ignite", "fire lit"}, {"InFire", "ball burnt"}, {"Creak", "spooky creak"}, {"v_Tombs", "tomb mode"},
            {"allstone", "tomb mode with all six stones down"}, {"v_NoStns", "tomb mode with fewer stones down"}});
        for (int i = 1; i <= 9; ++i) {
            if (i <= 8) cues_.events["Haunted/SE0" + std::to_string(i) + ".wav"] = "spooky effect";
            cues_.events["Haunted/LE0" + std::to_string(i) + ".wav"] = "spooky zone that pays";
            if (i <= 3) cues_.events["Haunted/Glass" + std::to_string(i) + ".wav"] = "grave";
        }
        for (const char* c = kGrave; *c; ++c)
            cues_.events[std::string("Haunted/v_") + *c + ".wav"] = std::string("letter ") + *c;
        cues_.flipChance = 0.95;
        cues_.idle = {"hard wall", "spooky creak", "spooky effect", "tomb mode", "double score", "extra ball"};
        cues_.heard = {"double score"};
        cues_.scanCues = InFolder("Haunted", {"ScanG", "ScanR", "ScanA", "ScanV", "ScanE", "ScanGlas", "scancrk"});
    }

protected:
    bool Hear(const SoundEvent& e) override {
        const std::string& l = e.label;
        const bool started = Started(e);
        FollowLoop(e, "Haunted/franken.wav", monster_);
        if (tomb_) {
            if (started && l == "Haunted/ScanSton.wav" && Chance(0.93)) Tap(3, scan::RightShift, 30);
            if (started && (l == "sounds/ScanBeep.wav" || l == "Haunted/ScanSton.wav")) return true;
            if (started && (l.rfind("Haunted/V", 0) == 0 || l == "Haunted/v_NoStns.wav")) tomb_ = false;
            if (started && l.rfind("Haunted/V", 0) == 0 && l != "Haunted/V6.wav") Count("tomb mode with fewer stones down");
            return false;  // the report itself is counted by the core
        }
        if (!started) return false;
        if (l == "Haunted/v_Tombs.wav") tomb_ = true;
        if (l.rfind("Haunted/v_", 0) == 0 && l.size() == 15 && l[10] == kGrave[spelt_]) spelt_ = (spelt_ + 1) % 5;
        if (l == "sounds/LReady.wav") spelt_ = 0;
        if (monster_ && (l == "sounds/bumper1.wav" || l.rfind("Haunted/Glass", 0) == 0 ||
                         l.rfind("Haunted/LE0", 0) == 0 || l == "Haunted/ignite.wav"))
            Count("double score");
        return false;
    }

    std::string ChooseTarget() override {
        // The next letter mostly; else an untouched grave, a spooky zone, a bumper or anywhere.
        int r = Uniform(0, 99);
        if (r < 60) return std::string("Haunted/Scan") + kGrave[spelt_] + ".wav";
        return r < 75 ? "Haunted/ScanGlas.wav" : r < 85 ? "Haunted/scancrk.wav" : r < 90 ? "sounds/ScanTrig.wav" : "";
    }

private:
    int spelt_ = 0;
    bool monster_ = false, tomb_ = false;
};

// ----------------------------------------------------------- Wild West ---

TableBot* watching = nullptr;  // the bot playing now, for the watched cell handler

// At the drain as every bot plays it, the gun when the outlaw has drawn,
// and the fists on the swing's side and then the other.
class WildWestBot : public TableBot {
public:
    WildWestBot(ScriptedPlatform& platform, BotFigures& figures)
        : TableBot(platform, figures), blockMs_(kWildWestCase.sounds().lengthsMs.at("wildwest/block.wav")) {
        cues_.events = InFolder("wildwest", {
            {"SEntry", "saloon entered"}, {"DrnkBeer", "beer"}, {"KnockOut", "fist fight won"},
            {"BrokToof", "fist fight lost"}, {"EGStore", "store entered"}, {"ENormGS", "store paid"},
            {"Blksmith", "blacksmith"}, {"thieves", "thieves alerted"}, {"ShHit", "gunfight won"},
            {"PShot", "gunfight lost"}, {"hung", "hanged"}, {"jail", "jail"}, {"sounds/Bell.wav", "bell"}});
        cues_.flipChance = 0.85;
        cues_.idle = {"saloon", "store entered", "ammunition", "horse ", "left kicker", "right kicker"};
        cues_.heard = {"saloon left", "gunfight shot", "left kicker", "right kicker", "ammunition 0", "ammunition 1"};
        for (int horse = 0; horse < wildwest::kHorses; ++horse) cues_.heard.push_back("horse " + std::to_string(horse));
        cues_.scanCues = InFolder("wildwest", {"ScanHrse", "ScanAmmo", "ScanDoor", "ScanBS"});
        // Each box and each horse by its cell's number (a horse says one of horse1.wav, horse2.wav, ...).
        cues_.numbered = {{"wildwest/ammo.wav", "ammunition"}, {"wildwest/horse", "horse"}};
        watching = this;
    }

protected:
    bool Hear(const SoundEvent& e) override {
        const std::string& l = e.label;
        const bool started = Started(e);
        if (started && (l == "wildwest/DrnkBeer.wav" || l == "wildwest/WhoopAss.wav")) {
            Count("saloon left");
            fistFight_ = l == "wildwest/WhoopAss.wav";
        }
        if (started && (l == "wildwest/KnockOut.wav" || l == "wildwest/BrokToof.wav")) fistFight_ = false;
        if (started && l == "wildwest/gunfight.wav") {
            gunfight_ = true;
            lastBeep_ = gap_ = 0;
        }
        if (started && (l == "wildwest/ShHit.wav" || l == "wildwest/PShot.wav")) gunfight_ = false;
        if (gunfight_) return HearGunfight(e);
        return fistFight_ && HearFistFight(e);
    }

    std::string ChooseTarget() override {
        const char* const wanted[] = {"wildwest/ScanDoor.wav", "wildwest/ScanBS.wav", "wildwest/ScanAmmo.wav",
                                      "wildwest/ScanHrse.wav", "sounds/ScanTrig.wav", ""};
        return wanted[Uniform(0, 5)];
    }

private:
    // The gun sweeps a position every so many milliseconds; the outlaw is
    // hit one and two positions after the one where he draws.
    bool HearGunfight(const SoundEvent& e) {
        if (e.op != "play") return true;
        if (e.label == "sounds/ScanBeep.wav") {
            if (lastBeep_) gap_ = e.ms - lastBeep_;
            lastBeep_ = e.ms;
        } else if (e.label == "wildwest/ShDraw.wav" && gap_ && Chance(0.7)) {
            platform_.TapAt(e.ms + gap_ + gap_ / 2 + uint64_t(Uniform(-15, 15)), scan::RightShift, 20);
            Count("gunfight shot");
        }
        return true;
    }

    bool HearFistFight(const SoundEvent& e) {
        if (e.label == "wildwest/FistSwng.wav" && e.op == "pan") {
            const bool right = e.value > 0;
            punchKey_ = right ? scan::LeftShift : scan::RightShift;
            if (Chance(0.92)) platform_.TapAt(e.ms + uint64_t(Uniform(40, 170)), right ? scan::RightShift : scan::LeftShift, 30);
        } else if (e.label == "wildwest/block.wav" && e.op == "play" && Chance(0.95)) {
            platform_.TapAt(e.ms + blockMs_ + uint64_t(Uniform(30, 150)), punchKey_, 30);
        }
        return true;
    }

    uint32_t blockMs_;  // the punch comes once the block has been heard
    bool gunfight_ = false, fistFight_ = false;
    uint64_t lastBeep_ = 0, gap_ = 0;
    uint8_t punchKey_ = scan::RightShift;
};

// The town as the bot plays it: its own cell handler, watched for the
// kickers and the flipper, which make no sound of their own.
void WatchedWildWestCell() {
    const bool atFlipper = GameMode == 1 && BallCell().Code == wildwest::code::FlipperZone;
    wildwest::HandleCell();
    if (atFlipper) watching->Count("drain saved");  // a drained ball leaves before this
    if (Ball.Y == 39 && (Ball.X == 11 || Ball.X == 38)) watching->Count(Ball.X == 11 ? "left kicker" : "right kicker");
}

// ------------------------------------------------------ the cases ---

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // every step is slower: a few games, for memory faults more than coverage
#else
constexpr bool kSanitized = false;
#endif

// Games of one game mode: `games` of them, `sanitizedGames` under the
// sanitizers, or TAMBLOR_BOT_GAMES when set (a longer search for stuck balls
// after a map change); exactly one when `games` is 0. Seeded first, first +
// step, ...
struct BotRun {
    uint8_t mode;
    int games, sanitizedGames;
    uint64_t firstSeed, seedStep;
    const char* label;
    int Games() const {
        const char* asked = std::getenv("TAMBLOR_BOT_GAMES");
        if (!games) return 1;
        return asked && std::atoi(asked) > 0 ? std::atoi(asked) : kSanitized ? sanitizedGames : games;
    }
};
enum class Build { Any, Full, Sanitized };
// What the runs in `runs` (a mask: 1 the first, 2 the second, 3 either)
// must reach between them: `events`, with Every each event the bot counts
// too; with Never, none of `events`. Every game must end with its game over.
enum class Reach { Some, Every, Never };
struct BotExpect {
    unsigned runs;
    Build build;
    Reach reach;
    std::vector<std::string> events;
};
struct BotCase {
    const TableCase& table;
    std::unique_ptr<TableBot> (*bot)(ScriptedPlatform&, BotFigures&);
    uint64_t budgetMinutes;          // then the bot leaves with Escape
    uint64_t quietLimitMs;           // no cell event for this long fails too; 0: no limit
    uint32_t yieldStepMicros;        // the ball steps on the tick however often the loop yields; 0: as set
    std::vector<BotRun> runs;
    std::vector<BotExpect> expect;
    void (*watchCell)() = nullptr;   // the cell handler as the bot plays it
};

template <class Bot>
std::unique_ptr<TableBot> Make(ScriptedPlatform& platform, BotFigures& figures) {
    return std::make_unique<Bot>(platform, figures);
}

const BotCase kBotCases[] = {
    {kPacManCase, Make<PacManBot>, 15, 30000, 3125, {{0, 200, 12, 7001, 1, "pacman"}},
     {{1, Build::Any, Reach::Every, {"extra ball"}}}},
    {kSoccerCase, Make<SoccerBot>, 12, 30000, 8000, {{0, 200, 12, 11001, 1, "soccer"}},
     {{1, Build::Sanitized, Reach::Some, {"goal against", "home goal kick", "kick-off shot"}},
      {1, Build::Full, Reach::Every, {}}}},
    // The second run: a game whose ball once went round one closed path for 13 minutes.
    {kHeistCase, Make<HeistBot>, 15, 0, 3125,
     {{0, 200, 12, 9001, 1, "heist"}, {0, 0, 0, 9947, 1, "heist, the orbit of seed 9947"}},
     {{3, Build::Sanitized, Reach::Some, {"busted", "score box entered", "left launcher fired"}},
      {3, Build::Full, Reach::Every, {"extra ball"}}}},
    // Steps of 2 ms: still eight polls to the shortest key press the bot makes.
    {kSafariCase, Make<SafariBot>, 20, 0, 2000,
     {{0, 100, 8, 8101, 2, "accessible"}, {1, 100, 8, 8102, 2, "classic"}},
     {{3, Build::Any, Reach::Some, {"bumper", "bell kicker", "multi-hit kicker", "drowned", "swam out", "quicksand",
                                    "acid pool", "snake kill", "cougar outrun", "cougar ate the ball", "letter 1 S",
                                    "entry gate"}},
      // The hunt needs all six letters with one ball: the few games the
      // sanitizers leave time for rarely get there.
      {3, Build::Full, Reach::Every, {}},
      {2, Build::Any, Reach::Some, {"drain saved", "drained"}},
      {1, Build::Any, Reach::Some, {"drain shot"}}}},
    {kHauntedCase, Make<HauntedBot>, 15, 0, 0,
     {{1, 100, 4, 10001, 1, "classic"}, {0, 100, 4, 9001, 1, "accessible"}},
     {{1, Build::Full, Reach::Every, {"drain saved", "drained"}},
      {2, Build::Full, Reach::Every, {"drain shot"}},
      {2, Build::Full, Reach::Never, {"drained"}},
      {3, Build::Full, Reach::Some, {"extra ball"}}}},
    // The few games the sanitizers allow need not win a fist fight in each
    // mode; ten million points take a long game, so the extra ball is asked
    // of both modes together.
    {kWildWestCase, Make<WildWestBot>, 15, 0, 0,
     {{1, 100, 8, 10001, 1, "classic"}, {0, 100, 8, 9001, 1, "accessible"}},
     {{1, Build::Full, Reach::Every, {"drain saved"}},
      {2, Build::Full, Reach::Every, {"drain shot"}},
      {3, Build::Sanitized, Reach::Every, {"drain saved", "drain shot"}},
      {3, Build::Full, Reach::Some, {"extra ball"}}},
     WatchedWildWestCell},
};

double SecondsSince(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// Prints a run's figures, one line of figures and one of events, each
// beginning with "[ bot <label> ]".
void Report(const std::string& label, const BotFigures& f, double wallSeconds) {
    const std::string tag = "[ bot " + label + " ]";
    const int games = std::max(f.games, 1);
    std::cout << tag << " " << f.games << " games, " << wallSeconds << " s of wall time, average "
              << double(f.playMs) / games / 60000.0 << " game minutes and " << f.totalScore / games
              << " points; longest quiet roll " << f.longestQuietMs / 1000.0 << " s; longest roll without progress "
              << f.longestStallMs / 1000.0 << " s (seed " << f.longestStallSeed << ")";
    if (f.shotsAtTargets)
        std::cout << "; " << f.targetsReached << " of " << f.shotsAtTargets << " aimed shots reached their target ("
                  << 100.0 * f.targetsReached / f.shotsAtTargets << "%)";
    std::cout << "\n" << tag;
    for (const auto& [event, count] : f.events) std::cout << " " << event << ": " << count << ";";
    std::cout << std::endl;
}

class TableBots : public TableTest, public ::testing::WithParamInterface<BotCase> {
protected:
    TableBots() : TableTest(GetParam().table) {}
};

// The runs one after another. Each fails when a ball rolled on for more than
// three minutes without progress (or, when asked, `quietLimitMs` without any
// cell event); a game that never came back to the main menu fails them all.
// Every ball must stay on the field and, without the sanitizers, the runs
// must take less than two minutes of wall time.
TEST_P(TableBots, SeededGamesReachEveryEventWithNoStuckOrEscapedBall) {
    const BotCase& c = GetParam();
    TableDesc table = Table();
    if (c.watchCell) table.handleCell = c.watchCell;
    if (c.yieldStepMicros) platform.SetYieldStepMicros(c.yieldStepMicros);
    const uint32_t guardResets = FieldGuardResets;
    const auto started = std::chrono::steady_clock::now();
    std::vector<BotFigures> figures(c.runs.size());
    for (size_t i = 0; i < c.runs.size(); ++i) {
        const BotRun& r = c.runs[i];
        const auto from = std::chrono::steady_clock::now();
        const int games = r.Games();
        GameMode = r.mode;
        platform.SetTimeLimitMs(platform.NowMs() + uint64_t(games + 1) * 24 * 3600 * 1000);
        for (int game = 0; game < games; ++game) {
            const uint64_t seed = r.firstSeed + uint64_t(game) * r.seedStep;
            c.bot(platform, figures[i])->PlayGame(table, seed, c.budgetMinutes * 60 * 1000);  // a new player each game
        }
        Report(r.label, figures[i], SecondsSince(from));
        EXPECT_EQ(figures[i].events["game over"], games) << r.label;
        EXPECT_LE(figures[i].longestStallMs, 3 * 60 * 1000u) << r.label;
        if (c.quietLimitMs) {
            EXPECT_LE(figures[i].longestQuietMs, c.quietLimitMs) << r.label;
        }
    }
    EXPECT_EQ(FieldGuardResets, guardResets);
    if (!kSanitized) {
        EXPECT_LT(SecondsSince(started), 120);
    }
    BotFigures unused;
    const std::vector<std::string> every = c.bot(platform, unused)->EveryEvent();
    watching = nullptr;
    for (BotExpect e : c.expect) {
        if ((e.build == Build::Full && kSanitized) || (e.build == Build::Sanitized && !kSanitized)) continue;
        if (e.reach == Reach::Every) e.events.insert(e.events.end(), every.begin(), every.end());
        for (const std::string& event : e.events) {
            int reached = 0;
            for (size_t i = 0; i < c.runs.size(); ++i) reached += e.runs >> i & 1 ? figures[i].events[event] : 0;
            EXPECT_NE(reached > 0, e.reach == Reach::Never)
                << event << " reached " << reached << " times (runs " << e.runs << ")";
        }
    }
    // Where the bot aims at targets, a shot at a cue mostly reaches what it announced.
    for (const BotFigures& f : figures) EXPECT_GE(2 * f.targetsReached, kSanitized ? 0 : f.shotsAtTargets);
}

INSTANTIATE_TEST_SUITE_P(, TableBots, ::testing::ValuesIn(kBotCases),
                         [](const auto& info) { return std::string(info.param.table.name); });

}  // namespace
}  // namespace tamblor::test
