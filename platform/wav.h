// RIFF WAV reading and writing for 16-bit PCM, shared by the mixers and the
// game-data tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tamblor {

struct WavData {
    WaveFormat format;
    std::vector<uint8_t> samples;  // the data chunk
};

// Walks the RIFF chunks; false (with a reason) for anything but 16-bit PCM
// with 1 or 2 channels, or a file cut short before its data.
bool ParseWav(const uint8_t* bytes, size_t size, WavData& out, std::string& error);

// Throws RuntimeError (kErrFileNotFound or kErrBadFormat).
WavData ReadWavFile(const std::string& path);

// The plain 44-byte header followed by the samples.
std::vector<uint8_t> MakeWav(const WaveFormat& format, const std::vector<uint8_t>& samples);

}  // namespace tamblor
