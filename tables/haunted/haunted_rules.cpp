// The Haunted House rules on top of the play engine: the laboratory and its
// monster, the graves and the wind, the fireplace, the spooky zones, the
// GRAVE letters and the tomb mode, the status report and the lost ball.
#include <algorithm>
#include <cstdint>
#include <span>

#include "audio/positional.h"
#include "core/keyboard.h"
#include "platform/platform.h"
#include "table/play.h"
#include "table/table.h"
#include "tables/haunted/haunted.h"
#include "tables/haunted/haunted_internal.h"

namespace tamblor::haunted {

namespace {

constexpr float kDropX = 25, kDropY = 25;  // where the monster and the wind put the ball
constexpr float kDropHeadingFrom = 72;     // then heading down, 72..88
constexpr float kDropHeadings = 16;
constexpr float kFireX = 25, kFireY = 35, kFireHeading = 80;
constexpr float kTombExitX = 25, kTombExitY = 45, kTombExitHeadings = 32;
constexpr int32_t kMonsterLeft = -10000, kMonsterRight = 10000;

constexpr double kGravePoints = 50000;
constexpr double kWindPoints = 200000;
constexpr double kFirePoints = 100000;
constexpr double kSpookyPoints = 20000;
constexpr double kLetterPoints = 40000;
constexpr double kStonePoints = 50000;
constexpr double kAllStonesPoints = 500000;
constexpr uint8_t kWindOnGrave = 6;  // the sixth grave since the last wind raises it

constexpr int kLastLetter = 5;  // E
constexpr const char* kLetterVoices[kLastLetter] = {"Haunted/v_G.wav", "Haunted/v_R.wav", "Haunted/v_A.wav",
                                                    "Haunted/v_V.wav", "Haunted/v_E.wav"};

constexpr int kStones = 6;
constexpr int kStoneSpacing = 16;  // stone k stands within 16k - 4 .. 16k + 4
constexpr int kStoneSpread = 8;
constexpr int kLaneLast = 100;  // the sweep's last position
constexpr int kThrowsAllowed = 6;
constexpr int32_t kLanePanPerPosition = 64;
constexpr int32_t kLanePanFrom = -3200;
constexpr uint32_t kLaneDwellMs = 120;
constexpr uint32_t kLaneDwellShortening = 5;  // per tomb mode played, down to 80 ms
constexpr uint8_t kLastTableLevel = 8;
constexpr const char* kKnockedVoices[kStones] = {"Haunted/V1.wav", "Haunted/V2.wav", "Haunted/V3.wav",
                                                 "Haunted/V4.wav", "Haunted/V5.wav", "Haunted/V6.wav"};

float DropHeading() { return float(DrawUpTo(kDropHeadings)) + kDropHeadingFrom; }

void WakeMonster(int32_t pan) {
    PlaySound("Haunted/itsalive.wav", 0, true);
    Sounds.Monster.SetPan(pan);
    Sounds.Monster.Play(true);
    House.MonsterAwake = true;
    House.MonsterTimer.Start();
    House.Multiplier = 2;
    House.InLab = false;
    PutBall(kDropX, kDropY, DropHeading());
}

void RaiseWind() {
    PlaySound("Haunted/windamb.wav", 0, true);
    if (House.FireBurning) {
        PlaySound("Haunted/fireout.wav", 0, true);
        PutOutFire();
    }
    Sounds.Gusts.Play(false);
    House.WindBlowing = true;
    House.WindTimer.Start();
    Score(kWindPoints);
    std::fill(std::begin(House.GraveTouched), std::end(House.GraveTouched), false);
    House.GravesTouched = 0;
    PutBall(kDropX, kDropY, DropHeading());
}

bool ShiftDown() { return FreshKeyDown(scan::LeftShift) || FreshKeyDown(scan::RightShift); }

int32_t LanePan(int p) { return p * kLanePanPerPosition + kLanePanFrom; }

void Throw(int p) {
    if (House.Throws < UINT8_MAX) ++House.Throws;
    if (House.Throws > kThrowsAllowed) return;
    Sounds.Throw.SetPan(LanePan(p));
    Sounds.Throw.Play(false);
    uint8_t* lane = House.StoneLane;
    if (!lane[p - 1] && !lane[p] && !lane[p + 1]) return;
    lane[p - 1] = lane[p] = lane[p + 1] = 0;
    PlaySound("Haunted/StoneDwn.wav", LanePan(p), true, SoundClass::Effects);
    Score(kStonePoints);
    ++House.StonesKnocked;
}

void ReportStones() {
    const int knocked = House.StonesKnocked;
    if (knocked == 0) {
        PlaySound("Haunted/v_NoStns.wav", 0, true);
        return;
    }
    PlaySound(kKnockedVoices[std::min(knocked, kStones) - 1], 0, true);
    PlaySound(knocked == 1 ? "Haunted/v_stone.wav" : "Haunted/v_Stones.wav", 0, true);
}

}  // namespace

void PutOutFire() {
    if (House.FireBurning) Sounds.FireLoop.Stop();
    House.FireBurning = false;
}

void SendMonsterToSleep() {
    if (House.MonsterAwake) Sounds.Monster.Stop();
    House.MonsterAwake = false;
    House.MonsterTimer.Stop();
}

void SilenceTheWind() {
    Sounds.Gusts.Stop();
    Sounds.GraveAmbience.Stop();
}

void BallLost() {
    sndBall.Stop();
    Sounds.Music.Stop();
    SilenceTheWind();
    if (House.MonsterAwake) Sounds.Monster.Stop();
    if (House.FireBurning) Sounds.FireLoop.Stop();
}

void Laboratory(const CellsAround& cells) {
    const CellRead &c = cells.C, &l = cells.L, &r = cells.R;
    if (c.code == code::LabFloor) House.InLab = true;
    if (l.code == code::Wall && l.number == kLeftDoor && !House.InLab) {
        PlaySound("Haunted/v_Welc.wav", 0, true);
        House.LabSide = 1;
        House.InLab = true;
        Ball.X -= 3;
    }
    if (r.code == code::Wall && r.number == kRightDoor && !House.InLab) {
        PlaySound("Haunted/v_Welc.wav", 0, true);
        House.LabSide = 2;
        House.InLab = true;
        Ball.X += 3;
    }
    if (l.code == code::Wall && l.number == kLeftSwitch && House.LabSide == 1 && House.InLab) WakeMonster(kMonsterLeft);
    if (r.code == code::Wall && r.number == kRightSwitch && House.LabSide == 2 && House.InLab)
        WakeMonster(kMonsterRight);
    if (c.code == code::Reach && House.MonsterAwake) {
        Sounds.Music.Stop();
        sndBall.Stop();
        SendMonsterToSleep();
        PutOutFire();
        PlaySound("Haunted/frankeat.wav", PanFor(Ball.X), true);
        LoseBall();
    }
}

void Grave(int grave) {
    if (House.WindBlowing) {
        PlaySound("Haunted/loseball.wav", 0, true);
        LoseBall();
    }
    if (House.GraveTouched[grave]) return;
    PlayAtBall(Sounds.Glass[DrawUpTo(2)]);
    PlayAtBall(Sounds.Wind[DrawUpTo(3)]);
    House.GraveTouched[grave] = true;
    if (House.GravesTouched + 1 == kWindOnGrave) {
        RaiseWind();
        return;
    }
    ++House.GravesTouched;
    Score(kGravePoints);
}

void Fireplace() {
    if (House.FireBurning) {
        PlaySound("Haunted/InFire.wav", 0, true);
        PutOutFire();
        LoseBall();
    }
    PlaySound("Haunted/ignite.wav", 0, true);
    Sounds.FireLoop.Play(true);
    PutBall(kFireX, kFireY, kFireHeading);
    House.FireBurning = true;
    Score(kFirePoints);
}

void SpookyZone(int kind) {
    switch (kind) {
    case 0: PlayAtBall(Sounds.Spooky[DrawUpTo(7)]); break;
    case 1: PlayAtBall(Sounds.Creak); break;
    case 2:
        PlayAtBall(Sounds.Paying[DrawUpTo(8)]);
        Score(kSpookyPoints);
        break;
    default: break;
    }
}

void Letter(int letter) {
    Randomize();
    if (letter >= 1 && letter <= kLastLetter && !House.LetterTaken[letter] && House.Spelling == letter - 1) {
        PlaySound(kLetterVoices[letter - 1], 0, true);
        PlayAtBall(sndSpellSw);
        if (letter < kLastLetter) {
            House.Spelling = uint8_t(letter);
            House.LetterTaken[letter] = true;
        } else {
            Sounds.Music.Stop();
            Sounds.FireLoop.Stop();
            SendMonsterToSleep();  // the multiplier stays as it is
            sndBall.Stop();
            PlaySound("Haunted/v_Tombs.wav", 0, true);
            std::fill(std::begin(House.LetterTaken), std::end(House.LetterTaken), false);
            House.Spelling = 0;
            House.StonesKnocked = 0;
            PlaceGravestones();
            Sounds.GraveAmbience.Play(false);
            TombMode();
        }
        Score(kLetterPoints);
    }
    PlayAtBall(Sounds.FlyAway);
}

void PlaceGravestones() {
    for (int k = 1; k <= kStones; ++k)
        House.StoneLane[kStoneSpacing * k - kStoneSpread / 2 + DrawUpTo(kStoneSpread)] = kStone;
}

void TombMode() {
    sndBall.Stop();
    const uint32_t dwellMs = kLaneDwellMs - kLaneDwellShortening * Game.TableLevel;
    // A Shift already held as the mode opens is not a throw.
    House.ThrowLatch = House.ThrowLatch || ShiftDown();
    for (int p = 1; p <= kLaneLast; ++p) {
        const uint32_t started = GetTick();
        SoundSlot& cue = House.StoneLane[p] == kStone ? Sounds.ScanStone : sndScanBeep;
        cue.SetPan(LanePan(p));
        cue.Play(false);
        while (GetTick() - started < dwellMs) {
            PollKeyboard();
            if (FreshKeyDown(scan::Escape)) ForfeitGame();
            const bool shift = ShiftDown();
            if (shift && !House.ThrowLatch) {
                House.ThrowLatch = true;
                Throw(p);
            }
            if (!shift) House.ThrowLatch = false;
            YieldToSystem();
        }
    }
    ReportStones();
    const bool allDown = House.StonesKnocked == kStones;
    if (allDown) {
        Score(kAllStonesPoints);
        PlaySound("Haunted/allstone.wav", 0, true);
    }
    if (Game.TableLevel < kLastTableLevel) ++Game.TableLevel;
    Sounds.GraveAmbience.Stop();
    Sounds.Music.Play(true);
    PutOutFire();
    if (allDown) {
        PlaySound("Haunted/xtraball.wav", 0, true);
        ++Game.BallsLeft;
    }
    PutBall(kTombExitX, kTombExitY, float(DrawUpTo(kTombExitHeadings)));
    ResetTombState();
    // The ball rolls on from the drain: it must be heard doing so.
    sndBall.SetPan(PanFor(Ball.X));
    sndBall.Play(true);
}

void ResetTombState() {
    House.Throws = 0;
    House.Spelling = 0;
    std::fill(std::begin(House.LetterTaken), std::end(House.LetterTaken), false);
    // The whole lane: a stone left standing would otherwise be heard in the
    // next tomb mode beside six new ones.
    std::fill(std::begin(House.StoneLane), std::end(House.StoneLane), uint8_t(0));
}

void StatusReport() {
    const std::span<SoundSlot* const> noTableLoops;  // the music and the monster play on under the report
    HeldLoops held(noTableLoops);
    SayScore();
    SayBallsLeft(Game.BallsLeft + 1);
}

}  // namespace tamblor::haunted
