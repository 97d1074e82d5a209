#include "audio/speech_rate.h"

#include <sonic.h>

#include <unordered_map>

#include "core/settings.h"

namespace tamblor {

namespace {
struct Kept {
    uint16_t rate = 0;
    std::unordered_map<std::string, std::vector<int16_t>> voices;
};

Kept& KeptVoices() {
    static Kept kept;
    return kept;
}
}  // namespace

std::vector<int16_t> Stretch(const int16_t* samples, size_t frames, uint16_t channels, uint32_t sampleRate,
                             uint16_t ratePercent) {
    std::vector<int16_t> out;
    if (frames == 0 || channels == 0 || frames > size_t(INT32_MAX)) return out;
    sonicStream stream = sonicCreateStream(int(sampleRate), channels);
    if (stream == nullptr) return out;
    sonicSetSpeed(stream, float(ratePercent) / 100.0f);
    sonicSetPitch(stream, 1.0f);
    sonicSetRate(stream, 1.0f);
    // Sonic reads from a non-const buffer but leaves it as it was.
    std::vector<int16_t> in(samples, samples + frames * channels);
    sonicWriteShortToStream(stream, in.data(), int(frames));
    sonicFlushStream(stream);
    const int available = sonicSamplesAvailable(stream);
    if (available > 0) {
        out.resize(size_t(available) * channels);
        const int read = sonicReadShortFromStream(stream, out.data(), available);
        out.resize(size_t(read > 0 ? read : 0) * channels);
    }
    sonicDestroyStream(stream);
    return out;
}

const std::vector<int16_t>& StretchedVoice(const std::string& key, uint16_t channels, uint32_t sampleRate,
                                           void (*make)(const void* context, std::vector<int16_t>& recorded),
                                           const void* context) {
    Kept& kept = KeptVoices();
    if (kept.rate != SpeechRate) {
        kept.voices.clear();
        kept.rate = SpeechRate;
    }
    const std::string name = key + "|" + std::to_string(channels);
    auto found = kept.voices.find(name);
    if (found != kept.voices.end()) return found->second;
    std::vector<int16_t> recorded;
    make(context, recorded);
    std::vector<int16_t> stretched =
        Stretch(recorded.data(), recorded.size() / channels, channels, sampleRate, SpeechRate);
    // A voice too short to stretch plays as recorded.
    if (stretched.empty()) stretched = std::move(recorded);
    return kept.voices.emplace(name, std::move(stretched)).first->second;
}

size_t StretchedVoicesKept() { return KeptVoices().voices.size(); }

void ForgetStretchedVoices() {
    KeptVoices().voices.clear();
    KeptVoices().rate = 0;
}

}  // namespace tamblor
