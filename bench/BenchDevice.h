// The benchmarks' device (tests/HeadlessDevice.h), and their clock for a
// steady show: SetVirtualClockMs (tools/capture/Capture.h) sets it for one
// moment.
#pragma once

#include <cstdint>

#include "platform/headless/HeadlessControl.h"
#include "tests/HeadlessDevice.h"
#include "tools/capture/Capture.h"

struct BenchDevice : HeadlessDevice {
  // The clock of frame `frame` of a show playing at 60 frames a second from
  // `ms` on, going round the same second again and again: the pictures
  // change from frame to frame as they do on screen, within one stretch of
  // the timeline.
  static void SetClockFrame(uint64_t ms, uint64_t frame) {
    const uint64_t microseconds = ms * 1000 + (frame % 60) * 1000000 / 60;
    platform::headless::SetPerformanceCounter(static_cast<int64_t>(microseconds));
  }
};
