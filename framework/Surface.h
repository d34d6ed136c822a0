// The device's surfaces: width x height 32-bit pixels 0x00RRGGBB, rows exactly
// width * 4 bytes apart, created black.
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
  uint32_t* Pixels() { return pixels.get(); }
  const uint32_t* Pixels() const { return pixels.get(); }
  int Id() const { return id; }
  bool IsPageLocked() const { return pageLockDepth > 0; }

 private:
  int width;
  int height;
  int id;
  int pageLockDepth = 0;
  std::unique_ptr<uint32_t[]> pixels;
};
