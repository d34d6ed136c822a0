// The plasma: a four-wave sine plasma on a 160x120 surface, coloured
// through a red-blue palette that rotates about one entry every 10 ms and
// enlarged over the whole screen.
#pragma once

#include <cstdint>

#include "framework/Effect.h"

// The plasma's pixel loop: for every pixel of a width x height surface, row
// after row from `out`,
//   acc = Wrap(Wrap(columnAcc[x] + rowT3[y]) + rowT4[y]),   pixel = palette[acc & 0xFF],
// where columnAcc[x] is the accumulator after the column's own two terms
// (taken as its unsigned value), the additions are in double and Wrap keeps
// the low 32 bits of the sum truncated toward zero. The plain way does just
// that; the fast way does it in whole numbers, four pixels at a time, in
// every row where that is proven the same (PlasmaEffect.cpp), and the plain
// way in the others. Returns how many rows took the plain way.
enum class PlasmaPath { Plain, Fast };
int DrawPlasmaPixels(const uint32_t* columnAcc, int width, const double* rowT3,
                     const double* rowT4, int height, const uint32_t* palette, uint32_t* out,
                     PlasmaPath path);

// What moves the plasma in a frame, all from its own time: T = ms * 0.0001,
// the palette's rotation and the four waves' phases (PlasmaEffect.cpp).
struct PlasmaPhases {
  double time;             // T
  uint32_t paletteOffset;  // o = trunc(T * 1000)
  double phase1;           // P1 = 200 cos(0.05 T)
  double phase2;           // P2 = 300 sin(0.1 T)
  double phase3;           // P3 = 150 cos(0.05 T)
  double rowShift;         // 200 S = 200 sin(0.02 T)
};
PlasmaPhases PlasmaPhasesAt(uint32_t ms);

// The four waves: t1 and t2 of column x, t3 and t4 of row y.
double PlasmaWave1(int x, const PlasmaPhases& phases);
double PlasmaWave2(int x, const PlasmaPhases& phases);
double PlasmaWave3(int y, const PlasmaPhases& phases);
double PlasmaWave4(int y, const PlasmaPhases& phases);

// One step of the accumulator: acc + term in double, truncated toward zero
// to 64 bits, the low 32 bits kept. The first step starts from 0.
inline uint32_t PlasmaAccumulate(uint32_t acc, double term) {
  return static_cast<uint32_t>(static_cast<int64_t>(static_cast<double>(acc) + term));
}

class PlasmaEffect : public Effect {
 public:
  static constexpr int32_t kWidth = 160;
  static constexpr int32_t kHeight = 120;
  static constexpr int kPaletteSize = 256;

  explicit PlasmaEffect(QelGFX* owner);
  ~PlasmaEffect() override;

  void Render() override;
  // Explorer hooks (framework/Effect.h); the description is in
  // effects/PlasmaDescription.cpp.
  void VisitState(StateVisitor& visitor) override;
  const char* Name() const override;
  void Describe(Description& out) const override;
  void DescribePoint(int x, int y, Description& out) const override;

  // The fixed colour cycle, built once: red -> blue -> red.
  uint32_t* basePalette;
  // This frame's colours: basePalette rotated by the frame's offset.
  uint32_t* workPalette;
  // This frame's numbers.
  PlasmaPhases phases;
};
