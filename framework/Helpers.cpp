#include "framework/Helpers.h"

#include <cstring>

int32_t FloatToInt(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  if (exponent <= 1022) return 0;  // |value| < 1, zero included
  if (exponent >= 1054) return INT32_MIN;  // |value| >= 2^31, inf or NaN
  // The 32 leading significand bits, the implicit 1 on top, shifted down so
  // that only the integer part stays.
  const uint64_t significand = (bits & 0xFFFFFFFFFFFFFull) | (1ull << 52);
  const uint32_t leading = static_cast<uint32_t>(significand >> 21);
  const int64_t magnitude = leading >> (1054 - exponent);
  return static_cast<int32_t>((bits >> 63) != 0 ? -magnitude : magnitude);
}

namespace {
uint32_t randomState = 1;
}

void SeedRandom(uint32_t seed) { randomState = seed; }

uint32_t NextRandom() {
  randomState = randomState * 214013u + 2531011u;
  return (randomState >> 16) & 0x7FFF;
}
