#include "platform/wav.h"

#include <cstring>

#include "platform/safe_files.h"

namespace tamblor {

namespace {
// Far more than any voice of the game; a larger file is not one of ours.
constexpr size_t kMaxWavBytes = 64u << 20;

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
// A byte at a time: GCC 12 at -O3 takes inserting a braced list after
// reserve for an overflow and fails the build.
void PutTag(std::vector<uint8_t>& v, const char* tag) {
    for (; *tag != '\0'; ++tag) v.push_back(uint8_t(*tag));
}
}  // namespace

bool ParseWav(const uint8_t* bytes, size_t size, WavData& out, std::string& error) {
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
        error = "not a RIFF WAVE file";
        return false;
    }
    bool haveFormat = false;
    size_t pos = 12;
    while (pos + 8 <= size) {
        const uint8_t* chunk = bytes + pos;
        uint32_t length = Le32(chunk + 4);
        size_t body = pos + 8;
        size_t available = size - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (length < 16 || available < 16) {
                error = "format chunk too short";
                return false;
            }
            const uint8_t* f = bytes + body;
            out.format.formatTag = Le16(f);
            out.format.channels = Le16(f + 2);
            out.format.samplesPerSec = Le32(f + 4);
            out.format.avgBytesPerSec = Le32(f + 8);
            out.format.blockAlign = Le16(f + 12);
            out.format.bitsPerSample = Le16(f + 14);
            if (out.format.formatTag != 1 || out.format.bitsPerSample != 16 ||
                (out.format.channels != 1 && out.format.channels != 2) ||
                out.format.samplesPerSec == 0) {
                error = "only 16-bit PCM, mono or stereo, is supported";
                return false;
            }
            out.format.blockAlign = uint16_t(2 * out.format.channels);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                error = "data chunk before format chunk";
                return false;
            }
            // A length beyond the file (common in streamed files) takes what is there.
            size_t take = length <= available ? length : available;
            out.samples.assign(bytes + body, bytes + body + take);
            return true;
        }
        if (length > available) break;
        pos = body + length + (length & 1);
    }
    error = haveFormat ? "no data chunk" : "no format chunk";
    return false;
}

WavData ReadWavFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    bool missing = false;
    if (!ReadRegularFile(path, kMaxWavBytes, bytes, error, &missing))
        throw RuntimeError(kErrFileNotFound, missing ? "The file " + path + " is missing" : error);
    WavData wav;
    if (!ParseWav(bytes.data(), bytes.size(), wav, error)) throw RuntimeError(kErrBadFormat, path + ": " + error);
    return wav;
}

std::vector<uint8_t> MakeWav(const WaveFormat& format, const std::vector<uint8_t>& samples) {
    std::vector<uint8_t> v;
    v.reserve(44 + samples.size());
    PutTag(v, "RIFF");
    Put32(v, uint32_t(36 + samples.size()));
    PutTag(v, "WAVEfmt ");
    Put32(v, 16);
    Put16(v, format.formatTag);
    Put16(v, format.channels);
    Put32(v, format.samplesPerSec);
    Put32(v, format.avgBytesPerSec);
    Put16(v, format.blockAlign);
    Put16(v, format.bitsPerSample);
    PutTag(v, "data");
    Put32(v, uint32_t(samples.size()));
    v.insert(v.end(), samples.begin(), samples.end());
    return v;
}

}  // namespace tamblor
