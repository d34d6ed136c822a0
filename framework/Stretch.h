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

// Copies srcRect of src into dstRect of dst, stretched. Draws nothing unless
// both rectangles fit their surfaces. columnScratch is reused between calls
// to avoid allocating per copy. Rows are copied whole where the widths are
// equal and enlarged by repeating runs where the width is a whole multiple.
void StretchCopy(PixelView dst, const RECT& dstRect, const PixelView& src,
                 const RECT& srcRect, std::vector<uint32_t>& columnScratch);

// The same copy written plainly: every destination pixel reads the source
// pixel the rule names. Kept as the definition the fast copy is tested
// against.
void StretchCopySimple(PixelView dst, const RECT& dstRect, const PixelView& src,
                       const RECT& srcRect);

// out[i] = in[i / factor] for i < count * factor: each of `count` pixels
// repeated `factor` times (factor >= 1).
void RepeatPixels(uint32_t* out, const uint32_t* in, int count, int factor);

// count pixels of one colour from `out` on.
void FillPixels(uint32_t* out, size_t count, uint32_t colour);
