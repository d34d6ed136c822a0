// The metaballs' field over a surface, exact to the bit and fast.
//
// Each pixel's index is defined by double arithmetic, charge by charge:
//   d2 = dx*dx + dy*dy,  term = (d2 == 0 ? 1 : 1 / d2),  sum in charge order,
//   v = sum * 70000,  index = (v < 255 ? trunc(v) : 255).
// dx*dx depends on the column only and dy*dy on the row only, so both are
// taken once per column and once per row; adding them gives the very double
// the per-pixel formula gives (no fused multiply-add: -ffp-contract=off).
// That leaves three divisions per pixel, most of the cost.
//
// The vector kernels avoid the divisions wherever an approximation can decide
// the index. In float they form, four or eight pixels at a time,
//   d = float(dx*dx) + float(dy*dy),  r = rcp(d) refined by one Newton step
//   r (2 - d r),  w = (r0 + r1 + r2) * 70000,
// and bound its error. With u = 2^-24, the unit round-off of a float:
//   - d is within (1 + u)^2 - 1 ~ 2u of dx^2 + dy^2 (two conversions and one
//     addition of positive numbers);
//   - the processor's reciprocal is within 1.5 * 2^-12 of 1/d (its documented
//     bound); the Newton step squares that to 2.25u and adds three roundings:
//     r is within 5.25u of 1/d, so within 7.25u of 1/(dx^2 + dy^2);
//   - two additions of positive terms and the scaling add 3u.
// So w is within 10.3u (relative) of 70000 * sum 1/(dx^2 + dy^2), and the
// defined double v is within 6 * 2^-53 of that: |w - v| < 11u * w. The
// kernels widen w to [w (1 - 2^-20), w (1 + 2^-20)] (2^-20 = 16u, which also
// covers the rounding of the two bounds). When that interval lies within one
// unit [n, n + 1) below 255, the index is n; when it starts at 255 or above,
// the index is 255. Every other pixel is worked out with the exact double
// arithmetic: intervals that straddle a whole number (about 2^-19 * v of the
// pixels at value v, a handful per frame), a charge exactly on the pixel
// (d = 0 makes w NaN, which fails every comparison) and any overflow.
//
// Pixels are stored as palette[index]. The metaballs' palette holds i << 16
// at entry i; the kernels check that once per frame and then shift the index
// into place instead of looking it up.
#include "effects/MetaballField.h"

#include "effects/MetaballEffect.h"

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define BRINDLEMOX_METABALL_SSE2 1
// The AVX2 kernel needs GCC or Clang to compile one function for AVX2 in an
// SSE2 build. GCC on 64-bit Windows cannot align its 32-byte stack spills,
// so there the SSE2 kernel serves.
#if defined(__GNUC__) && !(defined(_WIN64) && !defined(__clang__))
#include <immintrin.h>
#define BRINDLEMOX_METABALL_AVX2 1
#endif
#endif
#endif

namespace {

constexpr int kCharges = MetaballEffect::kChargeCount;
// What the vector kernels use; processors without them have only the exact
// arithmetic.
[[maybe_unused]] constexpr float kStrength = 70000.0f;
// The interval around the float approximation that surely holds v.
[[maybe_unused]] constexpr float kBelow = 1.0f - 1.0f / 1048576.0f;  // 1 - 2^-20
[[maybe_unused]] constexpr float kAbove = 1.0f + 1.0f / 1048576.0f;  // 1 + 2^-20

// The squared distances along each axis, per charge: doubles for the exact
// arithmetic and their float roundings for the vector kernels.
struct Squares {
  alignas(32) double column[kCharges][kMetaballMaxWidth];
  alignas(32) double row[kCharges][kMetaballMaxHeight];
  alignas(32) float columnF[kCharges][kMetaballMaxWidth];
  alignas(32) float rowF[kCharges][kMetaballMaxHeight];
};

void FillSquares(const float* chargeX, const float* chargeY, int width, int height,
                 Squares& s) {
  for (int k = 0; k < kCharges; ++k) {
    for (int x = 0; x < width; ++x) {
      const double dx = static_cast<double>(chargeX[k]) - x;
      s.column[k][x] = dx * dx;
      s.columnF[k][x] = static_cast<float>(s.column[k][x]);
    }
    for (int y = 0; y < height; ++y) {
      const double dy = static_cast<double>(chargeY[k]) - y;
      s.row[k][y] = dy * dy;
      s.rowF[k][y] = static_cast<float>(s.row[k][y]);
    }
  }
}

// The defining arithmetic for one pixel, from the squares.
inline uint32_t ExactPixel(const Squares& s, int x, int y, const uint32_t* palette) {
  double sum = 0.0;
  for (int k = 0; k < kCharges; ++k) {
    const double d2 = s.column[k][x] + s.row[k][y];
    sum += d2 == 0.0 ? 1.0 : 1.0 / d2;
  }
  return palette[MetaballIndex(sum)];
}

[[maybe_unused]] bool IsRedRamp(const uint32_t* palette) {
  for (uint32_t i = 0; i < 256; ++i)
    if (palette[i] != i << 16) return false;
  return true;
}

// Pixels of a group of lanes whose indices a vector kernel has worked out:
// looked up in the palette (when it is not the red ramp the kernels shift
// into place), then every lane the bound left undecided done exactly.
// Returns how many lanes took the exact arithmetic.
template <int Lanes>
int FinishLanes(const int32_t* lanes, bool lookUp, int decided, const Squares& s, int x, int y,
                const uint32_t* palette, uint32_t* out) {
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

int FieldExact(const Squares& s, int width, int height, const uint32_t* palette,
               uint32_t* out) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) *out++ = ExactPixel(s, x, y, palette);
  return width * height;
}

