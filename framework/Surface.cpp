#include "framework/Surface.h"

#include "framework/Stretch.h"
#include "platform/Observer.h"

Surface::Surface(int w, int h)
    : width(w),
      height(h),
      id(NextId()),
      pixels(new uint32_t[static_cast<size_t>(w) * static_cast<size_t>(h)]()) {}

int Surface::PageLock(uint32_t) {
  if (platform::observer != nullptr) platform::observer->SurfacePageLocked(*this);
  return 0;
}

int Surface::PageUnlock(uint32_t) {
  if (platform::observer != nullptr) platform::observer->SurfacePageUnlocked(*this);
  return 0;
}

void Surface::CarryOutClear() const {
  clearPending = false;
  changes.ChangedWhole();
  FillPixels(pixels.get(), static_cast<size_t>(width) * static_cast<size_t>(height), clearColour);
}

uint64_t Surface::NextId() {
  static uint64_t last = 0;
  return ++last;
}
