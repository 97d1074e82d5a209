#include "tools/gamedata/pcm.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/wav.h"

namespace gamedata {
namespace {
constexpr double kPi = 3.14159265358979323846;

// Zeroth-order modified Bessel function, for the Kaiser window.
double BesselI0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 30; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}
}  // namespace

std::vector<float> Resample(const std::vector<float>& in, double in_rate, double out_rate) {
    if (in.empty()) return {};
    double ratio = out_rate / in_rate;
    size_t out_n = size_t(std::floor(double(in.size()) * ratio));
    // Cut just below the lower Nyquist frequency so nothing folds back.
    double cutoff = 0.45 * std::min(1.0, ratio);  // in cycles per input sample
    const int half = 32;                            // zero crossings each side
    double width = half / (2 * cutoff);
    // The Kaiser-windowed sinc, tabulated finely and read with linear
    // interpolation: exact enough, and far cheaper than evaluating it.
    const double beta = 8.0, i0beta = BesselI0(beta);
    const int steps = 512;
    std::vector<double> kernel(size_t(std::ceil(width * steps)) + 2);
    for (size_t k = 0; k < kernel.size(); ++k) {
        double x = double(k) / steps;
        double sinc = x == 0 ? 2 * cutoff : std::sin(2 * kPi * cutoff * x) / (kPi * x);
        double r = std::min(1.0, x / width);
        kernel[k] = sinc * BesselI0(beta * std::sqrt(1 - r * r)) / i0beta;
    }
    std::vector<float> out(out_n);
    for (size_t j = 0; j < out_n; ++j) {
        double centre = double(j) / ratio;
        long lo = long(std::ceil(centre - width)), hi = long(std::floor(centre + width));
        double acc = 0;
        for (long i = std::max(0L, lo); i <= std::min(long(in.size()) - 1, hi); ++i) {
            double pos = std::fabs(double(i) - centre) * steps;
            size_t k = size_t(pos);
            if (k + 1 >= kernel.size()) continue;
            double f = pos - double(k);
            acc += in[size_t(i)] * (kernel[k] * (1 - f) + kernel[k + 1] * f);
        }
        out[j] = float(acc);
    }
    return out;
}

std::vector<float> TrimSilence(const std::vector<float>& in, int rate, double lead, double tail) {
    size_t win = size_t(rate * 0.005);
    size_t windows = in.size() / win;
    if (windows == 0) return in;
    std::vector<double> rms(windows);
    double loudest = 0;
    for (size_t w = 0; w < windows; ++w) {
        double acc = 0;
        for (size_t i = w * win; i < (w + 1) * win; ++i) acc += double(in[i]) * in[i];
        rms[w] = std::sqrt(acc / double(win));
        loudest = std::max(loudest, rms[w]);
    }
    double threshold = loudest * 0.01;
    size_t first = 0, last = windows - 1;
    while (first < windows && rms[first] < threshold) ++first;
    while (last > first && rms[last] < threshold) --last;
    if (first >= windows) return in;
    long a = long(first * win) - long(lead * rate);
    long b = long((last + 1) * win) + long(tail * rate);
    a = std::max(0L, a);
    b = std::min(long(in.size()), b);
    std::vector<float> out(in.begin() + a, in.begin() + b);
    size_t fin = std::min(out.size(), size_t(rate * 0.003)), fout = std::min(out.size(), size_t(rate * 0.012));
    for (size_t i = 0; i < fin; ++i) out[i] *= float(double(i) / double(fin));
    for (size_t i = 0; i < fout; ++i) out[out.size() - 1 - i] *= float(double(i) / double(fout));
    return out;
}

void NormalisePeak(std::vector<float>& samples, double peak_db) {
    float peak = 0;
    for (float x : samples) peak = std::max(peak, std::fabs(x));
    if (peak <= 0) return;
    float g = float(std::pow(10.0, peak_db / 20.0) / peak);
    for (float& x : samples) x *= g;
}

std::vector<uint8_t> PackMember(const std::vector<float>& interleaved, int channels, bool loop) {
    std::vector<uint8_t> pcm;
    pcm.reserve(interleaved.size() * 2 + 200);
    for (float x : interleaved) {
        long v = std::lround(std::clamp(double(x), -1.0, 1.0) * 32767.0);
        int16_t s = int16_t(v);
        pcm.push_back(uint8_t(uint16_t(s) & 0xFF));
        pcm.push_back(uint8_t(uint16_t(s) >> 8));
    }
    // 244 bytes at least: 44 of header, 160 never played, 40 of sound.
    while (pcm.size() < 40) pcm.push_back(0);
    pcm.insert(pcm.end(), loop ? 156 : 160, 0);
    return tamblor::MakeWav(tamblor::PcmFormat(uint16_t(channels)), pcm);
}

std::vector<float> ReadWavMono(const std::string& path, int& rate) {
    tamblor::WavData wav = tamblor::ReadWavFile(path);
    rate = int(wav.format.samplesPerSec);
    size_t ch = wav.format.channels;
    size_t frames = wav.samples.size() / (2 * ch);
    std::vector<float> out(frames);
    for (size_t i = 0; i < frames; ++i) {
        double acc = 0;
        for (size_t c = 0; c < ch; ++c) {
            size_t k = (i * ch + c) * 2;
            acc += int16_t(uint16_t(wav.samples[k]) | uint16_t(wav.samples[k + 1]) << 8) / 32768.0;
        }
        out[i] = float(acc / double(ch));
    }
    return out;
}

}  // namespace gamedata
