#include "platform/soft_mixer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <thread>
#include <vector>

#include "platform/wav.h"
#include "support/files.h"

namespace tamblor {
namespace {

constexpr uint32_t kAllControls = kBufCtrlFrequency | kBufCtrlPan | kBufCtrlVolume;

std::vector<int16_t> Sine(double hz, uint32_t rate, size_t frames, double amplitude = 32767.0) {
    std::vector<int16_t> s(frames);
    for (size_t i = 0; i < frames; ++i) {
        s[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * i / rate)));
    }
    return s;
}

BufferId Create(SoftMixer& mixer, const std::vector<int16_t>& samples, uint16_t channels = 1,
                uint32_t rate = 22050, uint32_t flags = kAllControls) {
    return mixer.CreateBuffer(PcmFormat(channels, rate), flags, samples.data(),
                              samples.size() * sizeof(int16_t), "test");
}

std::vector<int16_t> Render(SoftMixer& mixer, size_t frames) {
    std::vector<int16_t> out(2 * frames);
    mixer.Render(out.data(), frames);
    return out;
}

size_t ZeroCrossings(const std::vector<int16_t>& stereo, int channel) {
    size_t count = 0;
    for (size_t i = 2 + channel; i < stereo.size(); i += 2) {
        if ((stereo[i - 2] < 0) != (stereo[i] < 0)) ++count;
    }
    return count;
}

