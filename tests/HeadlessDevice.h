// The graphics device as the program makes it, QelGFX(640, 480, 32, 2, 2), on
// a freshly reset headless backend, with the shell's back buffer set as the
// effects expect it: the one device of the tests, the benchmarks and the fuzz
// target.
#pragma once

#include "framework/Effect.h"
#include "framework/QelGFX.h"
#include "platform/headless/HeadlessControl.h"

class HeadlessDevice {
 public:
  HeadlessDevice() {
    platform::headless::Reset();
    device = new QelGFX(640, 480, 32, 2, 2);
    backBuffer = device->backBuffer;
  }
  ~HeadlessDevice() { Close(); }
  HeadlessDevice(const HeadlessDevice&) = delete;
  HeadlessDevice& operator=(const HeadlessDevice&) = delete;

  // Destroys the device now; every surface made on it must be released.
  void Close() {
    delete device;
    device = nullptr;
    backBuffer = nullptr;
  }

  QelGFX* device = nullptr;
};
