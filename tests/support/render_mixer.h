// Test support: what the player would hear, as samples. A mixer that hands
// every call to the scripted platform's recording mixer (which keeps the
// game's virtual time and answers its questions) and also to a software
// mixer, which renders the output up to the virtual time of each call. A
// whole scripted game then leaves a fingerprint of every sample it played.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/scripted_platform.h"
#include "platform/soft_mixer.h"

namespace tamblor::test {

class RenderingMixer : public Mixer {
public:
    static constexpr uint32_t kRate = 22050;

    // Installs itself in place of the platform's mixer.
    explicit RenderingMixer(ScriptedPlatform& platform);

    // Renders up to now; then the fingerprint (FNV-1a over the 16-bit
    // samples) and the number of stereo frames it covers.
    uint64_t Fingerprint();
    uint64_t Frames();

    bool OpenDevice() override;
    BufferId CreateBuffer(const WaveFormat& format, uint32_t flags, const void* data, size_t bytes,
                          std::string_view label) override;
    BufferId CreateBufferFromFile(const std::string& path, uint32_t flags, std::string_view label) override;
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

private:
    void RenderToNow();
    BufferId Soft(BufferId id) const;
    template <typename... Args, typename... Values>
    void Both(void (Mixer::*change)(BufferId, Args...), BufferId id, Values... values);

    ScriptedPlatform& platform_;
    Mixer& recording_;
    SoftMixer soft_;
    std::map<BufferId, BufferId> ids_;  // recording id -> software id
    uint64_t rendered_ = 0;
    uint64_t hash_ = 0xcbf29ce484222325ull;
};

}  // namespace tamblor::test
