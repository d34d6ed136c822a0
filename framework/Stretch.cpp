#include "framework/Stretch.h"

#include <algorithm>
#include <cstring>

#include "framework/VectorSupport.h"

// SSE2 is part of every x86-64 processor and of the 32-bit builds (-msse2),
// and the web build takes its intrinsics as WebAssembly SIMD; other
// processors take the plain loops.
#if defined(BRINDLEMOX_SSE2_INTRINSICS)
#include <emmintrin.h>
#endif
#if defined(BRINDLEMOX_X86_AVX2)
#include <immintrin.h>
#endif
#if defined(BRINDLEMOX_WASM_SIMD)
#include <wasm_simd128.h>
#endif

namespace {

// The column map of a gathered copy lies in the scratch: the source column
// of each destination column, then a table per group of destination columns
// that a vector gather takes whole: the first source column of the group's
// window, or kNoGroup where the group's sources spread wider than the window
// (or the window would reach past the source row's end), and then what the
// shuffle takes from the window, eight words:
//   Avx2: the eight pixels' offsets in the window of sixteen, 0 to 15;
//   Wasm: for each half of the window of eight, sixteen byte indices (the
//         pixel's four bytes), 255 where the pixel lies in the other half.
constexpr uint32_t kNoGroup = 0xFFFFFFFFu;
constexpr int kGroupWords = 9;

constexpr int GroupLanes(StretchGather gather) {
  return gather == StretchGather::Avx2 ? 8 : gather == StretchGather::Wasm ? 4 : 0;
}

void BuildGroups(uint32_t* groups, const uint32_t* map, int count, int sourceWidth,
                 StretchGather gather) {
  const int lanes = GroupLanes(gather);
  const uint32_t window = 2 * static_cast<uint32_t>(lanes);
  for (int first = 0; first + lanes <= count; first += lanes, groups += kGroupWords) {
    // The map never falls, so the group's sources run from its first to its
    // last.
    const uint32_t base = map[first];
    if (map[first + lanes - 1] - base >= window ||
        base + window > static_cast<uint32_t>(sourceWidth)) {
      groups[0] = kNoGroup;
      continue;
    }
    groups[0] = base;
    if (gather == StretchGather::Avx2) {
      for (int k = 0; k < lanes; ++k) groups[1 + k] = map[first + k] - base;
    } else {
      uint8_t halves[2][16] = {};
      for (int k = 0; k < lanes; ++k) {
        const uint32_t offset = map[first + k] - base;
        for (uint32_t b = 0; b < 4; ++b) {
          halves[0][4 * k + b] = offset < 4 ? static_cast<uint8_t>(4 * offset + b) : 255;
          halves[1][4 * k + b] = offset >= 4 ? static_cast<uint8_t>(4 * (offset - 4) + b) : 255;
        }
      }
      std::memcpy(groups + 1, halves, sizeof halves);
    }
  }
}

void GatherPlain(uint32_t* out, const uint32_t* in, const uint32_t* map, int count) {
  for (int i = 0; i < count; ++i) out[i] = in[map[i]];
}

#if defined(BRINDLEMOX_X86_AVX2)
// Eight pixels from a window of sixteen: both halves permuted by the
// offsets' low three bits, the half picked by bit 3 (shifted into the sign
// bit, which the blend reads).
__attribute__((target("avx2"))) void GatherAvx2(uint32_t* out, const uint32_t* in,
                                                const uint32_t* map, const uint32_t* groups,
                                                int count) {
  int i = 0;
  for (; i + 8 <= count; i += 8, groups += kGroupWords) {
    if (groups[0] == kNoGroup) {
      GatherPlain(out + i, in, map + i, 8);
      continue;
    }
    const uint32_t* window = in + groups[0];
    const __m256i offsets = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(groups + 1));
    const __m256i low = _mm256_permutevar8x32_epi32(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(window)), offsets);
    const __m256i high = _mm256_permutevar8x32_epi32(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(window + 8)), offsets);
    const __m256 pixels =
        _mm256_blendv_ps(_mm256_castsi256_ps(low), _mm256_castsi256_ps(high),
                         _mm256_castsi256_ps(_mm256_slli_epi32(offsets, 28)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_castps_si256(pixels));
  }
  GatherPlain(out + i, in, map + i, count - i);
}
#endif

#if defined(BRINDLEMOX_WASM_SIMD)
// Four pixels from a window of eight: each half of the window shuffled
// bytewise, an index of 255 giving 0, and the two joined.
void GatherWasm(uint32_t* out, const uint32_t* in, const uint32_t* map, const uint32_t* groups,
                int count) {
  int i = 0;
  for (; i + 4 <= count; i += 4, groups += kGroupWords) {
    if (groups[0] == kNoGroup) {
      GatherPlain(out + i, in, map + i, 4);
      continue;
    }
    const uint32_t* window = in + groups[0];
    const v128_t low = wasm_i8x16_swizzle(wasm_v128_load(window), wasm_v128_load(groups + 1));
    const v128_t high =
        wasm_i8x16_swizzle(wasm_v128_load(window + 4), wasm_v128_load(groups + 5));
    wasm_v128_store(out + i, wasm_v128_or(low, high));
  }
  GatherPlain(out + i, in, map + i, count - i);
}
#endif

