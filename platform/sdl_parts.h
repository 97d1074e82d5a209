// The pieces behind SdlPlatform. Internal to the SDL library.
#pragma once

#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/instance_channel.h"
#include "platform/pad_keys.h"
#include "platform/platform.h"
#include "platform/sdl_screen.h"
#include "platform/soft_mixer.h"

namespace tamblor {

// DirectInput scan code of an SDL key (0 for keys a PC keyboard lacks).
uint8_t DirectInputScanCode(SDL_Scancode scancode);

// Ends the game thread's wait in Yield at once: a sound ran out, and the
// game may be waiting for just that. Safe from the audio thread.
void WakeGameThread();

// The descriptor of the X connection WINDOW's events come on; -1 when the
// window is not on X.
int WindowConnectionFd(SDL_Window* window);

// The SoftMixer fed by an SDL audio callback.
class SdlMixer final : public SoftMixer {
public:
    SdlMixer();
    ~SdlMixer() override;
    bool OpenDevice() override;
    // With TAMBLOR_TRACE=1 each sound created is named on stderr.
    BufferId CreateBuffer(const WaveFormat& format, uint32_t flags, const void* data, size_t bytes,
                          std::string_view label) override;

private:
    bool TryOpen(std::string& why);
    bool trace_ = false;
    static void Callback(void* self, Uint8* stream, int bytes);

    SDL_AudioDeviceID device_ = 0;
    bool subsystemUp_ = false;
};

// With TAMBLOR_TEST_PAD naming a FIFO, a virtual controller that the lines
// written to it work (see sdl_test_pad.cpp); for end-to-end tests.
void StartTestPad();
// Carries out the test pad's waiting lines; called by the game thread.
void RunTestPadCommands();

// Clock, keyboard, window and game controllers share the SDL event pump, so
// one object serves all four.
class SdlWindowSystem final : public Clock, public Keyboard, public Window, public Gamepads {
public:
    SdlWindowSystem();
    ~SdlWindowSystem() override;

    uint32_t Tick() override;
    void Yield() override;
    void YieldIdle() override;

    int32_t ReadState(uint8_t state[256]) override;
    bool Acquire() override;

    void SetCaption(const std::string& caption) override;
    void Show() override;
    void MessageBox(const std::string& text) override;
    void SetClipboard(const std::string& text) override;
    bool ClaimSingleInstance() override;
    void ActivateRunningInstance() override;
    void Draw(const Frame& frame) override;

    void SetConfirmKey(uint8_t scanCode) override { padKeys_.SetConfirmKey(scanCode); }
    PadNews TakeNews() override;
    bool CanRumble() override;
    void Rumble(uint16_t low, uint16_t high, uint32_t ms) override;

private:
    void OpenPads();
    bool PadOpen() const;
    // Reads the controllers and notices pads plugged in or out.
    void UpdatePads();
    void HandlePad(const SDL_Event& event);
    int PadSlot(SDL_JoystickID id) const;
    void Tell(PadNews news);
    void StartRumble();
    // Shows the box in a helper process and waits for it, listening to the
    // game's own window meanwhile. False when no helper could be started.
    bool BoxBesideTheGame(const std::string& text);
    bool EnsureVideo();
    bool EnsureWindow();
    void Paint();
    void Raise();
    void ToggleFullScreen();
    void Handle(const SDL_Event& event);
    void ReleaseAllKeys();
    // To the start of the clock step after the next EXTRA ones.
    int MillisecondsToNextTick(int extra = 0);
    void Pass(int extraSteps);
    // Until an event, a wake from another thread, or MS milliseconds.
    void Wait(int ms, bool padOpen);

    std::chrono::steady_clock::time_point start_;
    std::string caption_ = "Tamblor";
    SDL_Window* window_ = nullptr;
    Uint32 windowId_ = 0;
    int windowFd_ = -1;
    bool videoUp_ = false;
    bool videoFailed_ = false;
    uint8_t keys_[256] = {};
    bool inputLost_ = false;
    // Counts changes of the key state; a change the game has read but not
    // yet acted on keeps the next Yield from waiting.
    uint32_t keyChanges_ = 0;
    uint32_t keyChangesRead_ = 0;
    bool keysJustRead_ = false;
    InstanceChannel instance_;
    SdlScreen screen_;
    Frame frame_;  // the last one handed over, for redrawing
    bool framed_ = false;

    bool padsUp_ = false;
    bool padsReady_ = false;  // the controller layer started
    SDL_GameController* pads_[kMostPads] = {};
    SDL_JoystickID padIds_[kMostPads] = {};
    PadKeys padKeys_;
    PadNews news_[8] = {};  // oldest first
    int newsCount_ = 0;
    struct Pulse {
        uint16_t low = 0, high = 0;
        uint32_t ms = 0;
        bool due = false;
    } pulse_;
};

}  // namespace tamblor
