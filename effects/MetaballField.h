// The metaballs' field: its definition for one pixel, and over a whole
// surface evaluated several ways that give the same pixels (see
// MetaballField.cpp for why the fast ones may).
#pragma once

#include <cstdint>

// The field's charges, and the strength that turns a field into a palette
// index.
constexpr int kMetaballCharges = 3;
constexpr float kMetaballStrength = 70000.0f;

// The field at pixel (x, y) of the charges whose columns and rows are
// chargeX[0..2] and chargeY[0..2]: the sum, in charge order 0, 1, 2, of
// 1 / d^2, where a charge exactly on the pixel (d^2 == 0) adds 1.0. The
// explorer reads one pixel's field through it; the tests hold every kernel
// to it, pixel by pixel (tests/MetaballReference.h).
double MetaballField(const float* chargeX, const float* chargeY, int x, int y);

// The palette index of a field: v = field * 70000 truncated toward zero, and
// 255 for any v of 255 or more (or NaN), however large.
int MetaballIndex(double field);

enum class MetaballKernel {
  Exact,  // the definition's arithmetic, squares taken once per column and per row
  Sse2,   // four pixels at a time in float, exact where that cannot decide
  Avx2,   // the same, eight pixels at a time
  Wasm,   // four at a time with WebAssembly SIMD, a true division in float
};

// Whether this build and this processor can run the kernel.
bool MetaballKernelAvailable(MetaballKernel kernel);

// The fastest kernel available here.
MetaballKernel FastestMetaballKernel();

// Writes width x height pixels row after row from `out`: pixel (x, y) is
// palette[index] for the field of the charges at (chargeX[k], chargeY[k]).
// Returns how many pixels the vector kernels handed to the exact arithmetic
// (every pixel for Exact), or -1, writing nothing, for a surface larger than
// kMetaballMaxWidth x kMetaballMaxHeight (the effect's own). Any palette works; the
// metaballs' own (entry i is i << 16) lets the vector kernels shift instead
// of look up.
constexpr int kMetaballMaxWidth = 320;
constexpr int kMetaballMaxHeight = 240;
int DrawMetaballField(const float* chargeX, const float* chargeY, const uint32_t* palette,
                      uint32_t* out, int width, int height, MetaballKernel kernel);
