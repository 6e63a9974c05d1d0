// The particles' random source: uniform integers 0..32767 from a seeded
// generator of our own, so that a run with the same seed repeats exactly.
#pragma once

#include <cstdint>

namespace tarn::particles {

inline constexpr int kRandomMax = 32767;

void SeedRandom(uint32_t seed);
int NextRandom();
// A value in [a, b]: a + r / 32767 × (b - a) for a fresh draw r.
float RandomIn(float a, float b);

}  // namespace tarn::particles
