// The Safari rules on top of the play engine: the terrain that takes the
// ball, snakes, the cougar and its chase, the swim, the SAFARI letters and
// the hunt with its rifle sweep.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "audio/positional.h"
#include "core/app.h"
#include "core/keyboard.h"
#include "platform/platform.h"
#include "table/aim_scan.h"
#include "table/play.h"
#include "table/table.h"
#include "table/table_map.h"
#include "tables/safari/safari.h"

namespace tamblor::safari {

namespace {

constexpr uint32_t kEscapeWindowMs = 8000;  // the swim and the chase
constexpr int32_t kLeftStrokePan = -3200;
constexpr int32_t kRightStrokePan = 3200;
constexpr int kStrokesToSwimOut = 5;  // round(Rnd x strokes / 10) at least this
constexpr int kStepsToOutrun = 3;     // round(Rnd x steps / 10) at least this
constexpr double kSwimOutPoints = 80000;
constexpr double kOutrunPoints = 100000;
constexpr double kSnakeKillsUpTo = 100000;
constexpr double kSnakeBite = 100000;
constexpr int kHiss = 2;
constexpr double kLetterPoints = 50000;
constexpr double kAnimalPoints = 60000;
constexpr double kAllAnimalsBonus = 250000;
constexpr float kEntryHeadingSpread = 32;

// Cougars prowl the lower field, away from the last one.
constexpr float kCougarFirstX = 9, kCougarColumns = 32;
constexpr float kCougarFirstY = 29, kCougarRows = 13;
constexpr int kCougarApartX = 10, kCougarApartY = 5;
constexpr int kCougarTries = 10000;  // a field with no free cell there gets no cougar

// The hunt: animals on row 30 from column 5 to 41, each three cells wide.
constexpr int kHuntRowFirstX = 5, kHuntRowLastX = 41;
constexpr int kAnimalFirstX = 7, kAnimalSpacing = 8, kAnimalWidth = 3;
constexpr uint8_t kFirstSweepStep = 10;
constexpr int16_t kFirstSweepAngle = 10;
constexpr uint8_t kLastSweepStep = 48;
constexpr uint8_t kHuntEndsFromStep = 46;
constexpr uint8_t kRoundsPerHunt = 8;
constexpr float kRifleReachesX = 35;  // a bag left of it hands the ball straight back to the rifle
constexpr float kDegreesPerHeading = 2.8125f;

const char* const kLetterVoices[kLetters + 1] = {nullptr,           "Safari/v_S.wav", "Safari/v_A.wav",
                                                 "Safari/v_F.wav",  "Safari/v_A.wav", "Safari/v_R.wav",
                                                 "Safari/v_I.wav"};
const char* const kBaggedCounts[kAnimals + 1] = {nullptr,         "safari/V1.wav", "safari/V2.wav",
                                                 "safari/V3.wav", "safari/V4.wav", "safari/V5.wav"};

void Put(float x, float y, float direction) {
    Ball.X = x;
    Ball.Y = y;
    Ball.Direction = direction;
}

void PutAtEntry() { Put(kEntryX, kEntryY, float(DrawUpTo(kEntryHeadingSpread))); }

void ClearCell(int x, int y) {
    if (x < 0 || y < 0 || x >= kMapArraySize || y >= kMapArraySize) return;
    TableMap.Cells[x][y].Code = code::Floor;
    TableMap.Cells[x][y].Number = 0;
}

// The heading of a rifle position: angles below 16 point left of up-left.
float SweepHeading(int16_t angle) { return std::fabs(float(angle) + (angle < 16 ? 112.0f : -16.0f)); }

// The rifle's probe: every animal answers once per hunt with its call,
// open ground with the scan beep; the probe goes on past a hit.
class Rifle final : public AimScan {
public:
    Rifle() : AimScan({0, 0, 0, 50}) {}
    void Sound(float direction, int step) {
        direction_ = direction;
        Probe(step);
    }

protected:
    float ProbeAngle(int) override { return direction_ * kDegreesPerHeading; }
    ProbeAnswer Answer(const MapCell& cell) override {
        if (cell.Code == code::Animal && cell.Number >= 1 && cell.Number <= kAnimals) {
            if (Safari.AnimalAnnounced[cell.Number]) return {};
            Safari.AnimalAnnounced[cell.Number] = true;
            return {&Sounds.AnimalCall[cell.Number - 1], false};
        }
        if (cell.Code == code::Floor) return {&sndScanBeep, false};
        return {};
    }
    void Keys() override {}
    bool Escape() override { return false; }

private:
    float direction_ = 0;
};

void PlaceAnimals() {
    for (int n = 1; n <= kAnimals; ++n)
        for (int i = 0; i < kAnimalWidth; ++i) {
            MapCell& cell = TableMap.Cells[kAnimalFirstX + (n - 1) * kAnimalSpacing + i][kAnimalRow];
            cell.Code = code::Animal;
            cell.Number = uint8_t(n);
        }
}

void EndHunt() {
    sndBall.Stop();
    const int bagged = Safari.AnimalsBagged;
    if (bagged > 0) {
        PlaySound("safari/v_Bagged.wav", 0, true);
        PlaySound(kBaggedCounts[std::min(bagged, kAnimals)], 0, true);
        PlaySound(bagged == 1 ? "safari/v_Animal.wav" : "safari/v_Animls.wav", 0, true);
    } else {
        PlaySound("safari/v_NoAn.wav", 0, true);
    }
    if (bagged == kAnimals) {
        PlaySound("safari/JolyRnch.wav", 0, true);
        Game.Score += kAllAnimalsBonus;
    }
    Safari.SweepStep = 0;
    Safari.SweepAngle = 0;
    ResetHunt();
    Sounds.Music.Play(true);
    sndBall.Play(true);
    Ball.Speed = SpeedFactor;
    ++Game.TableLevel;
    Sounds.HuntAmbience.Stop();
    RestartBallEntry();
}

// The rhythm loops of the swim and the chase: 8 s of polling, the ball
// standing still.
template <typename Pass>
void ForEscapeWindow(Pass pass) {
    TableTimer window;
    window.Start();
    while (window.Elapsed() < kEscapeWindowMs) {
        YieldToSystem();
        PollKeyboard();
        pass();
    }
}

}  // namespace

void ResetHunt() {
    Safari.HuntActive = false;
    Safari.SpellingProgress = 0;
    std::fill(std::begin(Safari.LetterTaken), std::end(Safari.LetterTaken), false);
    // A hunt cut short (a lost ball, a snake, a tilt) must not leave its
    // animals silent in the next one: they could not be aimed at by ear.
    std::fill(std::begin(Safari.AnimalAnnounced), std::end(Safari.AnimalAnnounced), false);
    for (int x = kHuntRowFirstX; x <= kHuntRowLastX; ++x) ClearCell(x, kAnimalRow);
}

void DeepWater() {
    sndBall.Stop();
    PlaySound("Safari/submerge.wav", PanFor(Ball.X), true);
    Sounds.SwimLeft.SetPan(kLeftStrokePan);
    Sounds.SwimRight.SetPan(kRightStrokePan);
    int strokes = 0;
    bool stroke = false;
    NoteState("swim");
    ForEscapeWindow([&] {
        // Every fresh press of Space is both strokes.
        const bool space = FreshKeyDown(scan::Space);
        if (space && !stroke && CommandKeysReleased) {
            Sounds.SwimLeft.Play(false);
            ++strokes;
            stroke = true;
        }
        if (space && stroke && CommandKeysReleased) {
            Sounds.SwimRight.Play(false);
            ++strokes;
            stroke = false;
        }
        CommandKeysReleased = !space;
    });
    if (DrawUpTo(float(strokes) / 10.0f) < kStrokesToSwimOut) {
        PlaySound("Safari/Drowning.wav", 0, true);
        Sounds.Music.Stop();
        Sounds.HuntAmbience.Stop();
        LoseBall();
        return;
    }
    NoteState("play");
    PlaySound("Safari/WEscape.wav", 0, true);
    PutAtEntry();
    Game.Score += kSwimOutPoints;
    // The ball rolls on from the bank: it must be heard doing so.
    sndBall.SetPan(PanFor(Ball.X, 25));
    sndBall.Play(true);
}

void Quicksand() {
    sndBall.Stop();
    PlaySound("Safari/quiksand.wav", PanFor(Ball.X), true);
    Sounds.Music.Stop();
    Sounds.HuntAmbience.Stop();
    LoseBall();
}

void AcidPool() {
    Sounds.Music.Stop();
    sndBall.Stop();
    PlaySound("Safari/AcidDeath.wav", 0, true);
    Sounds.HuntAmbience.Stop();
    LoseBall();
}

void Snakes() {
    const int which = DrawUpTo(2);
    PlayAtBall(Sounds.Snake[which]);
    if (Game.Score <= kSnakeKillsUpTo) {
        Sounds.Music.Stop();
        sndBall.Stop();
        PlaySound("Safari/SnakeDth.wav", 0, true);
        Sounds.HuntAmbience.Stop();
        // A snake's victim costs no ball: a new launch and a new ball entry.
        Relaunch();
        RestartBallEntry();
    } else if (which == kHiss) {
        Game.Score -= kSnakeBite;
        PlaySound("Safari/SnakBite.wav", 0, true);
    }
}

void PlaceCougar() {
    Randomize();
    for (int tries = 0; tries < kCougarTries; ++tries) {
        int x, y;
        do {
            x = int(Rnd() * kCougarColumns + kCougarFirstX);
            y = int(Rnd() * kCougarRows + kCougarFirstY);
        } while (std::abs(x - PreviousCougarX) < kCougarApartX && std::abs(y - PreviousCougarY) < kCougarApartY);
        MapCell& cell = TableMap.Cells[x][y];
        if (cell.Code != code::Floor) continue;
        Safari.CougarX = PreviousCougarX = uint8_t(x);
        Safari.CougarY = PreviousCougarY = uint8_t(y);
        cell.Code = code::Cougar;
        return;
    }
}

void Cougar() {
    // One time in four the cougar gives chase.
    if (std::nearbyint(Rnd() * 2.0f + 1.0f) == 1) CougarChase();
}

void CougarChase() {
    PlaySound("Safari/CougarCh.wav", 0, true);
    Sounds.FootLeft.SetPan(kLeftStrokePan);
    Sounds.FootRight.SetPan(kRightStrokePan);
    int steps = 0;
    bool leftDue = true;
    NoteState("chase");
    ForEscapeWindow([&] {
        const bool left = FreshKeyDown(scan::LeftShift), right = FreshKeyDown(scan::RightShift);
        if (left && leftDue && CommandKeysReleased) {
            Sounds.FootLeft.Play(false);
            ++steps;
            leftDue = false;
        }
        if (right && !leftDue && CommandKeysReleased) {
            Sounds.FootRight.Play(false);
            ++steps;
            leftDue = true;
        }
        CommandKeysReleased = !(left && right);
    });
    if (DrawUpTo(float(steps) / 10.0f) < kStepsToOutrun) {
        PlaySound("Safari/CougarEt.wav", 0, true);
        Sounds.Music.Stop();
        sndBall.Stop();
        Sounds.HuntAmbience.Stop();
        LoseBall();
        return;
    }
    NoteState("play");
    PlaySound("Safari/Breath.wav", 0, true);
    Game.Score += kOutrunPoints;
    ClearCell(Safari.CougarX, Safari.CougarY);
    PlaceCougar();
}

void Letter(int letter) {
    Randomize();
    if (letter < 1 || letter > kLetters || Safari.LetterTaken[letter] || Safari.SpellingProgress != letter - 1) return;
    if (letter < kLetters) {
        PlaySound(kLetterVoices[letter], 0, true);
        PlayAtBall(sndSpellSw);
        Safari.SpellingProgress = uint8_t(letter);
        Safari.LetterTaken[letter] = true;
        Game.Score += kLetterPoints;
        return;
    }
    // The last letter opens the hunt.
    Game.Score += kLetterPoints;
    Sounds.Music.Stop();
    sndBall.Stop();
    PlaySound(kLetterVoices[kLetters], 0, true);
    PlayAtBall(sndSpellSw);
    PlaySound("Safari/v_Safari.wav", 0, true);
    std::fill(std::begin(Safari.LetterTaken), std::end(Safari.LetterTaken), false);
    Safari.SpellingProgress = 0;
    PlaceAnimals();
    Safari.HuntActive = true;
    Safari.SweepStep = kFirstSweepStep;
    Safari.SweepAngle = kFirstSweepAngle;
    Safari.Rounds = kRoundsPerHunt;
    Sounds.HuntAmbience.Play(true);
    HuntSweep();
}

void HuntSweep() {
    int16_t angle = Safari.SweepAngle;
    uint8_t step = Safari.SweepStep;
    Ball.X = kGunX;
    Ball.Y = kGunY;
    // The ball waits at the rifle: its rolling would cover the calls.
    sndBall.Stop();
    const uint32_t dwellMs = LevelDwellMs(Game.TableLevel);
    NoteState("hunt");
    Rifle rifle;
    float direction = 0;
    bool fired = false;
    while (step <= kLastSweepStep && !fired) {
        ++angle;
        direction = SweepHeading(angle);
        const uint32_t tick = GetTick();
        rifle.Sound(direction, step);
        do {
            PollKeyboard();
            // Escape first, as in every aim: a tilt down with it must not act.
            if (FreshKeyDown(scan::Escape)) {
                Game.Score = 0;
                EndGame();
            }
            InPlayKeys();
            if (FreshKeyDown(scan::LeftShift) || FreshKeyDown(scan::RightShift)) {
                if (Safari.Rounds > 0) {
                    fired = true;
                    break;
                }
                // An empty rifle clicks for as long as Shift is held.
                Sounds.DryFire.Rewind();
                Sounds.DryFire.Play(false);
            }
            YieldToSystem();
        } while (GetTick() - tick < dwellMs);
        if (!fired) ++step;
    }
    if (fired) {
        Safari.SweepStep = step;
        Safari.SweepAngle = angle;
        --Safari.Rounds;
        Sounds.Shoot.Stop();
        Sounds.Shoot.Rewind();
        Sounds.Shoot.Play(false);
    } else {
        Safari.HuntActive = false;
    }
    // Late in the sweep the hunt is over, shot or not: the ball goes
    // nowhere but back to a new ball entry.
    if (step >= kHuntEndsFromStep) EndHunt();
    NoteState("play");
    Ball.Direction = direction;
    Ball.Speed = SpeedFactor;
    sndBall.SetPan(PanFor(Ball.X));
    sndBall.Play(true);
}

void BagAnimal(int animal) {
    if (animal < 1 || animal > kAnimals) return;
    // The whole animal goes, whichever of its cells was hit: it is bagged
    // and paid once.
    const int firstX = kAnimalFirstX + (animal - 1) * kAnimalSpacing;
    for (int i = 0; i < kAnimalWidth; ++i) ClearCell(firstX + i, kAnimalRow);
    PlaySound("Safari/bodydrop.wav", PanFor(Ball.X), true, SoundClass::Effects);
    Game.Score += kAnimalPoints;
    ++Safari.AnimalsBagged;
    if (Ball.X < kRifleReachesX) {
        Safari.HuntActive = true;
        HuntSweep();
        return;
    }
    PutAtEntry();
}

}  // namespace tamblor::safari
