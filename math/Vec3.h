// A point (or direction) of three single floats.
#pragma once

#include "math/Matrix4.h"

struct Vec3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  // Replaces the point by its affine image m * (x, y, z, 1). Only the top
  // three rows are used: the bottom row takes no part and nothing is divided.
  // All three coordinates are read before any is written, so the point may be
  // transformed in place. Sums in double, each rounded to single once.
  void Transform(const Matrix4& mat) {
    const double px = x, py = y, pz = z;
    const float* m = mat.m;
    x = static_cast<float>(m[0] * px + m[1] * py + m[2] * pz + m[3]);
    y = static_cast<float>(m[4] * px + m[5] * py + m[6] * pz + m[7]);
    z = static_cast<float>(m[8] * px + m[9] * py + m[10] * pz + m[11]);
  }
};
