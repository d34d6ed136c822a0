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

namespace {

// The column map of a gathered copy lies in the scratch: the source column
// of each destination column, then the table of the kernel that gathers it.
//
// Avx2: a table per group of eight destination columns that the vector
// gather takes whole: the first source column of the group's window of
// sixteen, or kNoGroup where the group's sources spread wider than that (or
// the window would reach past the source row's end), and then the eight
// pixels' offsets in the window.
//
// Runs: the row cut into runs of up to four destination columns whose
// sources are consecutive, each as (first destination column, first source
// column); the table holds their count, the first column after them, and
// the pairs. Each run is copied as four pixels at once: a shorter run also
// writes the pixels after it with the wrong ones, and the next run, starting
// right there, writes them again. Runs are taken in order up to the first
// that would write past the destination row or read past the source row;
// from its first column on the row goes pixel by pixel. A shrink by a factor
// below two, as the growing tiles from half their size on, has runs of about
// 1 / (1 - scale) pixels: 3 at two thirds, up to 4 a run near the whole.
constexpr uint32_t kNoGroup = 0xFFFFFFFFu;
constexpr int kGroupWords = 9;

// How many words the kernel's table takes for a row of `count` columns.
size_t TableWords(StretchGather gather, int count) {
  const size_t n = static_cast<size_t>(count);
  switch (gather) {
    case StretchGather::Avx2:
      return n / 8 * kGroupWords;
    case StretchGather::Runs:
      return 2 + 2 * n;
    default:
      return 0;
  }
}

void BuildGroups(uint32_t* groups, const uint32_t* map, int count, int sourceWidth) {
  for (int first = 0; first + 8 <= count; first += 8, groups += kGroupWords) {
    // The map never falls, so the group's sources run from its first to its
    // last.
    const uint32_t base = map[first];
    if (map[first + 7] - base >= 16 || base + 16 > static_cast<uint32_t>(sourceWidth)) {
      groups[0] = kNoGroup;
      continue;
    }
    groups[0] = base;
    for (int k = 0; k < 8; ++k) groups[1 + k] = map[first + k] - base;
  }
}

void BuildRuns(uint32_t* table, const uint32_t* map, int count, int sourceWidth) {
  uint32_t* pair = table + 2;
  uint32_t runs = 0;
  int i = 0;
  while (i < count) {
    const uint32_t source = map[i];
    if (i + 4 > count || source + 4 > static_cast<uint32_t>(sourceWidth)) break;
    int length = 1;
    while (length < 4 && i + length < count && map[i + length] == source + length) ++length;
    *pair++ = static_cast<uint32_t>(i);
    *pair++ = source;
    ++runs;
    i += length;
  }
  table[0] = runs;
  table[1] = static_cast<uint32_t>(i);
}

void BuildTable(uint32_t* table, const uint32_t* map, int count, int sourceWidth,
                StretchGather gather) {
  if (gather == StretchGather::Avx2) BuildGroups(table, map, count, sourceWidth);
  if (gather == StretchGather::Runs) BuildRuns(table, map, count, sourceWidth);
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

// The runs four pixels at a time (one vector move with SSE2 or WebAssembly
// SIMD, or two words at a time elsewhere), then the rest pixel by pixel; for
// a second row too where one is given (out1 not null), so that each run's
// place is read once for both.
void GatherRuns(uint32_t* out0, const uint32_t* in0, uint32_t* out1, const uint32_t* in1,
                const uint32_t* map, const uint32_t* table, int count) {
  constexpr size_t kRunBytes = 4 * sizeof(uint32_t);
  const uint32_t runs = table[0];
  const uint32_t* pair = table + 2;
  if (out1 != nullptr) {
    for (uint32_t r = 0; r < runs; ++r, pair += 2) {
      std::memcpy(out0 + pair[0], in0 + pair[1], kRunBytes);
      std::memcpy(out1 + pair[0], in1 + pair[1], kRunBytes);
    }
  } else {
    for (uint32_t r = 0; r < runs; ++r, pair += 2)
      std::memcpy(out0 + pair[0], in0 + pair[1], kRunBytes);
  }
  const int rest = static_cast<int>(table[1]);
  GatherPlain(out0 + rest, in0, map + rest, count - rest);
  if (out1 != nullptr) GatherPlain(out1 + rest, in1, map + rest, count - rest);
}

void GatherRow(uint32_t* out, const uint32_t* in, const uint32_t* map, const uint32_t* table,
               int count, StretchGather gather) {
  switch (gather) {
#if defined(BRINDLEMOX_X86_AVX2)
    case StretchGather::Avx2:
      GatherAvx2(out, in, map, table, count);
      return;
#endif
    case StretchGather::Runs:
      GatherRuns(out, in, nullptr, nullptr, map, table, count);
      return;
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
    case StretchGather::Runs:
      return true;
  }
  return false;
}

StretchGather FastestStretchGather() {
  static const StretchGather fastest =
      StretchGatherAvailable(StretchGather::Avx2) ? StretchGather::Avx2 : StretchGather::Runs;
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
  const uint32_t* table = nullptr;
  if (!sameWidth && !repeat) {
    scratch.resize(static_cast<size_t>(dw) + TableWords(gather, dw));
    StretchWalk column(sw, dw);
    for (int i = 0; i < dw; ++i, column.Advance())
      scratch[static_cast<size_t>(i)] = static_cast<uint32_t>(srcRect.left + column.Current());
    map = scratch.data();
    table = map + dw;
    BuildTable(scratch.data() + dw, map, dw, src.width, gather);
  }

  const size_t dstStride = static_cast<size_t>(dst.width);
  const size_t srcStride = static_cast<size_t>(src.width);
  uint32_t* previousRow = nullptr;
  int previousSourceRow = -1;
  StretchWalk rows(sh, dh);
  StretchWalk rowsNext(sh, dh);   // one row ahead: a gathered pair
  StretchWalk rowsAhead(sh, dh);  // two rows ahead: what to ask for early
  rowsNext.Advance();
  rowsAhead.Advance();
  rowsAhead.Advance();
  auto advance = [&] {
    rows.Advance();
    rowsNext.Advance();
    rowsAhead.Advance();
  };
  auto destination = [&](int j) {
    return dst.pixels + static_cast<size_t>(dstRect.top + j) * dstStride + dstRect.left;
  };
  for (int j = 0; j < dh; ++j, advance()) {
    const int sy = srcRect.top + rows.Current();
#if defined(BRINDLEMOX_X86_SSE2)
    if (map != nullptr && j + 2 < dh) {
      // A gathered row reads its source row in jumps the processor does not
      // foresee (a shrunk tile skips source rows): ask for the row after next.
      const char* ahead = reinterpret_cast<const char*>(
          src.pixels + static_cast<size_t>(srcRect.top + rowsAhead.Current()) * srcStride +
          srcRect.left);
      const size_t bytes = static_cast<size_t>(sw) * sizeof(uint32_t);
      for (size_t at = 0; at < bytes; at += 64) __builtin_prefetch(ahead + at);
    }
#endif
    uint32_t* out = destination(j);
    if (sy == previousSourceRow) {
      // An enlarged row repeats the one above it.
      std::memcpy(out, previousRow, static_cast<size_t>(dw) * sizeof(uint32_t));
    } else {
      const uint32_t* in = src.pixels + static_cast<size_t>(sy) * srcStride;
      const int nextSy = srcRect.top + rowsNext.Current();
      if (sameWidth) {
        std::memmove(out, in + srcRect.left, static_cast<size_t>(dw) * sizeof(uint32_t));
      } else if (repeat) {
        RepeatPixels(out, in + srcRect.left, sw, factor);
      } else if (gather == StretchGather::Runs && j + 1 < dh && nextSy != sy) {
        // Two rows from two source rows: gathered together.
        uint32_t* out1 = destination(j + 1);
        GatherRuns(out, in, out1, src.pixels + static_cast<size_t>(nextSy) * srcStride, map,
                   table, dw);
        ++j;
        advance();
        out = out1;
        previousRow = out;
        previousSourceRow = nextSy;
        continue;
      } else {
        GatherRow(out, in, map, table, dw, gather);
      }
    }
    previousRow = out;
    previousSourceRow = sy;
  }
}
