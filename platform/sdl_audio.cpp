#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl_parts.h"

namespace tamblor {

namespace {
constexpr int kFallbackRate = 48000;
// About 11 ms at 48 kHz: the player reacts to what they hear, so latency
// matters more than the odd extra wake-up of the audio thread.
constexpr Uint16 kCallbackFrames = 512;
}  // namespace

SdlMixer::SdlMixer() : SoftMixer(kFallbackRate) {
    const char* trace = std::getenv("TAMBLOR_TRACE");
    trace_ = trace != nullptr && std::strcmp(trace, "1") == 0;
}

BufferId SdlMixer::CreateBuffer(const WaveFormat& format, uint32_t flags, const void* data, size_t bytes,
                                std::string_view label) {
    // What the game is doing, for end-to-end runs to wait on. Sounds are
    // created when a voice starts or a table loads, never per ball step.
    if (trace_) {
        std::fprintf(stderr, "tamblor-trace: sound %.*s\n", int(label.size()), label.data());
        std::fflush(stderr);
    }
    return SoftMixer::CreateBuffer(format, flags, data, bytes, label);
}

SdlMixer::~SdlMixer() {
    // Stops the callback before the buffers it reads go away.
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (subsystemUp_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlMixer::Callback(void* self, Uint8* stream, int bytes) {
    if (static_cast<SdlMixer*>(self)->Render(reinterpret_cast<int16_t*>(stream),
                                             static_cast<size_t>(bytes) / (2 * sizeof(int16_t))))
        WakeGameThread();
}

bool SdlMixer::TryOpen(std::string& why) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = SDL_GetError();
        return false;
    }
    subsystemUp_ = true;

    // The device's own rate spares SDL a second resampling after ours.
    int rate = kFallbackRate;
#if SDL_VERSION_ATLEAST(2, 24, 0)
    char* name = nullptr;
    SDL_AudioSpec preferred;
    if (SDL_GetDefaultAudioInfo(&name, &preferred, 0) == 0) {
        if (preferred.freq >= 8000 && preferred.freq <= 192000) rate = preferred.freq;
        SDL_free(name);
    }
#endif

    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kCallbackFrames;
    want.callback = &SdlMixer::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) {
        why = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemUp_ = false;
        return false;
    }
    SetDeviceRate(static_cast<uint32_t>(have.freq));
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

bool SdlMixer::OpenDevice() {
    if (device_ != 0) return true;
    std::string why;
    if (TryOpen(why)) return true;
    // A silent device keeps the program running (headless machines, test
    // runs); the reason goes to stderr.
    std::fprintf(stderr, "Tamblor: cannot open the sound device (%s); continuing without sound.\n",
                 why.c_str());
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (TryOpen(why)) return true;
    std::fprintf(stderr, "Tamblor: even the silent sound device failed: %s\n", why.c_str());
    return false;
}

}  // namespace tamblor
