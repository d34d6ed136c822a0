// The device's surfaces: width x height 32-bit pixels 0x00RRGGBB, rows exactly
// width * 4 bytes apart, created black.
//
// A clear is kept pending instead of written at once: every frame clears the
// back buffer and then copies an effect's picture over all of it, which would
// make the fill work nobody sees. The pending fill is carried out the moment
// anything reaches the pixels (Pixels(), and through it every lock, pixel
// write, copy from or into part of the surface, and presenting), and dropped
// only by a write that replaces every pixel (PixelsToReplace()).
//
// A surface also keeps count of how it was used (page locks, locks, release),
// in the SurfaceLedger, so that tests can check that every surface was
// page-locked, page-unlocked and released exactly once.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/QelGFXExport.h"

struct SurfaceRecord {
  int width = 0;
  int height = 0;
  int pageLocks = 0;
  int pageUnlocks = 0;
  int locks = 0;
  int unlocks = 0;
  int releases = 0;
  bool pageLockedAtRelease = false;
};

// What happened to every surface made since the last Clear, by surface id,
// and to the devices.
struct SurfaceLedger {
  std::vector<SurfaceRecord> surfaces;
  int devicesConstructed = 0;
  int devicesDestroyed = 0;
  // Surfaces still alive when the last device was destroyed (-1: none yet).
  int surfacesAliveAtDeviceDestruction = -1;

  int Alive() const;
  // The record of surface `id`, or null when the ledger was cleared since.
  SurfaceRecord* Find(int id);
  void Clear() { *this = SurfaceLedger{}; }
};

SurfaceLedger& Ledger();

class QELGFX_API Surface {
 public:
  Surface(int width, int height);

  // Pins the surface in memory (a no-op here beyond the count); flags are 0.
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
  int Id() const { return id; }
  bool IsPageLocked() const { return pageLockDepth > 0; }

 private:
  void CarryOutClear() const;

  int width;
  int height;
  int id;
  int pageLockDepth = 0;
  std::unique_ptr<uint32_t[]> pixels;
  // A clear not yet written (mutable: reading the pixels carries it out).
  mutable bool clearPending = false;
  uint32_t clearColour = 0;
};
