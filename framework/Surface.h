// The device's surfaces: width x height 32-bit pixels 0x00RRGGBB, rows exactly
// width * 4 bytes apart, created black.
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
  uint32_t* Pixels() { return pixels.get(); }
  const uint32_t* Pixels() const { return pixels.get(); }
  bool IsPageLocked() const { return pageLockDepth > 0; }

 private:
  int width;
  int height;
  int pageLockDepth = 0;
  std::unique_ptr<uint32_t[]> pixels;
};
