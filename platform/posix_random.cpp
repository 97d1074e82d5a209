#include <unistd.h>

#include <chrono>

#include "platform/sdl_platform.h"

namespace tamblor {

// PCG32 (O'Neill): small state, good statistics, and the same sequence for
// the same seed on every machine.
PcgRandom::PcgRandom(uint64_t seed) { Seed(seed); }

void PcgRandom::Seed(uint64_t seed) {
    state_ = 0;
    Next32();
    state_ += seed;
    Next32();
}

uint32_t PcgRandom::Next32() {
    uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + kIncrement;
    uint32_t xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    uint32_t rot = static_cast<uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
}

float PcgRandom::Next() {
    // 24 bits fill a float's mantissa exactly, so the result is never 1.0f.
    return static_cast<float>(Next32() >> 8) * (1.0f / 16777216.0f);
}

void PcgRandom::Reseed() {
    auto now = std::chrono::system_clock::now().time_since_epoch().count();
    auto mono = std::chrono::steady_clock::now().time_since_epoch().count();
    Seed(static_cast<uint64_t>(now) ^ (static_cast<uint64_t>(mono) << 21) ^
         (static_cast<uint64_t>(::getpid()) << 40));
}

}  // namespace tamblor
