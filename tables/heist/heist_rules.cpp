// The Heist rules on top of the play engine: JOBS, jobs and their chases,
// the police, busts, the score box, power-ups, the jackpot and the status
// report.
#include <algorithm>
#include <string>

#include "audio/positional.h"
#include "platform/platform.h"
#include "table/table_map.h"
#include "tables/heist/heist.h"
#include "tables/heist/heist_internal.h"

namespace tamblor::heist {

namespace {

constexpr double kBoxFloorPoints = 50000;
constexpr double kPowerUpPoints = 50000;
constexpr double kJackpotPoints = 100000;
constexpr uint8_t kJackpotMultiplierBonus = 8;
constexpr double kJobAwards[] = {500000, 250000, 2000000, 1000000};
constexpr float kBoxExitX = 26, kBoxExitY = 33, kBoxExitHeading = 0;
constexpr float kFewestBoxBounces = 20, kBoxBounceSpread = 20;
constexpr uint8_t kChaseMultiplier = 2;

// Names made once, so that no event of the ball's builds a string.
const std::string kLetterVoices[] = {"heist/v_J.wav", "heist/v_O.wav", "heist/v_B.wav"};
const std::string kWordComplete = "heist/v_JS.wav";
const std::string kBriefings[] = {"heist/C1.wav", "heist/C2.wav", "heist/C3.wav", "heist/C4.wav"};
const std::string kJobVoices[] = {"heist/j1.wav", "heist/j2.wav", "heist/j3.wav", "heist/j4.wav"};
const std::string kJackpotVoices[] = {"heist/J1.wav", "heist/J2.wav", "heist/J3.wav"};
const std::string kPowerUpVoices[] = {"heist/pu_vest.wav", "heist/pu_mace.wav", "heist/pu_pistl.wav",
                                      "heist/pu_shtgn.wav", "heist/pu_9mm.wav"};
const std::string kJobFailed = "heist/jobfail.wav";
const std::string kCaught = "heist/rbBusted.wav";
const std::string kShotUp = "heist/rbShotUp.wav";
const std::string kBustedVoice = "heist/v_Busted.wav";
const std::string kScoreBoxVoice = "heist/scorebox.wav";

void ClearMarks() { std::fill(std::begin(Heist.JobsMarks), std::end(Heist.JobsMarks), false); }

}  // namespace

void ResetJobState() {
    Heist.OpenDoor = kFirstDoor;
    Heist.JobsProgress = 0;
    ClearMarks();
    Heist.Chase.Stop();
    Heist.Job.Stop();
}

void Letter(int number) {
    Randomize();
    if (number < 1 || number > kLetterCount || Heist.JobsMarks[number]) return;
    // The letters light only in order.
    if (number != Heist.JobsProgress + 1) return;
    const int32_t pan = PanFor(Ball.X);
    if (number < kLetterCount) {
        PlaySound(kLetterVoices[number - 1], pan, true);
        Heist.JobsProgress = uint8_t(number);
        Heist.JobsMarks[number] = true;
        PlayAtBall(sndSpellSw);
        return;
    }
    PlaySound(kWordComplete, pan, true);
    PlayAtBall(sndSpellSw);
    Heist.JobsProgress = 0;
    Heist.JobDone = false;
    ClearMarks();
    StartJob();
}

void StartJob() {
    Randomize();
    {
        HeldLoops held({&Sounds.Music});
        Heist.JobNumber = uint8_t(DrawUpTo(3) + 1);
        PlayAndWaitInPlay(kBriefings[Heist.JobNumber - 1]);
        Heist.Job.Start();
    }
    RunLauncher(DrawUpTo(1) == 1 ? Launcher::Right : Launcher::Left);
}

void JobTarget(int number) {
    if (number != Heist.JobNumber) {
        Sounds.Invalid.Play(false);
        return;
    }
    {
        HeldLoops held({&Sounds.Music});
        PlayAndWaitInPlay(kJobVoices[number - 1]);
        // Paid at the multiplier in force when the target is hit.
        Game.Score += kJobAwards[number - 1] * Heist.Multiplier;
    }
    Heist.Chase.Start();
    Heist.PolicePosition = uint8_t(DrawUpTo(4) + 1);
    Sounds.Chase.Play(false);
    Heist.JobDone = true;
    Heist.Multiplier = kChaseMultiplier;
    RunLauncher(DrawUpTo(6) < 3 ? Launcher::Left : Launcher::Right);
}

void JobTimeOut() {
    if (!Heist.Job.Expired(kJobMs)) return;
    if (!Heist.JobDone) PlaySound(kJobFailed, 0, true);
    Heist.Job.Stop();
}

void ChaseTimeOut() {
    if (!Heist.Chase.Expired(kChaseMs)) return;
    Heist.Chase.Stop();
    Heist.Multiplier = 1;
    // The siren goes with the chase, even one a pause set looping.
    Sounds.Chase.Stop();
}

void Timers() {
    JobTimeOut();
    ChaseTimeOut();
}

void CaughtByThePolice() {
    if (!Heist.Chase.Running() || Heist.LastWallCode != code::Police ||
        Heist.LastWallNumber != Heist.PolicePosition)
        return;
    Sounds.Chase.Stop();
    Heist.Chase.Stop();
    Heist.Job.Stop();
    sndBall.Stop();
    PlaySound(Game.BallsLeft > 0 ? kCaught : kShotUp, 0, true);
    LoseBall();
}

void Busted() {
    Sounds.Chase.Stop();
    sndBall.Stop();
    PlaySound(kBustedVoice, 0, true);
    LoseBall();
}

void BallLost() {
    // The multiplier stays: a chase cut short by a lost ball keeps doubling
    // until a later chase runs out.
    Sounds.Music.Stop();
    Sounds.Chase.Stop();
    ResetJobState();
}

void EnterScoreBox() {
    sndBall.SetVolume(kVolumeMin);
    Heist.InScoreBox = true;
    Heist.BoxBouncesLeft = uint8_t(Rnd() * kBoxBounceSpread + kFewestBoxBounces);
    PlaySound(kScoreBoxVoice, 0, true);
    sndBall.SetVolume(0);
}

void ScoreBoxFloor() {
    Game.Score += kBoxFloorPoints * Heist.Multiplier;
    SoundSlot* rattles[] = {nullptr, &Sounds.Box1, &Sounds.Box2, &Sounds.Box3};
    if (SoundSlot* rattle = rattles[DrawUpTo(3)]) PlayAtBall(*rattle);
}

void DoorBounceInsideTheBox() {
    if (Heist.BoxBouncesLeft > 0) {
        --Heist.BoxBouncesLeft;
        return;
    }
    Heist.InScoreBox = false;
    Ball.X = kBoxExitX;
    Ball.Y = kBoxExitY;
    Ball.Direction = kBoxExitHeading;
    Heist.OpenDoor = uint8_t(Rnd() + 1);
}

void PowerUp(int x, int y, uint8_t letter) {
    TableMap.Cells[x][y].Code = code::Floor;
    if (letter < 'F' || letter > 'J') return;
    PlaySound(kPowerUpVoices[letter - 'F'], PanFor(Ball.X), true);
    Game.Score += kPowerUpPoints * Heist.Multiplier;
}

void Jackpot() {
    const int k = DrawUpTo(2) + 1;
    Game.Score += k * kJackpotPoints * (Heist.Multiplier + kJackpotMultiplierBonus);
    PlayAndWaitInPlay(kJackpotVoices[k - 1]);
}

void StatusReport() {
    HeldLoops held(std::span<SoundSlot* const>{});
    SayScore();
    // The ball in play counts.
    SayBallsLeft(Game.BallsLeft + 1);
}

}  // namespace tamblor::heist
