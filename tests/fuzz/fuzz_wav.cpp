// Feeds arbitrary bytes to the WAV reader used for the loose voice files,
// then plays whatever it accepts through the software mixer, as the game
// does: parsing, buffer creation at any rate and channel count, and mixing
// must never crash or read past the data.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/soft_mixer.h"
#include "platform/wav.h"

using namespace tamblor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SoftMixer mixer(48000);
    WavData wav;
    std::string error;
    if (!ParseWav(data, size, wav, error)) return 0;
    if (wav.samples.size() > size) std::abort();
    BufferId id = kNoBuffer;
    try {
        id = mixer.CreateBuffer(wav.format, kBufCtrlVolume | kBufCtrlPan | kBufCtrlFrequency, wav.samples.data(),
                                wav.samples.size(), "fuzz");
    } catch (const RuntimeError&) {
        return 0;  // a format the mixer refuses, refused cleanly
    }
    int16_t out[2 * 256];
    mixer.SetPan(id, int32_t(size % 20001) - 10000);
    mixer.Play(id, size % 2 == 0);
    mixer.Render(out, 256);
    mixer.SetFrequency(id, 100 + uint32_t(size * 7919 % 99900));
    mixer.Render(out, 256);
    mixer.Release(id);
    return 0;
}
