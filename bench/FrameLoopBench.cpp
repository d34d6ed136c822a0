// One whole frame of the shell on the headless backend: clear, the active
// effect's Render, flip, and the title every 15th frame. The argument is the
// timeline's millisecond where the measured frames begin; they follow each
// other at 60 frames a second over the next second, round and round, so that
// each frame draws what changed since the one before: the tile zoom grows its
// tiles from 4000 ms as it does on screen, and stands whole from 7000 ms.
// The effect's first frame is
// drawn at the start of its window, so that its own clock has run
// (ms - start) by the measured frames; the starfield is run past its first
// generation of stars first, to its steady state.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/BenchDevice.h"
#include "platform/headless/HeadlessControl.h"
#include "shell/DemoShell.h"
#include "shell/ShellState.h"

namespace {

uint64_t WindowStartOf(uint64_t ms) {
  if (ms < 8000) return 0;
  if (ms < 16000) return 8000;
  if (ms < 26000) return 16000;
  return 26000;
}

}  // namespace

static void BM_FrameLoop(benchmark::State& state) {
  const uint64_t ms = static_cast<uint64_t>(state.range(0));
  platform::headless::Reset();
  ResetShellState();
  if (!SetupDemo()) {
    state.SkipWithError("set-up failed");
    return;
  }
  shell.runState = Running;

  SetVirtualClockMs(WindowStartOf(ms));
  FrameLoop();  // the effect's first frame starts its own clock
  // Past the starfield's first mass respawn and the first generation's
  // deaths (328 frames at most); harmless for the other effects.
  uint64_t frame = 0;
  for (; frame < 700; ++frame) {
    BenchDevice::SetClockFrame(ms, frame);
    FrameLoop();
  }

  for (auto _ : state) {
    BenchDevice::SetClockFrame(ms, frame++);
    FrameLoop();
    benchmark::ClobberMemory();
  }

  ShutdownDemo();
  platform::headless::Reset();
  ResetShellState();
}
BENCHMARK(BM_FrameLoop)->Arg(4000)->Arg(7000)->Arg(12000)->Arg(21000)->Arg(30000);
