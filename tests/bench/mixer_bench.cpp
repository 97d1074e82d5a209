// What the audio thread spends mixing: one second of 48 kHz output with 32
// sounds playing (mono and stereo, looping, at assorted pitches, panned).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/soft_mixer.h"

namespace {

void BM_RenderOneSecond32Sounds(benchmark::State& state) {
    constexpr uint32_t kRate = 48000;
    constexpr size_t kCallbackFrames = 480;  // 100 callbacks make the second
    tamblor::SoftMixer mixer(kRate);
    std::vector<int16_t> samples(2 * 22050);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(8000 * std::sin(0.05 * double(i)));
    }
    const uint32_t flags = tamblor::kBufCtrlFrequency | tamblor::kBufCtrlPan | tamblor::kBufCtrlVolume;
    for (int i = 0; i < 32; ++i) {
        uint16_t channels = i % 4 == 0 ? 2 : 1;
        auto id = mixer.CreateBuffer(tamblor::PcmFormat(channels), flags, samples.data(),
                                     samples.size() * sizeof(int16_t), "bench");
        mixer.SetFrequency(id, 22050 + 2000 * uint32_t(i % 5));
        mixer.SetPan(id, -8000 + 500 * i);
        mixer.SetVolume(id, -100 * (i % 7));
        mixer.Play(id, true);
    }
    std::vector<int16_t> out(2 * kCallbackFrames);
    for (auto _ : state) {
        for (size_t done = 0; done < kRate; done += kCallbackFrames) {
            mixer.Render(out.data(), kCallbackFrames);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel("per second of output");
}
BENCHMARK(BM_RenderOneSecond32Sounds)->Unit(benchmark::kMillisecond);

}  // namespace
