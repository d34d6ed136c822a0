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

  // The clock of frame `frame` of a show playing at 60 frames a second from
  // `ms` on, going round the same second again and again: the pictures
  // change from frame to frame as they do on screen, within one stretch of
  // the timeline.
  static void SetClockFrame(uint64_t ms, uint64_t frame) {
    const uint64_t microseconds = ms * 1000 + (frame % 60) * 1000000 / 60;
    platform::headless::SetPerformanceCounter(static_cast<int64_t>(microseconds));
  }

  QelGFX* device = nullptr;
};
