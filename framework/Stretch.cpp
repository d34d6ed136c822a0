#include "framework/Stretch.h"

#include <algorithm>
#include <cstring>

// SSE2 is part of every x86-64 processor and of the 32-bit builds (-msse2);
// other processors take the plain loops.
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define BRINDLEMOX_STRETCH_SSE2 1
#endif

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
#if defined(BRINDLEMOX_STRETCH_SSE2)
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
                 const RECT& srcRect, std::vector<uint32_t>& columnScratch) {
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
  // pixel (a whole-number enlargement between two surfaces; a copy within one
  // surface keeps the pixel-by-pixel order), or through the column map.
  const bool sameWidth = sw == dw;
  const int factor = dw / sw;
  const bool repeat = !sameWidth && dw % sw == 0 && dst.pixels != src.pixels;
  if (!sameWidth && !repeat) {
    columnScratch.resize(static_cast<size_t>(dw));
    for (int i = 0; i < dw; ++i)
      columnScratch[static_cast<size_t>(i)] =
          static_cast<uint32_t>(srcRect.left + StretchSource(i, sw, dw));
  }

  const size_t dstStride = static_cast<size_t>(dst.width);
  const size_t srcStride = static_cast<size_t>(src.width);
  uint32_t* previousRow = nullptr;
  int previousSourceRow = -1;
  for (int j = 0; j < dh; ++j) {
    const int sy = srcRect.top + StretchSource(j, sh, dh);
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
        const uint32_t* map = columnScratch.data();
        for (int i = 0; i < dw; ++i) out[i] = in[map[i]];
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
