#include "tests/TestObserver.h"

#include <utility>

#include "platform/Observer.h"

int SurfaceLedger::Alive() const {
  int alive = 0;
  for (const SurfaceRecord& r : surfaces) alive += r.releases == 0 ? 1 : 0;
  return alive;
}

SurfaceRecord* SurfaceLedger::Find(int id) {
  if (id < 0 || static_cast<size_t>(id) >= surfaces.size()) return nullptr;
  return &surfaces[static_cast<size_t>(id)];
}

int SurfaceLedger::IdOf(const Surface* surface) const {
  const auto found = liveIds.find(surface);
  return found != liveIds.end() ? found->second : -1;
}

SurfaceLedger& Ledger() {
  static SurfaceLedger ledger;
  return ledger;
}

namespace {

std::function<void()>& WindowDestroyedHook() {
  static std::function<void()> hook;
  return hook;
}

class TestObserver final : public platform::Observer {
 public:
  void DeviceOpened() override { ++Ledger().devicesConstructed; }

  void DeviceClosed() override {
    SurfaceLedger& ledger = Ledger();
    ++ledger.devicesDestroyed;
    ledger.surfacesAliveAtDeviceDestruction = ledger.Alive();
  }

  void SurfaceCreated(const Surface& surface) override {
    SurfaceLedger& ledger = Ledger();
    ledger.liveIds[&surface] = static_cast<int>(ledger.surfaces.size());
    ledger.surfaces.push_back({surface.Width(), surface.Height()});
  }

  void SurfacePageLocked(const Surface& surface) override {
    if (SurfaceRecord* r = RecordOf(surface)) {
      ++r->pageLocks;
      ++r->pageLockDepth;
    }
  }

  void SurfacePageUnlocked(const Surface& surface) override {
    if (SurfaceRecord* r = RecordOf(surface)) {
      ++r->pageUnlocks;
      if (r->pageLockDepth > 0) --r->pageLockDepth;
    }
  }

  void SurfaceLocked(const Surface& surface) override {
    if (SurfaceRecord* r = RecordOf(surface)) ++r->locks;
  }

  void SurfaceUnlocked(const Surface& surface) override {
    if (SurfaceRecord* r = RecordOf(surface)) ++r->unlocks;
  }

  void SurfaceReleased(const Surface& surface) override {
    if (SurfaceRecord* r = RecordOf(surface)) {
      ++r->releases;
      r->pageLockedAtRelease = r->pageLockDepth > 0;
    }
    // Its memory may hold the next surface made.
    Ledger().liveIds.erase(&surface);
  }

  void WindowDestroyed(platform::WindowHandle) override {
    if (WindowDestroyedHook()) WindowDestroyedHook()();
  }

 private:
  static SurfaceRecord* RecordOf(const Surface& surface) {
    return Ledger().Find(Ledger().IdOf(&surface));
  }
};

TestObserver testObserver;

// Before main runs, so that every test is watched from its start.
struct Watching {
  Watching() { platform::observer = &testObserver; }
} watching;

}  // namespace

void SetWindowDestroyedHook(std::function<void()> hook) {
  WindowDestroyedHook() = std::move(hook);
}
