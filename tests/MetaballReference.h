// The metaballs' reference drawing: the charges' path and every pixel through
// the one-pixel definition (MetaballField), which every kernel must match.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "effects/MetaballField.h"

// Where the effect puts its three charges after `ms` ms of its own clock:
// t = ms * 0.001 in float (0.001 itself a float), then
//   x = 160 + 50 cos 2t, 150 + 40 sin 2t, 180 + 30 cos t
//   y = 120 + 30 cos 4t + 35 sin 2t, 100 + 30 cos t, 100 + 30 sin 2t
// worked in double and stored as floats.
struct MetaballCharges {
  float x[3];
  float y[3];
};
inline MetaballCharges MetaballChargesAt(uint32_t ms) {
  const double t = static_cast<float>(ms * static_cast<double>(0.001f));
  return {{static_cast<float>(160 + 50 * std::cos(2 * t)), static_cast<float>(150 + 40 * std::sin(2 * t)),
           static_cast<float>(180 + 30 * std::cos(t))},
          {static_cast<float>(120 + 30 * std::cos(4 * t) + 35 * std::sin(2 * t)),
           static_cast<float>(100 + 30 * std::cos(t)), static_cast<float>(100 + 30 * std::sin(2 * t))}};
}

// width x height pixels row after row: palette[MetaballIndex(MetaballField())].
inline std::vector<uint32_t> PlainMetaballField(const float* chargeX, const float* chargeY,
                                                const uint32_t* palette, int width, int height) {
  std::vector<uint32_t> out;
  out.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      out.push_back(palette[MetaballIndex(MetaballField(chargeX, chargeY, x, y))]);
  return out;
}
