// Sample-level helpers of the game-data build: resampling, trimming,
// loudness, and packing samples into the member format the game plays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gamedata {

// Band-limited (windowed-sinc) change of rate for a mono signal.
std::vector<float> Resample(const std::vector<float>& in, double in_rate, double out_rate);

// Cuts leading and trailing silence (anything 40 dB below the loudest
// 5 ms stretch), keeping `lead` and `tail` seconds around the sound with
// short fades so the cut does not click.
std::vector<float> TrimSilence(const std::vector<float>& in, int rate, double lead, double tail);

// Scales so the loudest sample sits at `peak_db` dBFS.
void NormalisePeak(std::vector<float>& samples, double peak_db);

// The member bytes: the plain 44-byte header, 16-bit samples, then
// silence the game never plays. Samples of a loop hold exactly one period
// and are followed by exactly the 156 bytes the game leaves unplayed, so
// the played buffer is the period and nothing else; a one-shot gets 160.
// Short sounds are padded so every member has at least 244 bytes.
std::vector<uint8_t> PackMember(const std::vector<float>& interleaved, int channels, bool loop);

// Reads a 16-bit PCM WAV (any rate) as mono floats; throws on bad input.
std::vector<float> ReadWavMono(const std::string& path, int& rate);

}  // namespace gamedata
