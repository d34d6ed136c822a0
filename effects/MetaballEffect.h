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
  // Explorer hooks (framework/Effect.h); the descriptions are in
  // effects/MetaballDescription.cpp.
  void VisitState(StateVisitor& visitor) override;
  const char* Name() const override;
  void Describe(Description& out) const override;
  void DescribePoint(int x, int y, Description& out) const override;

  uint32_t* palette;  // 256 entries, built once: index i is red i over black
  float* chargeX;     // column of each charge, in surface pixels
  float* chargeY;     // row of each charge, in surface pixels
  float seconds;      // this frame's own time in seconds, as the paths take it
};
