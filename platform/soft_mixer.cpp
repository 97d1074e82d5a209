#include "platform/soft_mixer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "platform/wav.h"

namespace tamblor {

static_assert(std::endian::native == std::endian::little,
              "buffer bytes are copied as little-endian samples");

namespace {

// Render locks the buffers for this many frames at a time, so a game-thread
// call never waits longer than one short chunk takes to mix.
constexpr size_t kChunkFrames = 256;

// Fractional frame positions are 32.32 fixed point: exact stepping, no drift
// over long loops, and the integer part indexes the samples directly.
constexpr int kFracBits = 32;
constexpr float kFracScale = 1.0f / 4294967296.0f;

[[noreturn]] void InvalidParam(const char* what) {
    throw RuntimeError(kErrInvalidParam,
                       std::string("An invalid parameter was passed to the mixer: ") + what);
}

[[noreturn]] void ControlUnavailable(const char* what) {
    throw RuntimeError(kErrControlUnavailable,
                       std::string("The buffer was not created with ") + what + " control");
}

// Hundredths of a decibel to a linear amplitude factor; the bottom of the
// range is silence, not merely -100 dB.
float Attenuation(int32_t hundredthsDb) {
    if (hundredthsDb <= kVolumeMin) return 0.0f;
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

}  // namespace

struct SoftMixer::Buffer {
    std::vector<int16_t> samples;  // interleaved when stereo
    uint32_t frames = 0;
    uint16_t channels = 1;
    uint32_t flags = 0;
    uint32_t originalRate = 0;
    uint32_t frequency = 0;
    int32_t volume = 0;
    int32_t pan = 0;
    SoundClass soundClass = SoundClass::Effects;
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    uint64_t position = 0;  // frames, 32.32 fixed point
    bool playing = false;
    bool looping = false;
    std::string label;
};

SoftMixer::SoftMixer(uint32_t deviceRate, float headroom) : deviceRate_(deviceRate), headroom_(headroom) {
    if (deviceRate_ == 0) deviceRate_ = 48000;
    limiterRelease_ = 1.0f / (kLimiterReleaseSeconds * float(deviceRate_));
    // Play() then normally finds room without allocating.
    playing_.reserve(64);
}

SoftMixer::~SoftMixer() = default;

void SoftMixer::SetDeviceRate(uint32_t deviceRate) {
    std::lock_guard lock(mutex_);
    if (deviceRate != 0) deviceRate_ = deviceRate;
    limiterRelease_ = 1.0f / (kLimiterReleaseSeconds * float(deviceRate_));
}

uint32_t SoftMixer::DeviceRate() const {
    std::lock_guard lock(mutex_);
    return deviceRate_;
}

SoftMixer::Buffer& SoftMixer::Find(BufferId id) {
    auto it = buffers_.find(id);
    if (it == buffers_.end()) InvalidParam("unknown buffer");
    return *it->second;
}

void SoftMixer::RemoveFromPlaying(Buffer* buffer) {
    auto it = std::find(playing_.begin(), playing_.end(), buffer);
    if (it != playing_.end()) {
        *it = playing_.back();
        playing_.pop_back();
    }
}

void SoftMixer::PanGains(PanLaw law, int32_t pan, float& left, float& right) {
    if (law == PanLaw::Wide) {
        const double quarter = std::acos(0.0) / 2;  // 45 degrees: the centre
        const double theta = quarter + double(pan) / kPanRight * (kWideArcDegrees / 45.0) * quarter;
        const double root2 = std::sqrt(2.0);
        left = static_cast<float>(root2 * std::cos(theta));
        right = static_cast<float>(root2 * std::sin(theta));
        return;
    }
    left = pan > 0 ? Attenuation(-pan) : 1.0f;
    right = pan < 0 ? Attenuation(pan) : 1.0f;
}

void SoftMixer::UpdateGains(Buffer& b) {
    // A class at full volume multiplies by exactly 1: the classic mix is
    // left sample for sample as it was.
    float gain = Attenuation(b.volume) * classGain_[static_cast<int>(b.soundClass)];
    if (panLaw_ == PanLaw::Classic) {
        b.gainLeft = b.pan > 0 ? gain * Attenuation(-b.pan) : gain;
        b.gainRight = b.pan < 0 ? gain * Attenuation(b.pan) : gain;
        return;
    }
    float left, right;
    PanGains(panLaw_, b.pan, left, right);
    b.gainLeft = gain * left;
    b.gainRight = gain * right;
}

BufferId SoftMixer::CreateBuffer(const WaveFormat& format, uint32_t flags, const void* data,
                                 size_t bytes, std::string_view label) {
    if (format.formatTag != 1 || format.bitsPerSample != 16 ||
        (format.channels != 1 && format.channels != 2)) {
        throw RuntimeError(kErrBadFormat, "Only 16-bit PCM, mono or stereo, is supported");
    }
    if (format.samplesPerSec < kFrequencyMin || format.samplesPerSec > kFrequencyMax) {
        InvalidParam("sample rate out of range");
    }
    const size_t frameBytes = 2u * format.channels;
    const size_t frames = bytes / frameBytes;
    if (data == nullptr || frames == 0) InvalidParam("no sample data");
    if (frames > std::numeric_limits<uint32_t>::max() / frameBytes) InvalidParam("buffer too long");

    // Built before taking the lock: the copy can be long and may allocate.
    auto buffer = std::make_unique<Buffer>();
    try {
        buffer->samples.resize(frames * format.channels);
        buffer->label.assign(label);
    } catch (const std::bad_alloc&) {
        throw RuntimeError(kErrOutOfMemory, "Not enough memory for the sound buffer");
    }
    std::memcpy(buffer->samples.data(), data, frames * frameBytes);
    buffer->frames = static_cast<uint32_t>(frames);
    buffer->channels = format.channels;
    buffer->flags = flags;
    buffer->originalRate = format.samplesPerSec;
    buffer->frequency = format.samplesPerSec;

    std::lock_guard lock(mutex_);
    while (nextId_ <= 0 || buffers_.count(nextId_) != 0) {
        nextId_ = nextId_ <= 0 || nextId_ == std::numeric_limits<BufferId>::max() ? 1 : nextId_ + 1;
    }
    BufferId id = nextId_++;
    UpdateGains(*buffer);  // the class volume of effects and the pan law
    buffers_.emplace(id, std::move(buffer));
    return id;
}

BufferId SoftMixer::CreateBufferFromFile(const std::string& path, uint32_t flags,
                                         std::string_view label) {
    WavData wav = ReadWavFile(path);
    return CreateBuffer(wav.format, flags, wav.samples.data(), wav.samples.size(), label);
}

void SoftMixer::Release(BufferId id) {
    std::unique_ptr<Buffer> doomed;
    {
        std::lock_guard lock(mutex_);
        auto it = buffers_.find(id);
        if (it == buffers_.end()) return;
        RemoveFromPlaying(it->second.get());
        doomed = std::move(it->second);
        buffers_.erase(it);
    }
    // Freed here, outside the lock, so the audio thread never waits on it.
}

void SoftMixer::Play(BufferId id, bool loop) {
    std::lock_guard lock(mutex_);
    Buffer& b = Find(id);
    b.looping = loop;
    if (!b.playing) {
        playing_.push_back(&b);
        b.playing = true;
    }
}

void SoftMixer::Stop(BufferId id) {
    std::lock_guard lock(mutex_);
    Buffer& b = Find(id);
    if (b.playing) {
        RemoveFromPlaying(&b);
        b.playing = false;
    }
}

void SoftMixer::SetCurrentPosition(BufferId id, uint32_t bytePosition) {
    std::lock_guard lock(mutex_);
    Buffer& b = Find(id);
    uint32_t frame = bytePosition / (2u * b.channels);
    if (frame >= b.frames) InvalidParam("position beyond the end of the buffer");
    b.position = uint64_t(frame) << kFracBits;
}

void SoftMixer::SetVolume(BufferId id, int32_t volume) {
    std::lock_guard lock(mutex_);
    Buffer& b = Find(id);
    if ((b.flags & kBufCtrlVolume) == 0) ControlUnavailable("volume");
    if (volume < kVolumeMin || volume > 0) InvalidParam("volume out of range");
    b.volume = volume;
    UpdateGains(b);
}

void SoftMixer::SetPan(BufferId id, int32_t pan) {
    std::lock_guard lock(mutex_);
    Buffer& b = Find(id);
    if ((b.flags & kBufCtrlPan) == 0) ControlUnavailable("pan");
    if (pan < kPanLeft || pan > kPanRight) InvalidParam("pan out of range");
    b.pan = pan;
    UpdateGains(b);
}

void SoftMixer::SetFrequency(BufferId id, uint32_t hz) {
    std::lock_guard lock(mutex_);
    Buffer& b = Find(id);
    if ((b.flags & kBufCtrlFrequency) == 0) ControlUnavailable("frequency");
    if (hz != 0 && (hz < kFrequencyMin || hz > kFrequencyMax)) InvalidParam("frequency out of range");
    b.frequency = hz == 0 ? b.originalRate : hz;
}

int32_t SoftMixer::GetVolume(BufferId id) {
    std::lock_guard lock(mutex_);
    Buffer& b = Find(id);
    if ((b.flags & kBufCtrlVolume) == 0) ControlUnavailable("volume");
    return b.volume;
}

uint32_t SoftMixer::GetStatus(BufferId id) {
    std::lock_guard lock(mutex_);
    Buffer& b = Find(id);
    if (!b.playing) return 0;
    return kStatusPlaying | (b.looping ? kStatusLooping : 0);
}

void SoftMixer::SetClassVolume(SoundClass soundClass, int32_t volume) {
    const int index = static_cast<int>(soundClass);
    if (index < 0 || index >= kSoundClassCount) InvalidParam("no such class of sound");
    if (volume < kVolumeMin || volume > 0) InvalidParam("volume out of range");
    std::lock_guard lock(mutex_);
    classGain_[index] = Attenuation(volume);
    for (auto& [id, buffer] : buffers_) UpdateGains(*buffer);
}

void SoftMixer::SetBufferClass(BufferId id, SoundClass soundClass) {
    const int index = static_cast<int>(soundClass);
    if (index < 0 || index >= kSoundClassCount) InvalidParam("no such class of sound");
    std::lock_guard lock(mutex_);
    Buffer& b = Find(id);
    b.soundClass = soundClass;
    UpdateGains(b);
}

void SoftMixer::SetPanLaw(PanLaw law) {
    if (law != PanLaw::Classic && law != PanLaw::Wide) InvalidParam("no such pan law");
    std::lock_guard lock(mutex_);
    panLaw_ = law;
    for (auto& [id, buffer] : buffers_) UpdateGains(*buffer);
}

// Mixes `frames` output frames for which the sample after the current one is
// still inside the buffer, so the loop needs no bounds checks.
template <int Channels>
void SoftMixer::MixRun(const Buffer& b, uint64_t& pos, uint64_t step, float* mix,
                       size_t frames) {
    const int16_t* s = b.samples.data();
    const float gl = b.gainLeft;
    const float gr = b.gainRight;
    uint64_t p = pos;
    for (size_t i = 0; i < frames; ++i) {
        const size_t index = static_cast<size_t>(p >> kFracBits) * Channels;
        const float frac = static_cast<float>(static_cast<uint32_t>(p)) * kFracScale;
        if constexpr (Channels == 1) {
            const float a = s[index];
            const float v = a + (s[index + 1] - a) * frac;
            mix[2 * i] += v * gl;
            mix[2 * i + 1] += v * gr;
        } else {
            const float al = s[index];
            const float ar = s[index + 1];
            mix[2 * i] += (al + (s[index + 2] - al) * frac) * gl;
            mix[2 * i + 1] += (ar + (s[index + 3] - ar) * frac) * gr;
        }
        p += step;
    }
    pos = p;
}

// Returns with b.playing false when a one-shot buffer ran out.
void SoftMixer::MixBuffer(Buffer& b, float* mix, size_t frames) {
    const uint64_t step = (uint64_t(b.frequency) << kFracBits) / deviceRate_;
    const uint64_t end = uint64_t(b.frames) << kFracBits;
    const uint64_t lastStart = uint64_t(b.frames - 1) << kFracBits;
    const int16_t* s = b.samples.data();
    size_t done = 0;
    while (done < frames) {
        if (b.position < lastStart) {
            uint64_t room = (lastStart - b.position + step - 1) / step;
            size_t run = static_cast<size_t>(std::min<uint64_t>(room, frames - done));
            if (b.channels == 1) {
                MixRun<1>(b, b.position, step, mix + 2 * done, run);
            } else {
                MixRun<2>(b, b.position, step, mix + 2 * done, run);
            }
            done += run;
        } else if (b.position < end) {
            // Between the last frame and the one after it: a loop blends into
            // its first frame, a one-shot holds its last.
            const float frac = static_cast<float>(static_cast<uint32_t>(b.position)) * kFracScale;
            const size_t last = size_t(b.frames - 1) * b.channels;
            const size_t next = b.looping ? 0 : last;
            float* out = mix + 2 * done;
            if (b.channels == 1) {
                const float v = s[last] + (s[next] - s[last]) * frac;
                out[0] += v * b.gainLeft;
                out[1] += v * b.gainRight;
            } else {
                out[0] += (s[last] + (s[next] - s[last]) * frac) * b.gainLeft;
                out[1] += (s[last + 1] + (s[next + 1] - s[last + 1]) * frac) * b.gainRight;
            }
            b.position += step;
            ++done;
        } else if (b.looping) {
            b.position %= end;
        } else {
            b.playing = false;
            b.position = 0;
            return;
        }
    }
    // A one-shot that ended exactly on the last output frame stops now, so
    // its status does not stay "playing" until the next callback.
    if (!b.looping && b.position >= end) {
        b.playing = false;
        b.position = 0;
    }
}

bool SoftMixer::Render(int16_t* out, size_t frames) {
    float mix[2 * kChunkFrames];
    bool ranOut = false;
    while (frames > 0) {
        const size_t n = std::min(frames, kChunkFrames);
        std::fill(mix, mix + 2 * n, 0.0f);
        {
            std::lock_guard lock(mutex_);
            for (size_t i = 0; i < playing_.size();) {
                Buffer& b = *playing_[i];
                MixBuffer(b, mix, n);
                if (b.playing) {
                    ++i;
                } else {
                    playing_[i] = playing_.back();
                    playing_.pop_back();
                    ranOut = true;
                }
            }
        }
        for (size_t i = 0; i < 2 * n; i += 2) {
            const float left = mix[i] * headroom_, right = mix[i + 1] * headroom_;
            const float loudest = std::max(std::fabs(left), std::fabs(right));
            limiterGain_ += (1.0f - limiterGain_) * limiterRelease_;
            if (loudest * limiterGain_ > kLimiterCeiling) limiterGain_ = kLimiterCeiling / loudest;
            // The clamp only guards the conversion; the limiter keeps the
            // sum below it.
            out[i] = static_cast<int16_t>(std::lrint(std::clamp(left * limiterGain_, -32768.0f, 32767.0f)));
            out[i + 1] = static_cast<int16_t>(std::lrint(std::clamp(right * limiterGain_, -32768.0f, 32767.0f)));
        }
        out += 2 * n;
        frames -= n;
    }
    return ranOut;
}

}  // namespace tamblor
