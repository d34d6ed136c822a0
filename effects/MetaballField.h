// The metaballs' field over a whole surface, evaluated four ways that give
// the same pixels: see MetaballField.cpp for why the fast ones may.
#pragma once

#include <cstdint>

enum class MetaballKernel {
  Plain,  // MetaballIndex(MetaballField(...)) for every pixel: the definition
  Exact,  // the same arithmetic, squares taken once per column and per row
  Sse2,   // four pixels at a time in float, exact where that cannot decide
  Avx2,   // the same, eight pixels at a time
};

// Whether this build and this processor can run the kernel.
bool MetaballKernelAvailable(MetaballKernel kernel);

// The fastest kernel available here.
MetaballKernel FastestMetaballKernel();

// Writes width x height pixels row after row from `out`: pixel (x, y) is
// palette[index] for the field of the three charges at (chargeX[k],
// chargeY[k]). width <= kMetaballMaxWidth, height <= kMetaballMaxHeight.
// Returns how many pixels the vector kernels handed to the exact arithmetic
// (0 for Plain; every pixel for Exact). Any palette works; the metaballs'
// own (entry i is i << 16) lets the vector kernels shift instead of look up.
constexpr int kMetaballMaxWidth = 320;
constexpr int kMetaballMaxHeight = 240;
int DrawMetaballField(const float* chargeX, const float* chargeY, const uint32_t* palette,
                      uint32_t* out, int width, int height, MetaballKernel kernel);