void GatherRow(uint32_t* out, const uint32_t* in, const uint32_t* map, [[maybe_unused]] const uint32_t* groups,
               int count, StretchGather gather) {
  switch (gather) {
#if defined(BRINDLEMOX_X86_AVX2)
    case StretchGather::Avx2:
      GatherAvx2(out, in, map, groups, count);
      return;
#endif
#if defined(BRINDLEMOX_WASM_SIMD)
    case StretchGather::Wasm:
      GatherWasm(out, in, map, groups, count);
      return;
#endif
    default:
      GatherPlain(out, in, map, count);
  }
}

}  // namespace

bool StretchGatherAvailable(StretchGather gather) {
  switch (gather) {
    case StretchGather::Plain:
      return true;
    case StretchGather::Avx2:
      return ProcessorHasAvx2();
    case StretchGather::Wasm:
      return kBuildHasWasmSimd;
  }
  return false;
}

StretchGather FastestStretchGather() {
  static const StretchGather fastest =
      StretchGatherAvailable(StretchGather::Avx2)   ? StretchGather::Avx2
      : StretchGatherAvailable(StretchGather::Wasm) ? StretchGather::Wasm
                                                    : StretchGather::Plain;
  return fastest;
}

bool RectFitsSurface(const RECT& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
         r.right <= width && r.bottom <= height;
}

bool StretchReplacesAll(const RECT& dstRect, int dstWidth, int dstHeight, const RECT& srcRect,
                        int srcWidth, int srcHeight) {
  return dstRect.left == 0 && dstRect.top == 0 && dstRect.right == dstWidth &&
         dstRect.bottom == dstHeight && dstWidth > 0 && dstHeight > 0 &&
         RectFitsSurface(srcRect, srcWidth, srcHeight);
}

void RepeatPixels(uint32_t* out, const uint32_t* in, int count, int factor) {
  int i = 0;
#if defined(BRINDLEMOX_SSE2_INTRINSICS)
  // Four source pixels at a time, spread over two or four vectors.
  if (factor == 2) {
    for (; i + 4 <= count; i += 4) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
      __m128i* o = reinterpret_cast<__m128i*>(out + 2 * i);
      _mm_storeu_si128(o, _mm_unpacklo_epi32(v, v));
      _mm_storeu_si128(o + 1, _mm_unpackhi_epi32(v, v));
    }
  } else if (factor == 4) {
    for (; i + 4 <= count; i += 4) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
      __m128i* o = reinterpret_cast<__m128i*>(out + 4 * i);
      _mm_storeu_si128(o, _mm_shuffle_epi32(v, 0x00));
      _mm_storeu_si128(o + 1, _mm_shuffle_epi32(v, 0x55));
      _mm_storeu_si128(o + 2, _mm_shuffle_epi32(v, 0xAA));
      _mm_storeu_si128(o + 3, _mm_shuffle_epi32(v, 0xFF));
    }
  }
#endif
  // The rest, other factors and other processors: one pixel at a time.
  for (; i < count; ++i) {
    const uint32_t pixel = in[i];
    uint32_t* o = out + static_cast<ptrdiff_t>(i) * factor;
    for (int r = 0; r < factor; ++r) o[r] = pixel;
  }
}

void FillPixels(uint32_t* out, size_t count, uint32_t colour) {
  // A colour whose four bytes are equal (black, above all) is a byte fill,
  // which the C library does at full memory speed.
  const uint32_t byte = colour & 0xFFu;
  if (colour == byte * 0x01010101u) {
    std::memset(out, static_cast<int>(byte), count * sizeof(uint32_t));
    return;
  }
  // Any other colour: word by word.
  std::fill_n(out, count, colour);
}

