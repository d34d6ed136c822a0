// The third effect: a four-wave sine plasma on a 160x120 surface, coloured
// through a red-blue palette that rotates about one entry every 10 ms and
// enlarged over the whole screen.
#pragma once

#include <cstdint>

#include "framework/Effect.h"

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
