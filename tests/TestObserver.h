// What the tests see the program do, through the program's one observation
// hook (platform/Observer.h): this test program sets its observer before any
// test runs, and keeps what it reports here.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "framework/Surface.h"

struct SurfaceRecord {
  int width = 0;
  int height = 0;
  int pageLocks = 0;
  int pageUnlocks = 0;
  // Page-locks not yet undone (an unlock of an unlocked surface undoes none).
  int pageLockDepth = 0;
  int locks = 0;
  int unlocks = 0;
  int releases = 0;
  bool pageLockedAtRelease = false;
};

// What happened to every surface made since the last Clear, by surface id
// (the order in which they were made, from 0), and to the devices. Surfaces
// made before the last Clear are not followed.
struct SurfaceLedger {
  std::vector<SurfaceRecord> surfaces;
  int devicesConstructed = 0;
  int devicesDestroyed = 0;
  // Surfaces still alive when the last device was destroyed (-1: none yet).
  int surfacesAliveAtDeviceDestruction = -1;
  // The ids of the surfaces alive now.
  std::map<const Surface*, int> liveIds;

  int Alive() const;
  // The record of surface `id`, or null when there is none.
  SurfaceRecord* Find(int id);
  // The id of a surface alive now, or -1 when it is not followed.
  int IdOf(const Surface* surface) const;
  void Clear() { *this = SurfaceLedger{}; }
};

SurfaceLedger& Ledger();

// Runs the hook whenever a window is being destroyed: its messages are
// dropped and WM_DESTROY comes next. An empty hook runs nothing.
void SetWindowDestroyedHook(std::function<void()> hook);
