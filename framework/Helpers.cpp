#include "framework/Helpers.h"

namespace {
uint32_t randomState = 1;
}

void SeedRandom(uint32_t seed) { randomState = seed; }

uint32_t NextRandom() {
  randomState = RandomStateAfter(randomState);
  return RandomValueOf(randomState);
}

uint32_t RandomState() { return randomState; }
