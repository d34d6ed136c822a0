// Plasma: each pixel's colour index is the sum of four sine waves,
//
//   t1 = 100 cos(0.04 x + P1)      varies along a row
//   t2 =  90 sin(0.05 x + P2)      varies along a row
//   t3 = 100 cos(0.04 y + P3)      varies from row to row
//   t4 =  80 sin(200 S + y / 22)   varies from row to row
//
// whose phases drift with the effect's own time T = ms * 0.0001:
//
//   P1 = 200 cos(0.05 T)   P2 = 300 sin(0.1 T)   P3 = 150 cos(0.05 T)
//   S  = sin(0.02 T)
//
// T gains about 0.1 a second, so over the 10 s the effect is shown it runs
// from 0 to about 1. P1 (200 -> 199.75) and P3 (150 -> 149.81) hardly move;
// P2 (0 -> 29.95) slides the t2 wave along the rows by about 3 radians a
// second, and 200 S (0 -> 4) slides the t4 wave from row to row. The spatial
// factors 0.04 and 0.05 radians a pixel give wavelengths of 157 and 126
// pixels, about one period across the 160-pixel row; y / 22 gives one period
// of t4 in 138 rows. The four terms together span -370 .. 370, and only the
// low 8 bits pick the colour, so the colour cycle repeats within the picture.
//
// The palette is a closed red -> blue -> red cycle: entry i < 128 is
// (255 - 2i, 0, 2i), entry 128 + j is (2j, 0, 255 - 2j). Neighbours, 255 and
// 0 included, differ by at most 2 in red and blue, so rotating it shows no
// seam. Each frame rotates it by o = trunc(T * 1000), about ms / 10: 100
// entries a second, a full turn every 2.56 s; this gives most of the motion.
// The single-precision 0.0001 lies just below 0.0001, so at exact multiples
// of 10 ms the product falls just short and o is one less than ms / 10
// (10 ms gives 0, 11 ms gives 1).
//
// Exactness. The constants 0.0001, 1000, 0.05, 0.1, 0.02, 0.04 and 1/22 are
// single-precision values widened exactly to double (0.04 enters as
// 0.039999999105930328...); the amplitudes are doubles; all arithmetic is
// double. The terms are gathered in an unsigned 32-bit accumulator, in the
// order t1, t2, t3, t4: after each addition the double is truncated toward
// zero to a signed 64-bit integer and its low 32 bits are kept, and the
// accumulator re-enters the next sum as its unsigned value 0 .. 2^32 - 1.
// A negative running sum is thus carried as 2^32 plus the sum, and the next
// truncation moves it toward minus infinity instead of toward zero: a plain
// signed accumulator gives another colour in about half of the pixels.
//
// Work per frame. t1, t2 and the first two steps of the sum depend on the
// column only, and t3 and t4 on the row only: they are computed once per
// column and once per row with the very operations a per-pixel evaluation
// would do, so each pixel costs two additions, two conversions and one
// palette look-up. Pixels are written row after row through one advancing
// pointer; rows of a 160-pixel surface are exactly 640 bytes apart.
//
// The same in whole numbers. Let C be an accumulator value (a whole number,
// 0 <= C < 2^32) and t a term, t = m + f with m = floor(t), |t| < 2^20, and
// its fraction f at least 2^-16 away from 0 and 1. The double sum C + t is
// below 2^33 in size, where doubles lie 2^-20 apart, so its rounding moves it
// by at most 2^-21 and it stays strictly between C + m and C + m + 1. If
// C + m >= 0 the sum is positive and truncates to C + m; if C + m < 0 it is
// negative, at most C + m + 1 <= 0, and truncates toward zero to C + m + 1.
// So Wrap(C + t) = C + m + [C < -m] modulo 2^32, and as C >= 0 the bracket is
// the unsigned comparison C < L with L = max(0, -m). Both steps of a pixel
// are of this form (C the column's accumulator with t3, then the result with
// t4), and t3 and t4 are fixed for a row: with m and L taken once per row,
// a pixel is two additions, two unsigned comparisons and a mask, done four
// pixels at a time in whole-number vectors. A row whose t3 or t4 comes within
// 2^-15 of a whole number (as computed: within 2^-16 exactly), which the
// bound cannot settle, is done the plain way; in the show that never
// happens.
#include "effects/PlasmaEffect.h"

#include <cmath>
#include <cstring>

#include "framework/Helpers.h"

