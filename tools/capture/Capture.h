// Plays the presentation offscreen: the program's own entry point, set-up,
// frame loop and shut-down on the headless backend, with a virtual clock.
//
// The performance counter runs at 1,000,000 ticks a second; it reads 0 during
// set-up and (k - 1) * step during frame k (frame 1 is the first), so every
// frame sees exactly the time it would at a steady frame rate. The tick count
// that seeds the random generator is the seed. The tile zoom reads
// options.picture when that names a file, and otherwise looks for its
// picture as the program does (in the working directory alone, since the
// headless backend knows no program folder).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"
#include "platform/headless/HeadlessControl.h"
#include "tools/capture/CaptureOptions.h"

// The virtual clock that the capture tool, the tests and the benchmarks run
// the show on: the headless performance counter at 1,000,000 ticks a second
// (the headless backend's own rate), set to `ms` milliseconds.
inline void SetVirtualClockMs(uint64_t ms) {
  platform::headless::SetPerformanceCounter(static_cast<int64_t>(ms * 1000));
}

// The counter of frame k (from 1) on the virtual clock, `step` ticks a frame
// (FrameStep of the frame rate): (k - 1) * step, so frame 1 sees 0.
inline int64_t VirtualCounterOfFrame(uint64_t frame, uint64_t step) {
  return static_cast<int64_t>((frame - 1) * step);
}

// The headless backend as every virtual show starts: the counter at 1,000,000
// ticks a second reading 0 through set-up, the seed as the tick count that
// set-up seeds the random generator with, a fresh shell, and the tile zoom's
// picture taken from `picture` when that names a file. EndVirtualShow puts
// the backend and the picture back as they were before.
void BeginVirtualShow(uint32_t seed, const std::string& picture);
void EndVirtualShow();

// How DriveShow plays the program. Before frame k (from 1) the counter is set
// to counterOfFrame(k); after `frames` frames, or as soon as stopEarly says
// so, the driver gives finalMessage once, as the user would.
struct ShowDriver {
  uint64_t frames = 0;
  std::function<int64_t(uint64_t frame)> counterOfFrame;
  uint32_t finalMessage = platform::WM_CLOSE;
  uintptr_t finalWParam = 0;
  std::function<bool()> stopEarly;
  // More idle polls than this (0: no limit) and the driver gives WM_CLOSE, so
  // that a shell that stops drawing cannot hang its driver.
  uint64_t maxPolls = 0;
  // When given, runs once after each frame drawn (and once before the
  // first), with the queue empty, before the clock is set for the next.
  std::function<void(uint64_t drawn)> betweenFrames;
};

// Runs the program's entry point on the headless backend, as it is (the
// caller resets and sets up the backend), driven by `driver`; returns the
// entry point's exit code.
int DriveShow(const ShowDriver& driver);

// Receives the frames to write: frame number, 640x480 pixels 0x00RRGGBB.
// Returns false (with the reason) when the frame could not be written.
using FrameSink =
    std::function<bool(uint64_t frame, const uint32_t* pixels, int width, int height,
                       std::string& error)>;

// Runs the capture; returns the process exit code: 0 when every frame was
// rendered and written, 1 when the program failed or a frame could not be
// written (the error says why).
int RunCapture(const CaptureOptions& options, const FrameSink& sink, std::string& error,
               const std::function<void(uint64_t frame, uint64_t last)>& progress = {});
