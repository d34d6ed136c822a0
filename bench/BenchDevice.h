// A device on the headless backend for benchmarks, with the shell's back
// buffer set as the effects expect it.
#pragma once

#include "framework/Effect.h"
#include "framework/QelGFX.h"
#include "platform/headless/HeadlessControl.h"

struct BenchDevice {
  BenchDevice() {
    platform::headless::Reset();
    device = new QelGFX(640, 480, 32, 2, 2);
    backBuffer = device->backBuffer;
  }
  ~BenchDevice() {
    delete device;
    backBuffer = nullptr;
  }
  BenchDevice(const BenchDevice&) = delete;
  BenchDevice& operator=(const BenchDevice&) = delete;

  // Sets the virtual counter (1,000,000 ticks a second) to a time in ms.
  static void SetClockMs(uint64_t ms) {
    platform::headless::SetPerformanceCounter(static_cast<int64_t>(ms * 1000));
  }

  QelGFX* device = nullptr;
};