namespace {

constexpr double kTimeScale = 0.0001f;     // ms to T
constexpr double kPaletteSteps = 1000.0f;  // T to the palette offset
constexpr double kSlowDrift = 0.05f;       // T factor of P1 and P3
constexpr double kFastDrift = 0.1f;        // T factor of P2
constexpr double kRowDrift = 0.02f;        // T factor of S
constexpr double kWave1 = 0.04f;           // x factor of t1, y factor of t3
constexpr double kWave2 = 0.05f;           // x factor of t2
constexpr double kWave4 = 1.0f / 22.0f;    // y factor of t4
constexpr double kPhase1Amplitude = 200.0;
constexpr double kPhase2Amplitude = 300.0;
constexpr double kPhase3Amplitude = 150.0;
constexpr double kRowDriftScale = 200.0;
constexpr double kAmplitude1 = 100.0;
constexpr double kAmplitude2 = 90.0;
constexpr double kAmplitude3 = 100.0;
constexpr double kAmplitude4 = 80.0;

// One row, pixel by pixel, exactly as defined.
void PlainRow(const uint32_t* columnAcc, int width, double t3, double t4,
              const uint32_t* palette, uint32_t* out) {
  for (int x = 0; x < width; ++x) {
    const uint32_t acc = PlasmaAccumulate(PlasmaAccumulate(columnAcc[x], t3), t4);
    out[x] = palette[acc & 0xFF];
  }
}

// A term as a whole-number step: Wrap(C + t) = C + whole + [C < below] for
// every accumulator C (see above), when `exact` holds.
struct WholeStep {
  bool exact;
  uint32_t whole;  // floor(t) modulo 2^32
  uint32_t below;  // max(0, -floor(t))
};

WholeStep WholeStepOf(double t) {
  constexpr double kMargin = 1.0 / 32768.0;  // 2^-15
  constexpr double kReach = 1048576.0;  // 2^20
  if (!(t > -kReach && t < kReach)) return {false, 0, 0};  // NaN fails too
  // floor(t), exactly: t truncated, one less where that went up.
  const double truncated = static_cast<double>(static_cast<int32_t>(t));
  const double m = truncated > t ? truncated - 1.0 : truncated;
  const double f = t - m;  // within 2^-53 of the exact fraction
  if (!(f >= kMargin && f <= 1.0 - kMargin)) return {false, 0, 0};
  const auto whole = static_cast<int32_t>(m);
  return {true, static_cast<uint32_t>(whole), whole < 0 ? static_cast<uint32_t>(-whole) : 0u};
}

// Four accumulators at a time (SSE2 on x86, SIMD128 on the web, plain
// registers elsewhere).
typedef uint32_t Lanes __attribute__((vector_size(16)));
constexpr int kLanes = 4;

inline Lanes Splat(uint32_t v) { return Lanes{v, v, v, v}; }

// C + whole + [C < below], lane by lane; a comparison gives all ones (-1)
// where it holds.
inline Lanes Step(Lanes c, Lanes whole, Lanes below) {
  return c + whole - reinterpret_cast<Lanes>(c < below);
}

void FastRow(const uint32_t* columnAcc, int width, const WholeStep& s3, const WholeStep& s4,
             const uint32_t* palette, uint32_t* out) {
  const Lanes whole3 = Splat(s3.whole), below3 = Splat(s3.below);
  const Lanes whole4 = Splat(s4.whole), below4 = Splat(s4.below);
  // The indices of a stretch of the row first, in vectors; then the look-ups
  // from memory, which keeps the lanes from being taken apart one by one.
  constexpr int kStretch = 64;
  alignas(16) uint32_t index[kStretch];
  int x = 0;
  for (; x + kLanes <= width;) {
    const int n = width - x < kStretch ? (width - x) / kLanes * kLanes : kStretch;
    for (int i = 0; i < n; i += kLanes) {
      Lanes c;
      std::memcpy(&c, columnAcc + x + i, sizeof c);
      const Lanes v = Step(Step(c, whole3, below3), whole4, below4) & 0xFF;
      std::memcpy(index + i, &v, sizeof v);
    }
    for (int i = 0; i < n; i += kLanes) {
      const Lanes colours = {palette[index[i]], palette[index[i + 1]], palette[index[i + 2]],
                             palette[index[i + 3]]};
      std::memcpy(out + x + i, &colours, sizeof colours);
    }
    x += n;
  }
  for (; x < width; ++x) {
    uint32_t acc = columnAcc[x];
    acc = acc + s3.whole + (acc < s3.below ? 1u : 0u);
    acc = acc + s4.whole + (acc < s4.below ? 1u : 0u);
    out[x] = palette[acc & 0xFF];
  }
}

}  // namespace