#if defined(BRINDLEMOX_METABALL_SSE2)

// 1/d to within 5.25u: the reciprocal estimate and one Newton step.
inline __m128 InverseSse2(__m128 d) {
  const __m128 r = _mm_rcp_ps(d);
  return _mm_mul_ps(r, _mm_sub_ps(_mm_set1_ps(2.0f), _mm_mul_ps(d, r)));
}

int FieldSse2(const Squares& s, int width, int height, const uint32_t* palette,
              uint32_t* out) {
  const bool redRamp = IsRedRamp(palette);
  const __m128 strength = _mm_set1_ps(kStrength);
  const __m128 below = _mm_set1_ps(kBelow);
  const __m128 above = _mm_set1_ps(kAbove);
  const __m128 top = _mm_set1_ps(255.0f);
  const __m128 zero = _mm_setzero_ps();
  const __m128i full = _mm_set1_epi32(255);
  int exact = 0;
  for (int y = 0; y < height; ++y, out += width) {
    const __m128 row0 = _mm_set1_ps(s.rowF[0][y]);
    const __m128 row1 = _mm_set1_ps(s.rowF[1][y]);
    const __m128 row2 = _mm_set1_ps(s.rowF[2][y]);
    int x = 0;
    for (; x + 4 <= width; x += 4) {
      __m128 w = InverseSse2(_mm_add_ps(_mm_load_ps(&s.columnF[0][x]), row0));
      w = _mm_add_ps(w, InverseSse2(_mm_add_ps(_mm_load_ps(&s.columnF[1][x]), row1)));
      w = _mm_add_ps(w, InverseSse2(_mm_add_ps(_mm_load_ps(&s.columnF[2][x]), row2)));
      w = _mm_mul_ps(w, strength);
      const __m128 lo = _mm_mul_ps(w, below);
      const __m128 hi = _mm_mul_ps(w, above);
      const __m128i n = _mm_cvttps_epi32(lo);
      const __m128 saturated = _mm_cmpge_ps(lo, top);
      const __m128 oneUnit =
          _mm_and_ps(_mm_and_ps(_mm_cmpge_ps(lo, zero), _mm_cmplt_ps(hi, top)),
                     _mm_castsi128_ps(_mm_cmpeq_epi32(n, _mm_cvttps_epi32(hi))));
      const int decided = _mm_movemask_ps(_mm_or_ps(saturated, oneUnit));
      const __m128i sat = _mm_castps_si128(saturated);
      const __m128i index = _mm_or_si128(_mm_andnot_si128(sat, n), _mm_and_si128(sat, full));
      uint32_t* o = out + x;
      alignas(16) int32_t lanes[4];
      if (redRamp)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_slli_epi32(index, 16));
      else
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), index);
      if (!redRamp || decided != 0xF)
        exact += FinishLanes<4>(lanes, !redRamp, decided, s, x, y, palette, o);
    }
    for (; x < width; ++x, ++exact) out[x] = ExactPixel(s, x, y, palette);
  }
  return exact;
}

#endif

#if defined(BRINDLEMOX_METABALL_AVX2)

__attribute__((target("avx2"))) inline __m256 InverseAvx2(__m256 d) {
  const __m256 r = _mm256_rcp_ps(d);
  return _mm256_mul_ps(r, _mm256_sub_ps(_mm256_set1_ps(2.0f), _mm256_mul_ps(d, r)));
}

