// The process-wide format settings and random numbers.
#include "platform/core/sysutils.h"

#include <chrono>

TFormatSettings& FormatSettings() {
    static TFormatSettings settings;
    return settings;
}

void ResetFormatSettings() { FormatSettings() = TFormatSettings(); }

// ---------------------------------------------------------------------------
// Random numbers: a 32-bit linear congruential generator, so a given seed
// always gives the same sequence.

namespace {
uint32_t seed = 0;

uint32_t NextRandom() {
    seed = seed * 1664525u + 1013904223u;
    return seed;
}
}  // namespace

int Random(int range) {
    if (range <= 0) return 0;
    return static_cast<int>((static_cast<uint64_t>(NextRandom()) * static_cast<uint64_t>(range)) >> 32);
}

double Random() { return NextRandom() / 4294967296.0; }

void Randomize() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    seed = static_cast<uint32_t>(ticks ^ (ticks >> 32));
}

void SetRandSeed(uint32_t value) { seed = value; }

uint32_t RandSeed() { return seed; }
