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
// The vector kernels (MetaballVectorKernel.h) avoid them wherever an
// approximation can decide the index. In float, four or eight pixels at a
// time, they form for the three charges
//   a, b, c = float(dx*dx) + float(dy*dy)
//   q = (b c + a (b + c)) / (a (b c))        = 1/a + 1/b + 1/c
// with one division (WebAssembly: a true one; x86: the processor's
// reciprocal of the denominator refined by one Newton step r (2 - den r)),
// and bound q's error. Let u = 2^-24, the unit round-off of a float, and
// S = 1/A + 1/B + 1/C for the exact squared distances A, B, C. While every
// step stays in the normal range of floats (below), each rounding of a
// positive result moves it by at most u relative:
//   - a, b, c are within 2u of A, B, C (two conversions, one addition), so
//     1/a + 1/b + 1/c is within 2u of S;
//   - the numerator takes three roundings (3u), the denominator two (2u);
//   - the division rounds once (u); the processor's reciprocal is within
//     1.5 * 2^-12 of 1/den (its documented bound), which the Newton step
//     squares to 2.25u, plus three roundings: 5.25u, and the product u.
// So q is within 8u (WebAssembly) or 13.25u (x86) of S, below 14u either
// way. The bounds lo = q * 70000 (1 - 2^-19) and hi = q * 70000 (1 + 2^-19),
// factors and products rounded to float, then satisfy lo < v < hi: the
// margin 2^-19 = 32u exceeds 14u and the four roundings, and the defined
// double v is within 7 * 2^-53 of 70000 S.
//
// The decision. For x >= 0 let F(x) = round(min(x, 255.5) - 0.5), rounded
// to the nearest whole number, ties to even; the float sum
// (min(x, 255.5) - 0.5) + 1.5 * 2^23 does exactly that rounding (subtracting
// 0.5 is exact there, and floats from 2^23 to 2^24 are whole numbers) and
// leaves 1.5 * 2^23 + F(x) in its bits. F(x) is floor(x) but one less where
// x is an odd whole number, and 255 from x > 255 on. Where F(lo) = F(hi) = k:
// if k < 255, then lo >= k (F(lo) would be lower) and hi <= k + 1 (F(hi)
// would be higher), so k <= lo < v < hi <= k + 1 and trunc(v) = k; if
// k = 255, then lo > 255, so v > 255 and the index is 255. The index is k
// either way, and the lane's bits shifted left by 16 are the metaballs' red
// k << 16. Where F(lo) and F(hi) differ (v near a whole number, about
// 2^-18 * v of the pixels at value v: a handful a frame) the pixel is worked
// out with the exact double arithmetic.
//
// The normal range. The kernels are taken only while every charge lies
// within 2^19 of the surface (DrawMetaballField checks it once a frame), so
// a, b, c are below 2^41 and nothing overflows. Below, the float squares
// along each axis are raised to 2^-41 where they are smaller, so a, b, c
// are at least 2^-40 and every product, sum and quotient above stays
// between 2^-120 and 2^123: normal. Raising a square by at most 2^-41 moves
// a distance of 2^-10 or more by at most 2^-31 relative, which the margin
// absorbs; a charge nearer than 2^-10 to a pixel (on it, above all, where
// the definition takes 1.0 for the term) makes v exceed 70000 * 2^10, and
// the raised square still leaves q above 2^9 and lo far above 255: the
// index is 255 both ways.
//
// Pixels are stored as palette[index]. The metaballs' palette holds i << 16
// at entry i; the kernels check that once per frame and then shift the index
// into place instead of looking it up.
#include "effects/MetaballField.h"

#include "effects/MetaballVectorKernel.h"
#include "framework/VectorSupport.h"

#if defined(BRINDLEMOX_X86_SSE2)
#include <emmintrin.h>
#endif
#if defined(BRINDLEMOX_WASM_SIMD)
#include <wasm_simd128.h>
#endif

double MetaballField(const float* chargeX, const float* chargeY, int x, int y) {
  double sum = 0.0;
  for (int k = 0; k < kMetaballCharges; ++k) {
    const double dx = static_cast<double>(chargeX[k]) - x;
    const double dy = static_cast<double>(chargeY[k]) - y;
    const double d2 = dx * dx + dy * dy;
    sum += d2 == 0.0 ? 1.0 : 1.0 / d2;
  }
  return sum;
}

int MetaballIndex(double field) {
  const double v = field * static_cast<double>(kMetaballStrength);
  // Written so that NaN also saturates.
  if (!(v < 255.0)) return 255;
  return static_cast<int>(v);
}

namespace {

// A float square, raised to 2^-41 where it is smaller (see above).
float FloatSquare(double square) {
  constexpr float kLeast = 1.0f / 2199023255552.0f;  // 2^-41
  const float f = static_cast<float>(square);
  return f < kLeast ? kLeast : f;
}

void FillSquares(const float* chargeX, const float* chargeY, int width, int height,
                 MetaballSquares& s) {
  for (int k = 0; k < kMetaballCharges; ++k) {
    for (int x = 0; x < width; ++x) {
      const double dx = static_cast<double>(chargeX[k]) - x;
      s.column[k][x] = dx * dx;
      s.columnF[k][x] = FloatSquare(s.column[k][x]);
    }
    for (int y = 0; y < height; ++y) {
      const double dy = static_cast<double>(chargeY[k]) - y;
      s.row[k][y] = dy * dy;
      s.rowF[k][y] = FloatSquare(s.row[k][y]);
    }
  }
}

int FieldExact(const MetaballSquares& s, int width, int height, const uint32_t* palette,
               uint32_t* out) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) *out++ = ExactPixel(s, x, y, palette);
  return width * height;
}