// The SSE2 kernel's steps, eight pixels at a time.
__attribute__((target("avx2"))) int FieldAvx2(const Squares& s, int width, int height,
                                              const uint32_t* palette, uint32_t* out) {
  const bool redRamp = IsRedRamp(palette);
  const __m256 strength = _mm256_set1_ps(kStrength);
  const __m256 below = _mm256_set1_ps(kBelow);
  const __m256 above = _mm256_set1_ps(kAbove);
  const __m256 top = _mm256_set1_ps(255.0f);
  const __m256 zero = _mm256_setzero_ps();
  const __m256i full = _mm256_set1_epi32(255);
  int exact = 0;
  for (int y = 0; y < height; ++y, out += width) {
    const __m256 row0 = _mm256_set1_ps(s.rowF[0][y]);
    const __m256 row1 = _mm256_set1_ps(s.rowF[1][y]);
    const __m256 row2 = _mm256_set1_ps(s.rowF[2][y]);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
      __m256 w = InverseAvx2(_mm256_add_ps(_mm256_load_ps(&s.columnF[0][x]), row0));
      w = _mm256_add_ps(w, InverseAvx2(_mm256_add_ps(_mm256_load_ps(&s.columnF[1][x]), row1)));
      w = _mm256_add_ps(w, InverseAvx2(_mm256_add_ps(_mm256_load_ps(&s.columnF[2][x]), row2)));
      w = _mm256_mul_ps(w, strength);
      const __m256 lo = _mm256_mul_ps(w, below);
      const __m256 hi = _mm256_mul_ps(w, above);
      const __m256i n = _mm256_cvttps_epi32(lo);
      const __m256 saturated = _mm256_cmp_ps(lo, top, _CMP_GE_OQ);
      const __m256 oneUnit = _mm256_and_ps(
          _mm256_and_ps(_mm256_cmp_ps(lo, zero, _CMP_GE_OQ), _mm256_cmp_ps(hi, top, _CMP_LT_OQ)),
          _mm256_castsi256_ps(_mm256_cmpeq_epi32(n, _mm256_cvttps_epi32(hi))));
      const int decided = _mm256_movemask_ps(_mm256_or_ps(saturated, oneUnit));
      const __m256i index = _mm256_blendv_epi8(n, full, _mm256_castps_si256(saturated));
      uint32_t* o = out + x;
      alignas(32) int32_t lanes[8];
      if (redRamp)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), _mm256_slli_epi32(index, 16));
      else
        _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), index);
      if (!redRamp || decided != 0xFF)
        exact += FinishLanes<8>(lanes, !redRamp, decided, s, x, y, palette, o);
    }
    for (; x < width; ++x, ++exact) out[x] = ExactPixel(s, x, y, palette);
  }
  return exact;
}

#endif

}  // namespace

bool MetaballKernelAvailable(MetaballKernel kernel) {
  switch (kernel) {
    case MetaballKernel::Plain:
    case MetaballKernel::Exact:
      return true;
    case MetaballKernel::Sse2:
#if defined(BRINDLEMOX_METABALL_SSE2)
      return true;
#else
      return false;
#endif
    case MetaballKernel::Avx2:
#if defined(BRINDLEMOX_METABALL_AVX2)
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
  }
  return false;
}

MetaballKernel FastestMetaballKernel() {
  static const MetaballKernel fastest =
      MetaballKernelAvailable(MetaballKernel::Avx2)   ? MetaballKernel::Avx2
      : MetaballKernelAvailable(MetaballKernel::Sse2) ? MetaballKernel::Sse2
                                                      : MetaballKernel::Exact;
  return fastest;
}

int DrawMetaballField(const float* chargeX, const float* chargeY, const uint32_t* palette,
                      uint32_t* out, int width, int height, MetaballKernel kernel) {
  if (kernel == MetaballKernel::Plain) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        *out++ = palette[MetaballIndex(MetaballField(chargeX, chargeY, x, y))];
    return 0;
  }
  if (width > kMetaballMaxWidth || height > kMetaballMaxHeight)
    return DrawMetaballField(chargeX, chargeY, palette, out, width, height,
                             MetaballKernel::Plain);
  Squares squares;
  FillSquares(chargeX, chargeY, width, height, squares);
  if (!MetaballKernelAvailable(kernel)) kernel = MetaballKernel::Exact;
  switch (kernel) {
#if defined(BRINDLEMOX_METABALL_AVX2)
    case MetaballKernel::Avx2:
      return FieldAvx2(squares, width, height, palette, out);
#endif
#if defined(BRINDLEMOX_METABALL_SSE2)
    case MetaballKernel::Sse2:
      return FieldSse2(squares, width, height, palette, out);
#endif
    default:
      return FieldExact(squares, width, height, palette, out);
  }
}
