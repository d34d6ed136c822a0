// The device's surfaces: width x height 32-bit pixels 0x00RRGGBB, rows exactly
// width * 4 bytes apart, created black.
//
// A clear is kept pending instead of written at once: every frame clears the
// back buffer and then copies an effect's picture over all of it, which would
// make the fill work nobody sees. The pending fill is carried out the moment
// anything reaches the pixels (Pixels(), and through it every lock, pixel
// write, copy from or into part of the surface, and presenting), and dropped
// only by a write that replaces every pixel (PixelsToReplace()).
#pragma once

#include <cstdint>
#include <memory>

#include "framework/QelGFXExport.h"

class QELGFX_API Surface {
 public:
  Surface(int width, int height);

  // Pins the surface in memory (a no-op here: the memory never moves); flags
  // are 0. Page locks nest.
  int PageLock(uint32_t flags);
  int PageUnlock(uint32_t flags);

  int Width() const { return width; }
  int Height() const { return height; }

  // Every pixel becomes `colour`, as whoever reaches the pixels next sees it.
  void Clear(uint32_t colour) {
    clearPending = true;
    clearColour = colour;
  }
  // The pixels, a pending clear carried out first.
  uint32_t* Pixels() {
    if (clearPending) CarryOutClear();
    return pixels.get();
  }
  const uint32_t* Pixels() const {
    if (clearPending) CarryOutClear();
    return pixels.get();
  }
  // The pixels for a write that replaces every one of them before anything
  // reads them: a pending clear is dropped unseen.
  uint32_t* PixelsToReplace() {
    clearPending = false;
    return pixels.get();
  }
  bool IsPageLocked() const { return pageLockDepth > 0; }

 private:
  void CarryOutClear() const;

  int width;
  int height;
  int pageLockDepth = 0;
  std::unique_ptr<uint32_t[]> pixels;
  // A clear not yet written (mutable: reading the pixels carries it out).
  mutable bool clearPending = false;
  uint32_t clearColour = 0;
};
