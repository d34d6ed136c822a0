// The plasma: a four-wave sine plasma on a 160x120 surface, coloured
// through a red-blue palette that rotates about one entry every 10 ms and
// enlarged over the whole screen.
#pragma once

#include <cstdint>

#include "framework/Effect.h"

// The plasma's pixel loop: for every pixel of a width x height surface, row
// after row from `out`,
//   acc = Wrap(Wrap(columnAcc[x] + rowT3[y]) + rowT4[y]),   pixel = palette[acc & 0xFF],
// where columnAcc[x] is the accumulator after the column's own two terms
// (taken as its unsigned value), the additions are in double and Wrap keeps
// the low 32 bits of the sum truncated toward zero. The plain way does just
// that; the fast way does it in whole numbers, four pixels at a time, in
// every row where that is proven the same (PlasmaEffect.cpp), and the plain
// way in the others. Returns how many rows took the plain way.
enum class PlasmaPath { Plain, Fast };
int DrawPlasmaPixels(const uint32_t* columnAcc, int width, const double* rowT3,
                     const double* rowT4, int height, const uint32_t* palette, uint32_t* out,
                     PlasmaPath path);

class PlasmaEffect : public Effect {
 public:
  static constexpr int32_t kWidth = 160;
  static constexpr int32_t kHeight = 120;
  static constexpr int kPaletteSize = 256;

  explicit PlasmaEffect(QelGFX* owner);
  ~PlasmaEffect() override;

  void Render() override;

  // The fixed colour cycle, built once: red -> blue -> red.
  uint32_t* basePalette;
  // This frame's colours: basePalette rotated by the frame's offset.
  uint32_t* workPalette;
};
