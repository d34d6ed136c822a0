// Small helpers every part of the program shares: pixel packing, the
// bit-level float-to-integer conversion and the pseudo-random generator.
#pragma once

#include <cstdint>
#include <cstring>

// Stores the pixel (r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF), that is
// 0x00RRGGBB, into entry `index` of `palette`.
inline void PackRgb(uint32_t* palette, int index, int r, int g, int b) {
  palette[index] = (static_cast<uint32_t>(r) & 0xFF) << 16 |
                   (static_cast<uint32_t>(g) & 0xFF) << 8 |
                   (static_cast<uint32_t>(b) & 0xFF);
}

// Truncates a double toward zero to a signed 32-bit integer by reading the
// bits of the IEEE double, never touching the FPU's rounding mode. Exact for
// magnitudes below 2^31; larger magnitudes, infinities and NaN give
// INT32_MIN, the value the x86 conversion instructions give there. Inline:
// the starfield converts two coordinates of every star in every frame.
inline int32_t FloatToInt(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  if (exponent <= 1022) return 0;          // |value| < 1, zero included
  if (exponent >= 1054) return INT32_MIN;  // |value| >= 2^31, inf or NaN
  // The 32 leading significand bits, the implicit 1 on top, shifted down so
  // that only the integer part stays.
  const uint64_t significand = (bits & 0xFFFFFFFFFFFFFull) | (1ull << 52);
  const uint32_t leading = static_cast<uint32_t>(significand >> 21);
  const int64_t magnitude = leading >> (1054 - exponent);
  return static_cast<int32_t>((bits >> 63) != 0 ? -magnitude : magnitude);
}

// The shared generator: state = state * 214013 + 2531011 (mod 2^32), and each
// draw returns bits 16..30 of the new state, 0 to 32767. The state starts at 1.
void SeedRandom(uint32_t seed);
uint32_t NextRandom();

// The generator's state as it stands (SeedRandom puts one back), and the
// state and value the next draw from `state` gives, by the very step
// NextRandom takes.
uint32_t RandomState();
inline uint32_t RandomStateAfter(uint32_t state) { return state * 214013u + 2531011u; }
inline uint32_t RandomValueOf(uint32_t state) { return (state >> 16) & 0x7FFF; }
