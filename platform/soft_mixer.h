// A software mixer with secondary-buffer semantics: any number of 16-bit PCM
// buffers, resampled to the output rate, mixed into interleaved stereo int16.
// The game thread calls the Mixer operations; an audio callback thread calls
// Render. Device-independent, so the same code runs under tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace tamblor {

class SoftMixer : public Mixer {
public:
    // `headroom` scales the sum before the limiter; tests of the mixing
    // arithmetic itself take 1.
    explicit SoftMixer(uint32_t deviceRate, float headroom = kMasterHeadroom);
    ~SoftMixer() override;

    // The output device, if any, is opened by a wrapper; see SdlMixer.
    bool OpenDevice() override { return true; }

    BufferId CreateBuffer(const WaveFormat& format, uint32_t flags, const void* data, size_t bytes,
                          std::string_view label) override;
    BufferId CreateBufferFromFile(const std::string& path, uint32_t flags,
                                  std::string_view label) override;
    void Release(BufferId id) override;
    void Play(BufferId id, bool loop) override;
    void Stop(BufferId id) override;
    void SetCurrentPosition(BufferId id, uint32_t bytePosition) override;
    void SetVolume(BufferId id, int32_t volume) override;
    void SetPan(BufferId id, int32_t pan) override;
    void SetFrequency(BufferId id, uint32_t hz) override;
    int32_t GetVolume(BufferId id) override;
    uint32_t GetStatus(BufferId id) override;
    void SetClassVolume(SoundClass soundClass, int32_t volume) override;
    void SetBufferClass(BufferId id, SoundClass soundClass) override;
    void SetPanLaw(PanLaw law) override;

    // The wide pan law's arc: a pan of +-10000 sits this many degrees off
    // the centre (45 degrees would be one ear only).
    static constexpr double kWideArcDegrees = 35.0;
    // Left and right amplitude factors of a pan under a law.
    static void PanGains(PanLaw law, int32_t pan, float& left, float& right);

    // Mixes every playing buffer into `frames` stereo frames (overwriting
    // the output). Allocates nothing; safe against the calls above. The sum
    // is taken down by kMasterHeadroom and then limited: a frame that would
    // pass kLimiterCeiling pulls the gain down at once, and the gain comes
    // back over about kLimiterReleaseSeconds, so many loud sounds at once
    // get quieter together instead of hard-clipping. True when a one-shot
    // buffer ran out (its status changed without a call from the game).
    static constexpr float kMasterHeadroom = 0.5f;         // -6 dB
    static constexpr float kLimiterCeiling = 29204.0f;     // -1 dBFS
    static constexpr float kLimiterReleaseSeconds = 0.15f;
    bool Render(int16_t* interleavedStereo, size_t frames);

    // The device may settle on another rate than the one asked for.
    void SetDeviceRate(uint32_t deviceRate);
    uint32_t DeviceRate() const;

private:
    struct Buffer;

    Buffer& Find(BufferId id);  // caller holds mutex_
    void RemoveFromPlaying(Buffer* buffer);
    void UpdateGains(Buffer& buffer);  // caller holds mutex_
    void MixBuffer(Buffer& buffer, float* mix, size_t frames);
    template <int Channels>
    static void MixRun(const Buffer& buffer, uint64_t& pos, uint64_t step, float* mix,
                       size_t frames);

    mutable std::mutex mutex_;
    uint32_t deviceRate_;
    BufferId nextId_ = 1;
    std::unordered_map<BufferId, std::unique_ptr<Buffer>> buffers_;
    // The buffers Render visits; kept apart so idle buffers cost nothing.
    std::vector<Buffer*> playing_;
    float classGain_[kSoundClassCount] = {1.0f, 1.0f, 1.0f};
    PanLaw panLaw_ = PanLaw::Classic;
    // The output limiter's gain (1: not limiting); the audio thread's own.
    float headroom_;
    float limiterGain_ = 1.0f;
    float limiterRelease_ = 0.0f;  // how far the gain recovers per frame
};

}  // namespace tamblor