int32_t ErrorOf(auto&& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

// (Pan and volume in hundredths of a decibel: the mixer tests of the
// hearing options, which add a class's volume to a buffer's and silence
// each end of the pan; and the Pac Man game rendered by this mixer, whose
// sounds are panned column by column.)

TEST(SoftMixerTest, FrequencySetsPlaybackRate) {
    SoftMixer mixer(48000, 1.0f);
    // One second of 441 Hz at 22050 Hz.
    BufferId id = Create(mixer, Sine(441, 22050, 22050));
    mixer.SetFrequency(id, 44100);
    // Twice the rate, twice the pitch: 882 Hz has 1764 crossings a second.
    mixer.Play(id, true);
    EXPECT_NEAR(double(ZeroCrossings(Render(mixer, 24000), 0)), 882, 3);
    mixer.SetFrequency(id, 0);  // back to the buffer's own rate
    EXPECT_NEAR(double(ZeroCrossings(Render(mixer, 24000), 0)), 441, 3);
}

// (A loop's wrap, sample for sample: the Pac Man game of the hearing tests,
// rendered by this mixer with its rolling ball and music looping.)

TEST(SoftMixerTest, ManyLoudSoundsAreLimitedNeverClippedAndTheLevelComesBack) {
    SoftMixer mixer(48000);
    auto sine = Sine(300, 22050, 22050);
    std::vector<BufferId> loud;
    for (int i = 0; i < 32; ++i) {
        loud.push_back(Create(mixer, sine));
        mixer.Play(loud.back(), true);
    }
    auto out = Render(mixer, 4800);
    int16_t high = 0, low = 0;
    for (size_t i = 0; i < out.size() / 2; ++i) {
        double ideal = std::sin(2 * std::numbers::pi * 300 * i / 48000.0);
        // A wrapped sum would flip sign on the peaks.
        if (std::abs(ideal) > 0.01) {
            ASSERT_EQ(out[2 * i] > 0, ideal > 0) << "frame " << i;
        }
        high = std::max(high, out[2 * i]);
        low = std::min(low, out[2 * i]);
    }
    // Loud, but under the ceiling: not one sample at full scale.
    EXPECT_LE(high, SoftMixer::kLimiterCeiling + 1);
    EXPECT_GE(low, -SoftMixer::kLimiterCeiling - 1);
    EXPECT_GT(high, SoftMixer::kLimiterCeiling * 0.9);

    // When the crowd stops, a quiet sound is heard at its own level again
    // within a second: the limiter lets go.
    for (BufferId id : loud) mixer.Stop(id);
    auto quiet = Sine(300, 22050, 22050, 2000.0);
    mixer.Play(Create(mixer, quiet), true);
    Render(mixer, 48000);
    out = Render(mixer, 4800);
    int16_t quietHigh = 0;
    for (size_t i = 0; i < out.size() / 2; ++i) quietHigh = std::max(quietHigh, out[2 * i]);
    EXPECT_NEAR(quietHigh, 2000 * SoftMixer::kMasterHeadroom, 30);
}

TEST(SoftMixerTest, OneShotStopsAtEndAndRewindsWhileStopKeepsPosition) {
    SoftMixer mixer(22050, 1.0f);  // same rate as the buffer: output is the samples
    std::vector<int16_t> ramp(1000);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = int16_t(i + 1);
    BufferId id = Create(mixer, ramp);

    mixer.Play(id, false);
    EXPECT_EQ(mixer.GetStatus(id), kStatusPlaying);
    Render(mixer, 300);
    mixer.Stop(id);
    EXPECT_EQ(mixer.GetStatus(id), 0u);
    EXPECT_EQ(Render(mixer, 10), std::vector<int16_t>(20, 0));
    mixer.Play(id, false);
    EXPECT_EQ(Render(mixer, 1)[0], 301);  // resumed where it stopped

    Render(mixer, 699);  // exactly the rest
    EXPECT_EQ(mixer.GetStatus(id), 0u);
    mixer.Play(id, false);
    EXPECT_EQ(Render(mixer, 1)[0], 1);  // from the start again

    // Byte positions round down to a frame.
    mixer.SetCurrentPosition(id, 2 * 500 + 1);
    EXPECT_EQ(Render(mixer, 1)[0], 501);
    mixer.SetCurrentPosition(id, 2 * 999);
    Render(mixer, 5);
    EXPECT_EQ(mixer.GetStatus(id), 0u);
}

TEST(SoftMixerTest, RejectsBadValuesMissingControlsAndUnknownBuffers) {
    SoftMixer mixer(48000, 1.0f);
    std::vector<int16_t> data(100, 0);
    BufferId id = Create(mixer, data);
    // Each end of each range is taken; one past it is not.
    mixer.SetFrequency(id, 100);
    mixer.SetFrequency(id, 100000);
    mixer.SetCurrentPosition(id, 199);
    BufferId voice = Create(mixer, data, 1, 22050, kBufStatic | kBufCtrlVolume);
    BufferId bare = Create(mixer, data, 1, 22050, kBufStatic);
    WaveFormat eightBit = PcmFormat(1), surround = PcmFormat(6), adpcm = PcmFormat(1);
    eightBit.bitsPerSample = 8;
    adpcm.formatTag = 2;
    const std::pair<std::function<void()>, int32_t> calls[] = {
        {[&] { mixer.SetVolume(id, 1); }, kErrInvalidParam},
        {[&] { mixer.SetVolume(id, -10001); }, kErrInvalidParam},
        {[&] { mixer.SetPan(id, 10001); }, kErrInvalidParam},
        {[&] { mixer.SetPan(id, -10001); }, kErrInvalidParam},
        {[&] { mixer.SetFrequency(id, 99); }, kErrInvalidParam},
        {[&] { mixer.SetFrequency(id, 100001); }, kErrInvalidParam},
        {[&] { mixer.SetCurrentPosition(id, 200); }, kErrInvalidParam},
        {[&] { mixer.SetPan(voice, 0); }, kErrControlUnavailable},
        {[&] { mixer.SetFrequency(voice, 22050); }, kErrControlUnavailable},
        {[&] { mixer.SetVolume(bare, 0); }, kErrControlUnavailable},
        {[&] { mixer.CreateBuffer(eightBit, 0, data.data(), 200, "x"); }, kErrBadFormat},
        {[&] { mixer.CreateBuffer(surround, 0, data.data(), 200, "x"); }, kErrBadFormat},
        {[&] { mixer.CreateBuffer(adpcm, 0, data.data(), 200, "x"); }, kErrBadFormat},
        {[&] { mixer.CreateBuffer(PcmFormat(1), 0, data.data(), 1, "x"); }, kErrInvalidParam},
        {[&] { mixer.CreateBuffer(PcmFormat(2), 0, data.data(), 3, "x"); }, kErrInvalidParam},
        // A released buffer is unknown; releasing it again is ignored.
        {[&] { mixer.Release(id); }, 0},
        {[&] { mixer.Release(id); }, 0},
        {[&] { mixer.Play(id, false); }, kErrInvalidParam},
        {[&] { mixer.Stop(id); }, kErrInvalidParam},
        {[&] { mixer.GetStatus(id); }, kErrInvalidParam},
        {[&] { mixer.SetVolume(kNoBuffer, 0); }, kErrInvalidParam},
    };
    for (size_t i = 0; i < std::size(calls); ++i) EXPECT_EQ(ErrorOf(calls[i].first), calls[i].second) << "call " << i;
}

// A stereo WAV keeps its channels apart, ends in silence, and positions in
// bytes land on its frames.
TEST(SoftMixerTest, CreatesStereoBuffersFromWavFilesThatKeepTheirChannels) {
    SoftMixer mixer(22050, 1.0f);
    test::TestFolder folder("soft_mixer_test_");
    const std::string path = folder / "stereo.wav";
    std::vector<int16_t> frames = {1000, -2000, 3000, -4000, 5000, -6000};
    const auto* bytes = reinterpret_cast<const uint8_t*>(frames.data());
    auto wav = MakeWav(PcmFormat(2), {bytes, bytes + 2 * frames.size()});
    test::WriteFile(path, std::string(wav.begin(), wav.end()));
    BufferId id = mixer.CreateBufferFromFile(path, kAllControls, "file");
    std::filesystem::remove(path);
    mixer.Play(id, false);
    EXPECT_EQ(Render(mixer, 4), (std::vector<int16_t>{1000, -2000, 3000, -4000, 5000, -6000, 0, 0}));
    mixer.SetCurrentPosition(id, 4);  // bytes: the second frame
    mixer.Play(id, false);
    EXPECT_EQ(Render(mixer, 1), (std::vector<int16_t>{3000, -4000}));
    EXPECT_EQ(ErrorOf([&] { mixer.CreateBufferFromFile(path, 0, "gone"); }), kErrFileNotFound);
}

// Runs under AddressSanitizer in the sanitizer build: a buffer freed while
// the audio thread mixes it would show up here.
TEST(SoftMixerTest, GameThreadCallsAreSafeAgainstTheAudioThread) {
    SoftMixer mixer(48000, 1.0f);
    auto sine = Sine(500, 22050, 2000);
    std::atomic<bool> done{false};
    std::atomic<int> renders{0};
    std::thread audio([&] {
        std::vector<int16_t> out(2 * 256);
        while (!done.load()) {
            mixer.Render(out.data(), 256);
            ++renders;
        }
    });
    std::vector<BufferId> live;
    for (int i = 0; i < 3000 || renders.load() < 500; ++i) {
        BufferId id = Create(mixer, sine);
        mixer.SetFrequency(id, 8000 + 97 * uint32_t(i % 500));
        mixer.Play(id, i % 3 == 0);
        live.push_back(id);
        if (i % 5 == 0) mixer.Stop(live[size_t(i) % live.size()]);
        if (live.size() > 40) {
            mixer.Release(live.front());
            live.erase(live.begin());
        }
    }
    done = true;
    audio.join();
    for (BufferId id : live) mixer.Release(id);
    EXPECT_EQ(Render(mixer, 16), std::vector<int16_t>(32, 0));
}

}  // namespace
}  // namespace tamblor
