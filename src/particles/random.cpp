#include "particles/random.h"

namespace tarn::particles {

namespace {
// Every process starts from the same state.
uint32_t state = 1;
}  // namespace

void SeedRandom(uint32_t seed) { state = seed; }

int NextRandom() {
  // A linear congruential step; its upper bits are well spread.
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

float RandomIn(float a, float b) {
  return a + static_cast<float>(NextRandom()) / static_cast<float>(kRandomMax) * (b - a);
}

}  // namespace tarn::particles
