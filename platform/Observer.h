// The one place from which tests watch what the program does: the graphics
// device's life and surfaces, and the messages of the emulated window
// (EmulatedWindow.cpp). In the program nobody watches: `observer` stays null
// and every report is skipped. The test suite sets it once for all its tests
// (tests/TestObserver.cpp); the web page's tests build a page of their own
// that sets it (tests/web/PageJournal.cpp).
#pragma once

#include "platform/Platform.h"

class Surface;

namespace platform {

class Observer {
 public:
  virtual ~Observer() = default;

  // The device was made (its back buffer exists), and it was destroyed (its
  // back buffer released, its presenter closed).
  virtual void DeviceOpened() {}
  virtual void DeviceClosed() {}

  // A surface was made, page-locked or page-unlocked by its user, locked or
  // unlocked for drawing, and released (reported before it is freed).
  virtual void SurfaceCreated(const Surface&) {}
  virtual void SurfacePageLocked(const Surface&) {}
  virtual void SurfacePageUnlocked(const Surface&) {}
  virtual void SurfaceLocked(const Surface&) {}
  virtual void SurfaceUnlocked(const Surface&) {}
  virtual void SurfaceReleased(const Surface&) {}

  // A message is about to reach a window's procedure; a window is being
  // destroyed (its messages are dropped, WM_DESTROY comes next); the poll
  // took WM_QUIT.
  virtual void MessageDispatched(const Message&) {}
  virtual void WindowDestroyed(WindowHandle) {}
  virtual void QuitTaken(int /*exitCode*/) {}
};

inline Observer* observer = nullptr;

}  // namespace platform
