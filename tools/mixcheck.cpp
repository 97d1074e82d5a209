// Measures what reached the sound device: a raw capture of 16-bit stereo
// output (SDL's disk audio driver writes one) is read and its clipped
// samples, peak and loudest second are printed; or the levels of WAV files.
//   mixcheck capture FILE [RATE] [MAX_CLIPPED_PERCENT]
//   mixcheck wav FILE...
// With MAX_CLIPPED_PERCENT the exit status says whether the capture kept
// under it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<int16_t> ReadSamples(const std::string& path, size_t skip) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "mixcheck: cannot read " << path << "\n";
        std::exit(2);
    }
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> samples;
    if (bytes.size() <= skip) return samples;
    samples.resize((bytes.size() - skip) / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(uint16_t(uint8_t(bytes[skip + 2 * i])) | uint16_t(uint8_t(bytes[skip + 2 * i + 1])) << 8);
    return samples;
}

double Db(double level) { return 20 * std::log10(std::max(level, 1.0) / 32768.0); }

double Rms(const int16_t* s, size_t n) {
    double sum = 0;
    for (size_t i = 0; i < n; ++i) sum += double(s[i]) * s[i];
    return n ? std::sqrt(sum / double(n)) : 0;
}

int Capture(const std::string& path, int rate, double maxClippedPercent) {
    const std::vector<int16_t> s = ReadSamples(path, 0);
    size_t clipped = 0;
    int peak = 0;
    for (int16_t v : s) {
        if (v >= 32767 || v <= -32767) ++clipped;
        peak = std::max(peak, std::abs(int(v)));
    }
    const size_t second = size_t(rate) * 2;
    double loudest = 0;
    for (size_t i = 0; i + second <= s.size(); i += second / 4) loudest = std::max(loudest, Rms(&s[i], second));
    const double percent = s.empty() ? 0 : 100.0 * double(clipped) / double(s.size());
    std::printf("capture: %.1f s, %zu of %zu samples clipped (%.4f%%), peak %.1f dBFS, loudest second %.1f dBFS RMS\n",
                double(s.size()) / double(second), clipped, s.size(), percent, Db(peak), Db(loudest));
    return maxClippedPercent >= 0 && percent > maxClippedPercent ? 1 : 0;
}

int Wav(const std::string& path) {
    const std::vector<int16_t> s = ReadSamples(path, 44);
    int peak = 0;
    for (int16_t v : s) peak = std::max(peak, std::abs(int(v)));
    std::printf("%s: peak %.1f dBFS, RMS %.1f dBFS\n", path.c_str(), Db(peak), Db(Rms(s.data(), s.size())));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "capture" && argc >= 3)
        return Capture(argv[2], argc > 3 ? std::atoi(argv[3]) : 48000, argc > 4 ? std::atof(argv[4]) : -1);
    if (what == "wav" && argc >= 3) {
        for (int i = 2; i < argc; ++i) Wav(argv[i]);
        return 0;
    }
    std::cerr << "usage: mixcheck capture FILE [RATE] [MAX_CLIPPED_PERCENT]\n       mixcheck wav FILE...\n";
    return 2;
}
