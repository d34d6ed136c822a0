// Small helpers every part of the program shares: pixel packing, the
// bit-level float-to-integer conversion and the pseudo-random generator.
#pragma once

#include <cstdint>

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
// INT32_MIN, the value the x86 conversion instructions give there.
int32_t FloatToInt(double value);

// The shared generator: state = state * 214013 + 2531011 (mod 2^32), and each
// draw returns bits 16..30 of the new state, 0 to 32767. The state starts at 1.
void SeedRandom(uint32_t seed);
uint32_t NextRandom();
