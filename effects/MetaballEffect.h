// Metaballs: three point charges on fixed trigonometric paths over a 320x240
// surface, each pixel coloured by the summed inverse-square field of the
// three in a black-to-red palette. See MetaballEffect.cpp for the maths.
#pragma once

#include <cstdint>

#include "framework/Effect.h"

// The field at pixel (x, y) of the three charges whose columns and rows are
// chargeX[0..2] and chargeY[0..2]: the sum, in charge order 0, 1, 2, of
// 1 / d^2, where a charge exactly on the pixel (d^2 == 0) adds 1.0.
double MetaballField(const float* chargeX, const float* chargeY, int x, int y);

// The palette index of a field: v = field * 70000 truncated toward zero, and
// 255 for any v of 255 or more (or NaN), however large.
int MetaballIndex(double field);

class MetaballEffect : public Effect {
 public:
  static constexpr int kChargeCount = 3;

  explicit MetaballEffect(QelGFX* owner);
  ~MetaballEffect() override;

  void Render() override;

  uint32_t* palette;  // 256 entries, built once: index i is red i over black
  float* chargeX;     // column of each charge, in surface pixels
  float* chargeY;     // row of each charge, in surface pixels
};
