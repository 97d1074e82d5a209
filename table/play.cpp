#include "table/play.h"

#include "audio/sound.h"
#include "audio/speech.h"
#include "core/errors.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "core/startup.h"
#include "platform/platform.h"
#include "table/ball.h"
#include "table/services.h"

namespace tamblor {

namespace {
constexpr int16_t kVolumeStep = 100;
constexpr double kExtraBallEvery = 10000000.0;
constexpr uint32_t kFlipperWindowMs = 1000;
constexpr float kProxBeepBaseHz = 22050.0f;
constexpr float kProxBeepHzPerRow = 1000.0f;
constexpr float kProxBeepFromRow = 32.0f;

bool proxBeepPlaying = false;
}  // namespace

bool CommandPress(uint8_t scanCode) { return KeyDown(scanCode) && CommandKeysReleased; }

void PauseAround(std::initializer_list<SoundSlot*> loops) {
    const bool scanWaiting = Game.ScanWaiting;
    if (scanWaiting) sndScanWait.Stop();
    for (SoundSlot* loop : loops)
        if (loop) loop->Stop();
    PauseGame();
    if (scanWaiting) sndScanWait.Play(true);
    for (SoundSlot* loop : loops)
        if (loop) loop->Play(true);
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

void FlipperKeys(bool tableHasFlippers) {
    if (!CommandPress(scan::LeftShift) && !CommandPress(scan::RightShift)) return;
    sndFlipper.Play(false);
    if (tableHasFlippers && GameMode == 1) {
        Game.FlipperUp = true;
        Game.FlipperTick = GetTick();
    }
}

void LatchHeldSpace() {
    if (KeyDown(scan::Space)) KeyState.Latched[scan::Space] = true;
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

bool ExtraBallDue() { return Game.Score > Game.ExtraBallLevel * kExtraBallEvery; }

void AwardExtraBall(double points) {
    ++Game.BallsLeft;
    ++Game.ExtraBallLevel;
    Game.Score += points;
}

void NewHighScoreCue(int table) {
    if (!(BestScore[table] > 0) || !(Game.Score > BestScore[table]) || Game.HighScoreAnnounced || Game.Tilted)
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
    return true;
}

void ProximityWarning(bool ballInBox) {
    if (!ballInBox) {
        if (proxBeepPlaying) sndProxBeep.Stop();
        proxBeepPlaying = false;
        return;
    }
    if (proxBeepPlaying) return;
    sndProxBeep.SetPan(0);
    float hz = kProxBeepBaseHz + (Ball.Y - kProxBeepFromRow) * kProxBeepHzPerRow;
    sndProxBeep.SetFrequency(hz < float(kFrequencyMin) ? kFrequencyMin : static_cast<uint32_t>(hz));
    sndProxBeep.Play(true);
    proxBeepPlaying = true;
}

void AnnounceGameOver(int table) {
    PlaySound("sounds/v_GOver.wav", 0, true);
    if (Game.Score > BestScore[table] && !Game.Tilted) {
        PlaySound("sounds/v_NHTS.wav", 0, true);
        BestScore[table] = Game.Score;
    }
    SaveSettings();
    PlaySound("sounds/v_YSW.wav", 0, true);
    SpeakNumber(Game.Score);
    PlaySound("sounds/v_Points.wav", 0, true);
}

void LeaveTable(void (*unload)()) {
    PressAnyKey();
    unload();
    Game.GameRunning = false;
    throw ReturnToMainMenu{};
}

}  // namespace tamblor
