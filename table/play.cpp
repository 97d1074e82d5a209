#include "table/play.h"

#include <cmath>
#include <exception>

#include "audio/positional.h"
#include "audio/sound.h"
#include "audio/speech.h"
#include "core/app.h"
#include "core/gamepad.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "table/services.h"
#include "table/table.h"

namespace tamblor {

namespace {
constexpr int16_t kVolumeStep = 100;
constexpr double kExtraBallEvery = 10000000.0;
constexpr uint32_t kFlipperWindowMs = 1000;
constexpr float kProxBeepBaseHz = 22050.0f;
constexpr float kProxBeepHzPerRow = 1000.0f;
constexpr float kProxBeepFromRow = 32.0f;
constexpr uint32_t kSpeedDecayEveryMs = 70;
constexpr double kSpeedDecayStep = 0.025;
constexpr float kSlowestDecayedSpeed = 1.0f;

uint32_t ClampedHz(float hz) {
    if (!(hz >= float(kFrequencyMin))) return kFrequencyMin;
    if (hz > float(kFrequencyMax)) return kFrequencyMax;
    return static_cast<uint32_t>(hz);
}
}  // namespace

HeldLoops::HeldLoops(std::span<SoundSlot* const> loops) : exceptions_(std::uncaught_exceptions()) {
    auto hold = [&](SoundSlot* slot) {
        if (slot == nullptr || count_ == kMax || !slot->IsLooping()) return;
        for (int i = 0; i < count_; ++i)
            if (held_[i] == slot) return;
        slot->Stop();
        held_[count_++] = slot;
    };
    hold(&sndScanWait);
    hold(&sndBall);
    // The drain warning is a loop like the others: it must not beep on
    // under a pause or a report, and comes back after it with the ball still there.
    hold(&sndProxBeep);
    for (SoundSlot* slot : loops) hold(slot);
}

HeldLoops::~HeldLoops() {
    if (std::uncaught_exceptions() > exceptions_) return;
    for (int i = 0; i < count_; ++i) held_[i]->Play(true);
}

void PauseTable() {
    {
        HeldLoops held(CurrentTable ? CurrentTable->loops : std::span<SoundSlot* const>{});
        NoteState("paused");
        PauseGame();
    }
    NoteState("play");
    SwallowHeldKeys();
}

void PadNewsInPlay() {
    Gamepads* pads = Pads();
    PadNews news = pads ? pads->TakeNews() : PadNews::None;
    if (news == PadNews::None) return;
    bool unplugged = false;
    // The loops stay silent from the words through the pause.
    HeldLoops held(CurrentTable ? CurrentTable->loops : std::span<SoundSlot* const>{});
    for (; news != PadNews::None; news = pads->TakeNews()) {
        SayPadNews(news);
        unplugged |= news == PadNews::Disconnected;
    }
    // The pad's keys are already up; the ball waits for the player as it
    // would after P.
    if (unplugged) PauseTable();
    else SwallowHeldKeys();
}

void MusicVolumeKeys(int table, SoundSlot& music, int16_t quietest) {
    int16_t& volume = MusicVolume[table];
    if (CommandPress(scan::Delete) && volume > quietest) {
        volume = static_cast<int16_t>(volume - kVolumeStep);
        music.SetVolume(volume);
    }
    if (CommandPress(scan::PageDown) && volume < 0) {
        volume = static_cast<int16_t>(volume + kVolumeStep);
        music.SetVolume(volume);
    }
    if (CommandPress(scan::End)) {
        volume = 0;
        music.SetVolume(volume);
    }
}

void FlipperKeys(bool tableHasFlippers, bool gated, int32_t leftPan, int32_t rightPan) {
    auto pressed = [gated](uint8_t key) { return gated ? CommandPress(key) : FreshKeyDown(key); };
    const bool left = pressed(scan::LeftShift), right = pressed(scan::RightShift);
    if (!left && !right) return;
    // Set on every press: the click is shared, and a table that pans it must
    // not leave the next table's clicks on one side.
    sndFlipper.SetPan(right ? rightPan : leftPan);
    sndFlipper.Play(false);
    if (tableHasFlippers && GameMode == 1) {
        Game.FlipperUp = true;
        Game.FlipperTick = GetTick();
    }
}

void PlayAndWaitInPlay(const std::string& member) {
    PlayAndWait(member);
    if (AnyKeyDown()) SwallowHeldKeys();
}

void SayScore() {
    PlaySound("sounds/v_UHave.wav", 0, true);
    SpeakNumber(Game.Score);
    PlaySound("sounds/v_Points.wav", 0, true);
}

void SayBallsLeft(int count) {
    PlaySound("sounds/v_UHave.wav", 0, true);
    SpeakNumber(count);
    PlaySound(count == 1 ? "sounds/v_BLeft.wav" : "sounds/v_BsLeft.wav", 0, true);
}

bool ExtraBallDue() { return ExtraBallDue(kExtraBallEvery); }

bool ExtraBallDue(double every) { return Game.Score > Game.ExtraBallLevel * every; }

void AwardExtraBall(double points) {
    ++Game.BallsLeft;
    ++Game.ExtraBallLevel;
    Game.Score += points;
}

void NewHighScoreCue(int table) {
    if (!(BestScore[table] > 0) || !(Game.Score > BestScore[table]) || Game.HighScoreAnnounced || Game.Tilted ||
        Game.Practice)
        return;
    sndBall.Stop();
    PlaySound("sounds/v_NHS.wav", 0, true);
    Game.HighScoreAnnounced = true;
    sndBall.Play(true);
}

void CloseFlipperWindow() {
    if (Game.FlipperUp && GetTick() - Game.FlipperTick > kFlipperWindowMs) Game.FlipperUp = false;
}

bool FlipperCatchesBall() {
    if (!Game.FlipperUp) return false;
    Ball.Speed = SpeedFactor;
    Reflect(Side::Down, Ball.Direction);
    Feel(Buzz::Hit);
    return true;
}

void WarnWhileInside(SoundSlot& loop, bool inside, int32_t pan, float hz, bool followPitch) {
    if (!inside) {
        if (Game.WarningPlaying) loop.Stop();
        Game.WarningPlaying = false;
        return;
    }
    if (Game.WarningPlaying) {
        if (followPitch) loop.SetFrequency(ClampedHz(hz));
        return;
    }
    loop.SetPan(pan);
    loop.SetFrequency(ClampedHz(hz));
    loop.Play(true);
    Game.WarningPlaying = true;
}

void DrainWarning(bool ballInBox) {
    WarnWhileInside(sndProxBeep, ballInBox && GameMode == 1, 0,
                    kProxBeepBaseHz + (Ball.Y - kProxBeepFromRow) * kProxBeepHzPerRow, false);
}

void DecaySpeed() {
    const uint32_t now = GetTick();
    if (now - Game.SpeedDecayTick <= kSpeedDecayEveryMs) return;
    if (Ball.Speed > kSlowestDecayedSpeed) Ball.Speed = static_cast<float>(double(Ball.Speed) - kSpeedDecayStep);
    Game.SpeedDecayTick = now;
}

void TableTimer::Start() {
    start_ = GetTick();
    running_ = true;
}

uint32_t TableTimer::Elapsed() const { return GetTick() - start_; }

void PlayAtBall(SoundSlot& sound) {
    sound.SetPan(PanFor(Ball.X));
    sound.Play(false);
    // Every table's bumpers sound through here.
    if (&sound == &sndBumper1 || &sound == &sndBumper2) Feel(Buzz::Bumper);
}

std::array<WallSide, 4> SidesInOrder(const CellsAround& cells) {
    return {{{Side::Down, cells.D}, {Side::Up, cells.U}, {Side::Left, cells.L}, {Side::Right, cells.R}}};
}

void HardWallHit() {
    Ball.Speed = SpeedFactor;
    sndBumper2.Stop();
    PlayAtBall(sndBumper2);
}

uint32_t HeldBallPass() {
    PollKeyboard();
    YieldToSystem();
    if (FreshKeyDown(scan::Escape)) {
        if (CurrentTable->escapeForfeitsScore) Game.Score = 0;
        Game.GameRunning = false;
        EndGame();
    }
    const uint32_t before = GetTick();
    InPlayKeys();
    return GetTick() - before;
}

uint32_t LevelDwellMs(int level) {
    const int ms = 150 - 4 * level;
    return ms > 0 ? uint32_t(ms) : 0u;
}

}  // namespace tamblor
