// The metaballs' vector kernel, written once for every vector width: the
// float approximation with its proven bound, the decision, and the exact
// double arithmetic for the pixels it cannot decide. MetaballField.cpp
// derives it and holds the SSE2 and WebAssembly kernels;
// MetaballFieldAvx2.cpp, compiled for AVX2, holds the AVX2 one. Everything
// here but the squares' layout and the AVX2 entry is local to each file that
// includes it, so that no AVX2 code can stand in for another file's.
#pragma once

#include <cstdint>

#include "effects/MetaballField.h"

// The squared distances along each axis, per charge: doubles for the exact
// arithmetic and their float roundings for the vector kernels.
struct MetaballSquares {
  alignas(32) double column[kMetaballCharges][kMetaballMaxWidth];
  alignas(32) double row[kMetaballCharges][kMetaballMaxHeight];
  alignas(32) float columnF[kMetaballCharges][kMetaballMaxWidth];
  alignas(32) float rowF[kMetaballCharges][kMetaballMaxHeight];
};

// The AVX2 kernel (MetaballFieldAvx2.cpp), built where that file could be
// compiled for AVX2.
extern const bool kMetaballAvx2Built;
int MetaballFieldAvx2(const MetaballSquares& s, int width, int height, const uint32_t* palette,
                      uint32_t* out);

namespace {

// The bounds' factors: 70000 (1 - 2^-19) and 70000 (1 + 2^-19), as floats.
constexpr float kLowFactor = static_cast<float>(70000.0 * (1.0 - 1.0 / 524288.0));
constexpr float kHighFactor = static_cast<float>(70000.0 * (1.0 + 1.0 / 524288.0));
// min(x, 255.5) - 0.5 + 1.5 * 2^23 rounds to 1.5 * 2^23 + n, n the index.
constexpr float kTopBound = 255.5f;
constexpr float kLessHalf = -0.5f;
constexpr float kRounder = 12582912.0f;  // 1.5 * 2^23

// The defining arithmetic for one pixel, from the squares.
inline uint32_t ExactPixel(const MetaballSquares& s, int x, int y, const uint32_t* palette) {
  double sum = 0.0;
  for (int k = 0; k < kMetaballCharges; ++k) {
    const double d2 = s.column[k][x] + s.row[k][y];
    sum += d2 == 0.0 ? 1.0 : 1.0 / d2;
  }
  return palette[MetaballIndex(sum)];
}

inline bool IsRedRamp(const uint32_t* palette) {
  for (uint32_t i = 0; i < 256; ++i)
    if (palette[i] != i << 16) return false;
  return true;
}

// Pixels of a group of lanes whose indices a vector kernel has worked out:
// looked up in the palette (when it is not the red ramp the kernels shift
// into place), then every lane the bound left undecided done exactly.
// Returns how many lanes took the exact arithmetic.
template <int Lanes>
int FinishLanes(const int32_t* lanes, bool lookUp, int decided, const MetaballSquares& s, int x,
                int y, const uint32_t* palette, uint32_t* out) {
  if (lookUp)
    for (int i = 0; i < Lanes; ++i) out[i] = palette[lanes[i] & 0xFF];
  int exact = 0;
  for (int i = 0; i < Lanes; ++i) {
    if ((decided >> i) & 1) continue;
    out[i] = ExactPixel(s, x + i, y, palette);
    ++exact;
  }
  return exact;
}

// The kernel over V, a set of lane operations:
//   F, kLanes, kAllLanes (the mask of every lane), Load, Splat, Add, Mul,
//   Min (any lane order: no NaN reaches it), Quotient(num, den), SameBits
//   (a lane mask), Mask (one bit a lane), StoreShifted (each lane's bits
//   << 16) and StoreBits.
template <class V>
int FieldVector(const MetaballSquares& s, int width, int height, const uint32_t* palette,
                uint32_t* out) {
  using F = typename V::F;
  const bool redRamp = IsRedRamp(palette);
  const F low = V::Splat(kLowFactor);
  const F high = V::Splat(kHighFactor);
  const F top = V::Splat(kTopBound);
  const F lessHalf = V::Splat(kLessHalf);
  const F rounder = V::Splat(kRounder);
  // The index n of a bound x, as the bits of 1.5 * 2^23 + n.
  auto indexBits = [&](F x) { return V::Add(V::Add(V::Min(x, top), lessHalf), rounder); };
  int exact = 0;
  for (int y = 0; y < height; ++y, out += width) {
    const F row0 = V::Splat(s.rowF[0][y]);
    const F row1 = V::Splat(s.rowF[1][y]);
    const F row2 = V::Splat(s.rowF[2][y]);
    int x = 0;
    for (; x + V::kLanes <= width; x += V::kLanes) {
      const F a = V::Add(V::Load(&s.columnF[0][x]), row0);
      const F b = V::Add(V::Load(&s.columnF[1][x]), row1);
      const F c = V::Add(V::Load(&s.columnF[2][x]), row2);
      // 1/a + 1/b + 1/c as one quotient.
      const F bc = V::Mul(b, c);
      const F q = V::Quotient(V::Add(bc, V::Mul(a, V::Add(b, c))), V::Mul(a, bc));
      const F lo = indexBits(V::Mul(q, low));
      const F hi = indexBits(V::Mul(q, high));
      const int decided = V::Mask(V::SameBits(lo, hi));
      uint32_t* o = out + x;
      alignas(32) int32_t lanes[V::kLanes];
      if (redRamp)
        V::StoreShifted(o, lo);
      else
        V::StoreBits(lanes, lo);
      if (!redRamp || decided != V::kAllLanes)
        exact += FinishLanes<V::kLanes>(lanes, !redRamp, decided, s, x, y, palette, o);
    }
    for (; x < width; ++x, ++exact) out[x] = ExactPixel(s, x, y, palette);
  }
  return exact;
}

}  // namespace
