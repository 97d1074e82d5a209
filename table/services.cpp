#include "table/services.h"

#include <cmath>
#include <string>

#include "audio/sound.h"
#include "core/errors.h"
#include "core/keyboard.h"
#include "platform/platform.h"

namespace tamblor {

uint32_t LastTauntTime = 0;

namespace {
constexpr uint32_t kTauntIntervalMs = 30000;
constexpr int32_t kLaunchReadyPan = 3200;
constexpr int32_t kMusicDip = -1000;

const char* const kDescriptions[] = {
    "sounds/menu/mnuPMSD.wav", "sounds/menu/mnuSSSD.wav", "sounds/menu/mnuHSD.wav", "sounds/menu/mnuSSD.wav",
    "sounds/menu/mnuHHSD.wav", "sounds/menu/mnuWWSD.wav", "sounds/menu/mnuEHM.wav"};
}  // namespace

void LaunchBall() {
    sndBall.Stop();
    PlaySound("sounds/v_Launch.wav", 0, true);
    PlaySound("sounds/LReady.wav", kLaunchReadyPan, true);
    // A Space held through the prompt launches at once.
    CommandKeysReleased = true;
    LastTauntTime = GetTick();
    for (;;) {
        PollKeyboard();
        YieldToSystem();
        bool launch = false, quit = false;
        if (KeyDown(scan::Space) && CommandKeysReleased) launch = true;
        if (KeyDown(scan::Escape) && CommandKeysReleased) launch = quit = true;
        CommandKeysReleased = !AnyKeyDown({scan::Up, scan::Down, scan::Return});
        if (GetTick() - LastTauntTime > kTauntIntervalMs) {
            int n = static_cast<int>(std::nearbyint(Rnd() * 6.0f));
            PlayAndWait("sounds/taunt_0" + std::to_string(n) + ".wav");
            LastTauntTime = GetTick();
        }
        if (quit) throw ReturnToMainMenu{};
        if (launch) {
            PlayStereo("sounds/BLaunch.wav", true);
            sndBall.Play(true);
            return;
        }
    }
}

void PauseGame() {
    PlaySound("sounds/Paused.wav", 0, true);
    sndPausedLp.Play(true);
    do {
        YieldToSystem();
        PollKeyboard();
    } while (!AnyKeyDown());
    sndPausedLp.Stop();
    PlaySound("sounds/Resumed.wav", 0, true);
}

void PressAnyKey() {
    PlaySound("sounds/v_PAKTC.wav", 0, true);
    do {
        YieldToSystem();
        PollKeyboard();
    } while (!AnyKeyDown());
}

void SpeakTableDescription(int index) {
    int32_t previous = sndMenuMusic.Volume();
    sndMenuMusic.SetVolume(kMusicDip);
    sndBumper1.Play(false);
    if (index >= 0 && index <= 6) PlayAndWait(kDescriptions[index]);
    sndMenuMusic.SetVolume(previous);
}

}  // namespace tamblor
