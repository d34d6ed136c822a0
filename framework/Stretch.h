// Nearest-neighbour stretching with centre sampling, used by the device's
// copies and by LoadPNG.
//
// For a destination rectangle dw x dh at (dl, dt) and a source rectangle
// sw x sh at (sl, st), destination pixel (dl + i, dt + j) takes source pixel
//   (sl + ((2i + 1) * sw) / (2 * dw),  st + ((2j + 1) * sh) / (2 * dh))
// in 64-bit integer division: the source pixel under the centre of the
// destination pixel. Equal sizes copy 1:1; a k-times enlargement repeats each
// source pixel k times: with i = qk + r, (2qk + 2r + 1) / 2k = q because
// 2r + 1 < 2k.
//
// The fast copy walks these coordinates without dividing (StretchWalk) and
// gathers a row that is neither 1:1 nor a whole-number enlargement through
// its column map eight pixels at a time by a vector shuffle where the
// processor has AVX2, by runs of consecutive source pixels elsewhere
// (StretchGather).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/Rect.h"

struct PixelView {
  uint32_t* pixels;
  int width;   // pixels per row; rows are width * 4 bytes apart
  int height;
};

// True when the rectangle has area and lies inside a width x height surface.
bool RectFitsSurface(const RECT& r, int width, int height);

// True when copying srcRect of a srcWidth x srcHeight surface into dstRect
// writes every pixel of the dstWidth x dstHeight destination: dstRect is the
// whole destination and the source rectangle fits its surface.
bool StretchReplacesAll(const RECT& dstRect, int dstWidth, int dstHeight, const RECT& srcRect,
                        int srcWidth, int srcHeight);

// The source coordinate for destination offset i of a run of dstLength
// pixels stretched from srcLength pixels.
inline int32_t StretchSource(int64_t i, int64_t srcLength, int64_t dstLength) {
  return static_cast<int32_t>(((2 * i + 1) * srcLength) / (2 * dstLength));
}

// StretchSource(i, srcLength, dstLength) for i = 0, 1, 2, ... in turn,
// without a division: the numerator (2i + 1) * srcLength grows by
// 2 * srcLength a step, so its quotient and remainder by 2 * dstLength grow
// by fixed amounts, one carry from the remainder at most (it stays below
// twice the divisor). Whole numbers throughout: the same coordinates.
class StretchWalk {
 public:
  StretchWalk(int64_t srcLength, int64_t dstLength)
      : divisor(2 * dstLength),
        stepQuotient(2 * srcLength / divisor),
        stepRemainder(2 * srcLength % divisor),
        quotient(srcLength / divisor),
        remainder(srcLength % divisor) {}

  int32_t Current() const { return static_cast<int32_t>(quotient); }
  void Advance() {
    quotient += stepQuotient;
    remainder += stepRemainder;
    if (remainder >= divisor) {
      remainder -= divisor;
      ++quotient;
    }
  }

 private:
  int64_t divisor;
  int64_t stepQuotient;
  int64_t stepRemainder;
  int64_t quotient;
  int64_t remainder;
};

// How a row is gathered through its column map: pixel by pixel (Plain), in
// groups of eight by a vector shuffle of the sixteen source pixels under
// them (Avx2), or by runs of consecutive source pixels copied four at a time
// (Runs: any processor; one vector move with SSE2 or WebAssembly SIMD), each
// pixel by pixel where its groups or runs do not fit (Stretch.cpp).
enum class StretchGather { Plain, Avx2, Runs };

// Whether this build and processor can gather so; and the fastest that can.
bool StretchGatherAvailable(StretchGather gather);
StretchGather FastestStretchGather();

// Copies srcRect of src into dstRect of dst, stretched. Draws nothing unless
// both rectangles fit their surfaces. scratch is reused between calls to
// avoid allocating per copy. Rows are copied whole where the widths are
// equal, enlarged by repeating runs where the width is a whole multiple, and
// gathered through the column map (the way `gather` says) otherwise.
void StretchCopy(PixelView dst, const RECT& dstRect, const PixelView& src,
                 const RECT& srcRect, std::vector<uint32_t>& scratch,
                 StretchGather gather = FastestStretchGather());

// out[i] = in[i / factor] for i < count * factor: each of `count` pixels
// repeated `factor` times (factor >= 1).
void RepeatPixels(uint32_t* out, const uint32_t* in, int count, int factor);

// count pixels of one colour from `out` on.
void FillPixels(uint32_t* out, size_t count, uint32_t colour);
