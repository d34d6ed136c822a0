#include "framework/Surface.h"

#include "framework/Stretch.h"

int SurfaceLedger::Alive() const {
  int alive = 0;
  for (const SurfaceRecord& r : surfaces) alive += r.releases == 0 ? 1 : 0;
  return alive;
}

SurfaceLedger& Ledger() {
  static SurfaceLedger ledger;
  return ledger;
}

SurfaceRecord* SurfaceLedger::Find(int id) {
  if (id < 0 || static_cast<size_t>(id) >= surfaces.size()) return nullptr;
  return &surfaces[static_cast<size_t>(id)];
}

Surface::Surface(int w, int h)
    : width(w),
      height(h),
      id(static_cast<int>(Ledger().surfaces.size())),
      pixels(new uint32_t[static_cast<size_t>(w) * static_cast<size_t>(h)]()) {
  Ledger().surfaces.push_back({w, h});
}

int Surface::PageLock(uint32_t) {
  ++pageLockDepth;
  if (SurfaceRecord* r = Ledger().Find(id)) ++r->pageLocks;
  return 0;
}

int Surface::PageUnlock(uint32_t) {
  if (pageLockDepth > 0) --pageLockDepth;
  if (SurfaceRecord* r = Ledger().Find(id)) ++r->pageUnlocks;
  return 0;
}

void Surface::CarryOutClear() const {
  clearPending = false;
  FillPixels(pixels.get(), static_cast<size_t>(width) * static_cast<size_t>(height), clearColour);
}
