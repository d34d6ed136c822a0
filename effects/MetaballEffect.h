// Metaballs: three point charges on fixed trigonometric paths over a 320x240
// surface, each pixel coloured by the summed inverse-square field of the
// three in a black-to-red palette. See MetaballEffect.cpp for the maths.
#pragma once

#include <cstdint>

#include "effects/MetaballField.h"
#include "framework/Effect.h"

class MetaballEffect : public Effect {
 public:
  static constexpr int kChargeCount = kMetaballCharges;

  explicit MetaballEffect(QelGFX* owner);
  ~MetaballEffect() override;

  void Render() override;

  uint32_t* palette;  // 256 entries, built once: index i is red i over black
  float* chargeX;     // column of each charge, in surface pixels
  float* chargeY;     // row of each charge, in surface pixels
};