// Whether every charge lies within 2^19 of the surface, where the vector
// kernels' bound holds (NaN fails).
bool ChargesNearby(const float* chargeX, const float* chargeY) {
  constexpr float kReach = 524288.0f;  // 2^19
  for (int k = 0; k < kMetaballCharges; ++k)
    if (!(chargeX[k] > -kReach && chargeX[k] < kReach && chargeY[k] > -kReach &&
          chargeY[k] < kReach))
      return false;
  return true;
}

#if defined(BRINDLEMOX_X86_SSE2)
// Four lanes of SSE2; the reciprocal refined by one Newton step.
struct Sse2Lanes {
  using F = __m128;
  static constexpr int kLanes = 4;
  static constexpr int kAllLanes = 0xF;
  static F Load(const float* p) { return _mm_load_ps(p); }
  static F Splat(float v) { return _mm_set1_ps(v); }
  static F Add(F a, F b) { return _mm_add_ps(a, b); }
  static F Mul(F a, F b) { return _mm_mul_ps(a, b); }
  static F Min(F a, F b) { return _mm_min_ps(a, b); }
  static F Quotient(F num, F den) {
    const F r = _mm_rcp_ps(den);
    return _mm_mul_ps(num, _mm_mul_ps(r, _mm_sub_ps(_mm_set1_ps(2.0f), _mm_mul_ps(den, r))));
  }
  static F SameBits(F a, F b) {
    return _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_castps_si128(a), _mm_castps_si128(b)));
  }
  static int Mask(F m) { return _mm_movemask_ps(m); }
  static void StoreShifted(uint32_t* out, F bits) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_slli_epi32(_mm_castps_si128(bits), 16));
  }
  static void StoreBits(int32_t* out, F bits) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_castps_si128(bits));
  }
};
#endif

#if defined(BRINDLEMOX_WASM_SIMD)
// Four lanes of WebAssembly SIMD, which has no reciprocal estimate: the
// division is a true one (one a pixel, where the plain arithmetic has three).
struct WasmLanes {
  using F = v128_t;
  static constexpr int kLanes = 4;
  static constexpr int kAllLanes = 0xF;
  static F Load(const float* p) { return wasm_v128_load(p); }
  static F Splat(float v) { return wasm_f32x4_splat(v); }
  static F Add(F a, F b) { return wasm_f32x4_add(a, b); }
  static F Mul(F a, F b) { return wasm_f32x4_mul(a, b); }
  static F Min(F a, F b) { return wasm_f32x4_pmin(a, b); }
  static F Quotient(F num, F den) { return wasm_f32x4_div(num, den); }
  static F SameBits(F a, F b) { return wasm_i32x4_eq(a, b); }
  static int Mask(F m) { return static_cast<int>(wasm_i32x4_bitmask(m)); }
  static void StoreShifted(uint32_t* out, F bits) { wasm_v128_store(out, wasm_i32x4_shl(bits, 16)); }
  static void StoreBits(int32_t* out, F bits) { wasm_v128_store(out, bits); }
};
#endif

}  // namespace

bool MetaballKernelAvailable(MetaballKernel kernel) {
  switch (kernel) {
    case MetaballKernel::Exact:
      return true;
    case MetaballKernel::Sse2:
      return kBuildHasX86Sse2;
    case MetaballKernel::Avx2:
      return kMetaballAvx2Built && ProcessorHasAvx2();
    case MetaballKernel::Wasm:
      return kBuildHasWasmSimd;
  }
  return false;
}

MetaballKernel FastestMetaballKernel() {
  static const MetaballKernel fastest =
      MetaballKernelAvailable(MetaballKernel::Avx2)   ? MetaballKernel::Avx2
      : MetaballKernelAvailable(MetaballKernel::Sse2) ? MetaballKernel::Sse2
      : MetaballKernelAvailable(MetaballKernel::Wasm) ? MetaballKernel::Wasm
                                                      : MetaballKernel::Exact;
  return fastest;
}

int DrawMetaballField(const float* chargeX, const float* chargeY, const uint32_t* palette,
                      uint32_t* out, int width, int height, MetaballKernel kernel) {
  if (width < 0 || height < 0 || width > kMetaballMaxWidth || height > kMetaballMaxHeight)
    return -1;
  MetaballSquares squares;
  FillSquares(chargeX, chargeY, width, height, squares);
  if (!MetaballKernelAvailable(kernel) || !ChargesNearby(chargeX, chargeY))
    kernel = MetaballKernel::Exact;
  switch (kernel) {
    case MetaballKernel::Avx2:
      return MetaballFieldAvx2(squares, width, height, palette, out);
#if defined(BRINDLEMOX_X86_SSE2)
    case MetaballKernel::Sse2:
      return FieldVector<Sse2Lanes>(squares, width, height, palette, out);
#endif
#if defined(BRINDLEMOX_WASM_SIMD)
    case MetaballKernel::Wasm:
      return FieldVector<WasmLanes>(squares, width, height, palette, out);
#endif
    default:
      return FieldExact(squares, width, height, palette, out);
  }
}
