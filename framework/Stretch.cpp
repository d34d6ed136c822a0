#include "framework/Stretch.h"

#include <cstring>

bool RectFitsSurface(const RECT& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
         r.right <= width && r.bottom <= height;
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

  // Source column of every destination column, computed once per copy.
  const bool sameWidth = sw == dw;
  if (!sameWidth) {
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
      } else {
        const uint32_t* map = columnScratch.data();
        for (int i = 0; i < dw; ++i) out[i] = in[map[i]];
      }
    }
    previousRow = out;
    previousSourceRow = sy;
  }
}
