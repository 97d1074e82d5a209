// The pieces behind SdlPlatform. Internal to the SDL library.
#pragma once

#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "platform/soft_mixer.h"

namespace tamblor {

// DirectInput scan code of an SDL key (0 for keys a PC keyboard lacks).
uint8_t DirectInputScanCode(SDL_Scancode scancode);

// The SoftMixer fed by an SDL audio callback.
class SdlMixer final : public SoftMixer {
public:
    SdlMixer();
    ~SdlMixer() override;
    bool OpenDevice() override;

private:
    bool TryOpen(std::string& why);
    static void Callback(void* self, Uint8* stream, int bytes);

    SDL_AudioDeviceID device_ = 0;
    bool subsystemUp_ = false;
};

// The single-instance lock, and a datagram socket beside it on which a
// second instance asks the first to raise its window.
class InstanceChannel {
public:
    ~InstanceChannel();
    bool Claim();
    void Activate();
    // True when activation requests arrived since the last call. Cheap: one
    // non-blocking recv.
    bool TakeActivation();

private:
    void ComputePaths();

    std::string lockPath_;
    std::string socketPath_;
    int lockFd_ = -1;
    int socketFd_ = -1;
};

// Clock, keyboard and window share the SDL event pump, so one object serves
// all three.
class SdlWindowSystem final : public Clock, public Keyboard, public Window {
public:
    SdlWindowSystem();
    ~SdlWindowSystem() override;

    uint32_t Tick() override;
    void Yield() override;

    int32_t ReadState(uint8_t state[256]) override;
    bool Acquire() override;

    void SetCaption(const std::string& caption) override;
    void Show() override;
    void MessageBox(const std::string& text) override;
    void SetClipboard(const std::string& text) override;
    bool ClaimSingleInstance() override;
    void ActivateRunningInstance() override;

private:
    bool EnsureVideo();
    bool EnsureWindow();
    void Paint();
    void Raise();
    void Handle(const SDL_Event& event);
    void ReleaseAllKeys();

    std::chrono::steady_clock::time_point start_;
    std::string caption_ = "Tamblor";
    SDL_Window* window_ = nullptr;
    Uint32 windowId_ = 0;
    bool videoUp_ = false;
    bool videoFailed_ = false;
    uint8_t keys_[256] = {};
    bool inputLost_ = false;
    InstanceChannel instance_;
};

}  // namespace tamblor
