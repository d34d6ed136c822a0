// The metaballs' vector kernel eight pixels at a time with AVX2. This file
// alone is compiled for AVX2 (CMakeLists.txt) where the compiler can; its
// kernel is taken only where the processor has AVX2 (MetaballFieldAvx2's
// caller checks), and all it defines besides the entry below is local to it.
#include "effects/MetaballVectorKernel.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace {

// Eight lanes of AVX2; the reciprocal refined by one Newton step.
struct Avx2Lanes {
  using F = __m256;
  static constexpr int kLanes = 8;
  static constexpr int kAllLanes = 0xFF;
  static F Load(const float* p) { return _mm256_load_ps(p); }
  static F Splat(float v) { return _mm256_set1_ps(v); }
  static F Add(F a, F b) { return _mm256_add_ps(a, b); }
  static F Mul(F a, F b) { return _mm256_mul_ps(a, b); }
  static F Min(F a, F b) { return _mm256_min_ps(a, b); }
  static F Quotient(F num, F den) {
    const F r = _mm256_rcp_ps(den);
    return _mm256_mul_ps(num,
                         _mm256_mul_ps(r, _mm256_sub_ps(_mm256_set1_ps(2.0f), _mm256_mul_ps(den, r))));
  }
  static F SameBits(F a, F b) {
    return _mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_castps_si256(a), _mm256_castps_si256(b)));
  }
  static int Mask(F m) { return _mm256_movemask_ps(m); }
  static void StoreShifted(uint32_t* out, F bits) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_slli_epi32(_mm256_castps_si256(bits), 16));
  }
  static void StoreBits(int32_t* out, F bits) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_castps_si256(bits));
  }
};

}  // namespace

const bool kMetaballAvx2Built = true;

int MetaballFieldAvx2(const MetaballSquares& s, int width, int height, const uint32_t* palette,
                      uint32_t* out) {
  return FieldVector<Avx2Lanes>(s, width, height, palette, out);
}

#else

const bool kMetaballAvx2Built = false;

// Never called: MetaballKernelAvailable says no.
int MetaballFieldAvx2(const MetaballSquares&, int, int, const uint32_t*, uint32_t*) { return 0; }

#endif