void StretchCopy(PixelView dst, const RECT& dstRect, const PixelView& src,
                 const RECT& srcRect, std::vector<uint32_t>& scratch, StretchGather gather) {
  if (!RectFitsSurface(dstRect, dst.width, dst.height) ||
      !RectFitsSurface(srcRect, src.width, src.height))
    return;

  const int dw = dstRect.right - dstRect.left;
  const int dh = dstRect.bottom - dstRect.top;
  const int sw = srcRect.right - srcRect.left;
  const int sh = srcRect.bottom - srcRect.top;

  // Whole rows 1:1 between two surfaces of one width: the rows lie end to
  // end in both, so the copy is one block. (Within one surface the rows are
  // copied in order, as below, which an overlapping block move would not.)
  if (sw == dw && sh == dh && dw == dst.width && sw == src.width && dst.pixels != src.pixels) {
    std::memmove(dst.pixels + static_cast<size_t>(dstRect.top) * static_cast<size_t>(dw),
                 src.pixels + static_cast<size_t>(srcRect.top) * static_cast<size_t>(sw),
                 static_cast<size_t>(dw) * static_cast<size_t>(dh) * sizeof(uint32_t));
    return;
  }

  // How a row is made: copied whole (equal widths), by repeating each source
  // pixel (a whole-number enlargement between two surfaces), or gathered
  // through the column map. A copy within one surface keeps the pixel-by-
  // pixel order, which reads every source pixel after the writes before it.
  const bool sameWidth = sw == dw;
  const int factor = dw / sw;
  const bool repeat = !sameWidth && dw % sw == 0 && dst.pixels != src.pixels;
  if (dst.pixels == src.pixels || !StretchGatherAvailable(gather)) gather = StretchGather::Plain;
  const uint32_t* map = nullptr;
  const uint32_t* groups = nullptr;
  if (!sameWidth && !repeat) {
    const int lanes = GroupLanes(gather);
    const size_t groupCount = lanes > 0 ? static_cast<size_t>(dw / lanes) : 0;
    scratch.resize(static_cast<size_t>(dw) + groupCount * kGroupWords);
    StretchWalk column(sw, dw);
    for (int i = 0; i < dw; ++i, column.Advance())
      scratch[static_cast<size_t>(i)] = static_cast<uint32_t>(srcRect.left + column.Current());
    if (lanes > 0) BuildGroups(scratch.data() + dw, scratch.data(), dw, src.width, gather);
    map = scratch.data();
    groups = map + dw;
  }

  const size_t dstStride = static_cast<size_t>(dst.width);
  const size_t srcStride = static_cast<size_t>(src.width);
  uint32_t* previousRow = nullptr;
  int previousSourceRow = -1;
  StretchWalk rows(sh, dh);
  StretchWalk rowsAhead(sh, dh);  // two rows ahead, for a gathered copy
  rowsAhead.Advance();
  rowsAhead.Advance();
  for (int j = 0; j < dh; ++j, rows.Advance(), rowsAhead.Advance()) {
    const int sy = srcRect.top + rows.Current();
    if (map != nullptr && j + 2 < dh) {
      // A gathered row reads its source row in jumps the processor does not
      // foresee (a shrunk tile skips source rows): ask for the row after next.
      const char* ahead = reinterpret_cast<const char*>(
          src.pixels + static_cast<size_t>(srcRect.top + rowsAhead.Current()) * srcStride +
          srcRect.left);
      const size_t bytes = static_cast<size_t>(sw) * sizeof(uint32_t);
      for (size_t at = 0; at < bytes; at += 64) __builtin_prefetch(ahead + at);
    }
    uint32_t* out = dst.pixels + static_cast<size_t>(dstRect.top + j) * dstStride +
                    dstRect.left;
    if (sy == previousSourceRow) {
      // An enlarged row repeats the one above it.
      std::memcpy(out, previousRow, static_cast<size_t>(dw) * sizeof(uint32_t));
    } else {
      const uint32_t* in = src.pixels + static_cast<size_t>(sy) * srcStride;
      if (sameWidth) {
        std::memmove(out, in + srcRect.left, static_cast<size_t>(dw) * sizeof(uint32_t));
      } else if (repeat) {
        RepeatPixels(out, in + srcRect.left, sw, factor);
      } else {
        GatherRow(out, in, map, groups, dw, gather);
      }
    }
    previousRow = out;
    previousSourceRow = sy;
  }
}

void StretchCopySimple(PixelView dst, const RECT& dstRect, const PixelView& src,
                       const RECT& srcRect) {
  if (!RectFitsSurface(dstRect, dst.width, dst.height) ||
      !RectFitsSurface(srcRect, src.width, src.height))
    return;
  const int dw = dstRect.right - dstRect.left;
  const int dh = dstRect.bottom - dstRect.top;
  const int sw = srcRect.right - srcRect.left;
  const int sh = srcRect.bottom - srcRect.top;
  for (int j = 0; j < dh; ++j) {
    const int sy = srcRect.top + StretchSource(j, sh, dh);
    for (int i = 0; i < dw; ++i) {
      const int sx = srcRect.left + StretchSource(i, sw, dw);
      dst.pixels[static_cast<size_t>(dstRect.top + j) * static_cast<size_t>(dst.width) +
                 static_cast<size_t>(dstRect.left + i)] =
          src.pixels[static_cast<size_t>(sy) * static_cast<size_t>(src.width) +
                     static_cast<size_t>(sx)];
    }
  }
}
