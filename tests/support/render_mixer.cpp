#include "support/render_mixer.h"

#include <algorithm>

namespace tamblor::test {

RenderingMixer::RenderingMixer(ScriptedPlatform& platform)
    : platform_(platform), recording_(*platform.Services().mixer), soft_(kRate) {
    Platform services = platform.Services();
    services.mixer = this;
    InstallPlatform(services);
}

void RenderingMixer::RenderToNow() {
    const uint64_t due = platform_.NowMicros() * kRate / 1000000;
    int16_t chunk[2 * 512];
    while (rendered_ < due) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(due - rendered_, 512));
        soft_.Render(chunk, n);
        for (size_t i = 0; i < 2 * n; ++i) {
            const uint16_t v = static_cast<uint16_t>(chunk[i]);
            hash_ = (hash_ ^ (v & 0xFF)) * 0x100000001b3ull;
            hash_ = (hash_ ^ (v >> 8)) * 0x100000001b3ull;
        }
        rendered_ += n;
    }
}

uint64_t RenderingMixer::Fingerprint() {
    RenderToNow();
    return hash_;
}

uint64_t RenderingMixer::Frames() {
    RenderToNow();
    return rendered_;
}

BufferId RenderingMixer::Soft(BufferId id) const {
    auto it = ids_.find(id);
    return it == ids_.end() ? kNoBuffer : it->second;
}

bool RenderingMixer::OpenDevice() { return recording_.OpenDevice(); }

BufferId RenderingMixer::CreateBuffer(const WaveFormat& format, uint32_t flags, const void* data, size_t bytes,
                                      std::string_view label) {
    RenderToNow();
    BufferId id = recording_.CreateBuffer(format, flags, data, bytes, label);
    ids_[id] = soft_.CreateBuffer(format, flags, data, bytes, label);
    return id;
}

BufferId RenderingMixer::CreateBufferFromFile(const std::string& path, uint32_t flags, std::string_view label) {
    RenderToNow();
    BufferId id = recording_.CreateBufferFromFile(path, flags, label);
    ids_[id] = soft_.CreateBufferFromFile(path, flags, label);
    return id;
}

void RenderingMixer::Release(BufferId id) {
    RenderToNow();
    recording_.Release(id);
    soft_.Release(Soft(id));
    ids_.erase(id);
}

// Every change goes to both mixers, the software one rendered up to now first.
template <typename... Args, typename... Values>
void RenderingMixer::Both(void (Mixer::*change)(BufferId, Args...), BufferId id, Values... values) {
    RenderToNow();
    (recording_.*change)(id, values...);
    (soft_.*change)(Soft(id), values...);
}

void RenderingMixer::Play(BufferId id, bool loop) { Both(&Mixer::Play, id, loop); }
void RenderingMixer::Stop(BufferId id) { Both(&Mixer::Stop, id); }
void RenderingMixer::SetCurrentPosition(BufferId id, uint32_t position) { Both(&Mixer::SetCurrentPosition, id, position); }
void RenderingMixer::SetVolume(BufferId id, int32_t volume) { Both(&Mixer::SetVolume, id, volume); }
void RenderingMixer::SetPan(BufferId id, int32_t pan) { Both(&Mixer::SetPan, id, pan); }
void RenderingMixer::SetFrequency(BufferId id, uint32_t hz) { Both(&Mixer::SetFrequency, id, hz); }
void RenderingMixer::SetBufferClass(BufferId id, SoundClass soundClass) {
    Both(&Mixer::SetBufferClass, id, soundClass);
}

// The game's questions are answered in its virtual time.
int32_t RenderingMixer::GetVolume(BufferId id) { return recording_.GetVolume(id); }

uint32_t RenderingMixer::GetStatus(BufferId id) {
    RenderToNow();
    return recording_.GetStatus(id);
}

void RenderingMixer::SetClassVolume(SoundClass soundClass, int32_t volume) {
    RenderToNow();
    recording_.SetClassVolume(soundClass, volume);
    soft_.SetClassVolume(soundClass, volume);
}

void RenderingMixer::SetPanLaw(PanLaw law) {
    RenderToNow();
    recording_.SetPanLaw(law);
    soft_.SetPanLaw(law);
}

}  // namespace tamblor::test
