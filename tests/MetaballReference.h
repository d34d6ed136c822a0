// The metaballs' field as defined, one pixel at a time: what every kernel of
// effects/MetaballField.cpp must draw, written plainly.
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

// The field at pixel (x, y) of the charges whose columns and rows are
// chargeX[0..2] and chargeY[0..2]: the sum, in charge order 0, 1, 2, of
// 1 / d^2, where a charge exactly on the pixel (d^2 == 0) adds 1.0.
inline double MetaballField(const float* chargeX, const float* chargeY, int x, int y) {
  double sum = 0.0;
  for (int k = 0; k < kMetaballCharges; ++k) {
    const double dx = static_cast<double>(chargeX[k]) - x;
    const double dy = static_cast<double>(chargeY[k]) - y;
    const double d2 = dx * dx + dy * dy;
    sum += d2 == 0.0 ? 1.0 : 1.0 / d2;
  }
  return sum;
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