PlasmaPhases PlasmaPhasesAt(uint32_t ms) {
  PlasmaPhases p;
  p.time = static_cast<double>(ms) * kTimeScale;
  p.paletteOffset = static_cast<uint32_t>(FloatToInt(p.time * kPaletteSteps));
  // P1 and P3 share their cosine.
  const double slowCos = std::cos(kSlowDrift * p.time);
  p.phase1 = kPhase1Amplitude * slowCos;
  p.phase2 = kPhase2Amplitude * std::sin(kFastDrift * p.time);
  p.phase3 = kPhase3Amplitude * slowCos;
  p.rowShift = kRowDriftScale * std::sin(kRowDrift * p.time);
  return p;
}

double PlasmaWave1(int x, const PlasmaPhases& phases) {
  return kAmplitude1 * std::cos(kWave1 * x + phases.phase1);
}
double PlasmaWave2(int x, const PlasmaPhases& phases) {
  return kAmplitude2 * std::sin(kWave2 * x + phases.phase2);
}
double PlasmaWave3(int y, const PlasmaPhases& phases) {
  return kAmplitude3 * std::cos(kWave1 * y + phases.phase3);
}
double PlasmaWave4(int y, const PlasmaPhases& phases) {
  return kAmplitude4 * std::sin(phases.rowShift + y * kWave4);
}

int DrawPlasmaPixels(const uint32_t* columnAcc, int width, const double* rowT3,
                     const double* rowT4, int height, const uint32_t* palette, uint32_t* out,
                     PlasmaPath path) {
  int plainRows = 0;
  for (int y = 0; y < height; ++y, out += width) {
    const WholeStep s3 = WholeStepOf(rowT3[y]);
    const WholeStep s4 = WholeStepOf(rowT4[y]);
    if (path == PlasmaPath::Fast && s3.exact && s4.exact) {
      FastRow(columnAcc, width, s3, s4, palette, out);
    } else {
      PlainRow(columnAcc, width, rowT3[y], rowT4[y], palette, out);
      ++plainRows;
    }
  }
  return plainRows;
}

PlasmaEffect::PlasmaEffect(QelGFX* owner) : phases(PlasmaPhasesAt(0)) {
  CreateOwnSurface(owner, kWidth, kHeight);
  basePalette = new uint32_t[kPaletteSize];
  workPalette = new uint32_t[kPaletteSize];
  for (int i = 0; i < kPaletteSize / 2; ++i) {
    PackRgb(basePalette, i, 255 - 2 * i, 0, 2 * i);
    PackRgb(basePalette, kPaletteSize / 2 + i, 2 * i, 0, 255 - 2 * i);
  }
}

PlasmaEffect::~PlasmaEffect() {
  delete[] basePalette;
  delete[] workPalette;
}

void PlasmaEffect::Render() {
  const uint32_t ms = BeginFrame();
  phases = PlasmaPhasesAt(ms);
  const uint32_t offset = phases.paletteOffset;
  for (uint32_t k = 0; k < kPaletteSize; ++k)
    workPalette[k] = basePalette[(offset + k) % kPaletteSize];

  // Without a surface there is nothing to lock, and the device's locked
  // pointer would belong to another surface: draw nothing.
  if (surface == nullptr) return;

  // The accumulator after t1 and t2, per column; t3 and t4 per row.
  uint32_t columnAcc[kWidth];
  for (int32_t x = 0; x < kWidth; ++x) {
    columnAcc[x] = PlasmaAccumulate(PlasmaAccumulate(0, PlasmaWave1(x, phases)),
                                    PlasmaWave2(x, phases));
  }
  double rowT3[kHeight];
  double rowT4[kHeight];
  for (int32_t y = 0; y < kHeight; ++y) {
    rowT3[y] = PlasmaWave3(y, phases);
    rowT4[y] = PlasmaWave4(y, phases);
  }

  device->Lock(surface);
  DrawPlasmaPixels(columnAcc, kWidth, rowT3, rowT4, kHeight, workPalette,
                   reinterpret_cast<uint32_t*>(device->lockedPixels), PlasmaPath::Fast);
  device->UnLock(surface);

  PresentSurface();
}
