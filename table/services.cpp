#include "table/services.h"

#include <cmath>
#include <string>

#include "audio/sound.h"
#include "audio/speech_keys.h"
#include "core/settings.h"
#include "core/errors.h"
#include "core/gamepad.h"
#include "core/keyboard.h"
#include "core/table_registry.h"
#include "platform/platform.h"
#include "table/table.h"

namespace tamblor {

uint32_t LastTauntTime = 0;

namespace {
constexpr uint32_t kTauntIntervalMs = 30000;
constexpr int32_t kLaunchReadyPan = 3200;
}  // namespace

void LaunchBall() {
    sndBall.Stop();
    PlaySound("sounds/v_Launch.wav", 0, true);
    PlaySound("sounds/LReady.wav", kLaunchReadyPan, true, SoundClass::Effects);
    // A Space held through the prompt launches at once.
    CommandKeysReleased = true;
    LastTauntTime = GetTick();
    NoteState("launch");
    for (;;) {
        PollKeyboard();
        YieldToSystem();
        bool launch = false, quit = false;
        if (CommandPress(scan::Space)) launch = true;
        if (CommandPress(scan::Escape)) launch = quit = true;
        CommandKeysReleased = !AnyKeyDown({scan::Up, scan::Down, scan::Return});
        // The prompt answers as play does: S says where the game stands and
        // P pauses; the key that did it acts no more, and the taunts wait.
        if (FreshKeyDown(scan::S) && CurrentTable && CurrentTable->statusReport) {
            SayStatus();
            SwallowHeldKeys();
            LastTauntTime = GetTick();
        }
        if (SpeechKeys()) {
            SwallowHeldKeys();
            LastTauntTime = GetTick();
        }
        HearPadNews();
        if (FreshKeyDown(scan::P)) {
            KeyState.Latched[scan::P] = true;
            PauseGame();
            SwallowHeldKeys();
            LastTauntTime = GetTick();
            NoteState("launch");
        }
        if (GetTick() - LastTauntTime > kTauntIntervalMs) {
            int n = static_cast<int>(std::nearbyint(Rnd() * 6.0f));
            PlayAndWait("sounds/taunt_0" + std::to_string(n) + ".wav");
            LastTauntTime = GetTick();
        }
        if (quit) throw ReturnToMainMenu{};
        if (launch) {
            Feel(Buzz::Hit);
            PlayStereo("sounds/BLaunch.wav", true, SoundClass::Effects);
            sndBall.Play(true);
            return;
        }
    }
}

namespace {
// Any key but the repeat key, which says the last message again instead.
bool AnyKeyButRepeat() {
    for (int k = 0; k < 256; ++k)
        if (k != scan::R && (KeyState.Down[k] & 0x80)) return true;
    return false;
}

void WaitForAnyKeyButRepeat() {
    do {
        YieldToSystem();
        PollKeyboard();
        if (TakeLatchedPress(scan::R)) RepeatLastSpeech();
    } while (!AnyKeyButRepeat());
}
}  // namespace

void PauseGame() {
    {
        UnrememberedSpeech pauseWords;
        PlaySound("sounds/Paused.wav", 0, true);
    }
    sndPausedLp.Play(true);
    WaitForAnyKeyButRepeat();
    sndPausedLp.Stop();
    UnrememberedSpeech pauseWords;
    PlaySound("sounds/Resumed.wav", 0, true);
}

void PressAnyKey() {
    PlaySound("sounds/v_PAKTC.wav", 0, true);
    WaitForAnyKeyButRepeat();
}

void SpeakTableDescription(int index) {
    int32_t previous = sndMenuMusic.Volume();
    sndMenuMusic.SetVolume(DuckedMusicVolume());
    sndBumper1.Play(false);
    if (IsTable(index)) PlayAndWait(FactsOfTable(index).helpName);
    else if (index == kTableCount) PlayAndWait(kLeaveHelpName);
    sndMenuMusic.SetVolume(previous);
}

}  // namespace tamblor
