// Voices at the player's speech rate: time-stretched with their pitch kept,
// each voice once when it is first loaded at a rate, and kept for the next
// time it plays. At 100% nothing is stretched and nothing kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamblor {

// `frames` frames of interleaved 16-bit samples at `rate` percent (pitch
// kept). Empty when there is nothing to stretch.
std::vector<int16_t> Stretch(const int16_t* samples, size_t frames, uint16_t channels, uint32_t sampleRate,
                             uint16_t ratePercent);

// The voice `key` (its member or file, and channel count) at the current
// speech rate: stretched by `make` the first time (make fills the
// recorded samples), then kept until the rate changes.
const std::vector<int16_t>& StretchedVoice(const std::string& key, uint16_t channels, uint32_t sampleRate,
                                           void (*make)(const void* context, std::vector<int16_t>& recorded),
                                           const void* context);

// How many voices are kept (for tests and measurements).
size_t StretchedVoicesKept();
void ForgetStretchedVoices();

}  // namespace tamblor
