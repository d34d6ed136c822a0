// The explorer's seeking, natively: showing frames of the first minute at
// 60 fps in random order, once snapshots cover it (ShowStepper::Prepare), as
// the page does after opening. Each iteration is one seek; the counters give
// the snapshots' count, bytes and spacing. The argument is the first
// snapshot interval in frames (the default, and others to compare).
// Working directory: the build folder, which holds pvn_quad.png.
//
// ExplorerStep measures one frame forward in each effect's window, the cost
// a seek pays for each frame it replays.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tools/capture/CaptureOptions.h"
#include "tools/explorer/ShowStepper.h"

namespace {

constexpr uint32_t kFps = 60;
constexpr uint64_t kMinute = uint64_t{60} * kFps + 1;

bool OpenCovered(ShowStepper& stepper, uint64_t interval, benchmark::State& state) {
  stepper.SetSnapshotPolicy(ShowStepper::kDefaultBudgetBytes, interval);
  std::string error;
  if (!stepper.Open(kFps, 1, "", error)) {
    state.SkipWithError(error.c_str());
    return false;
  }
  stepper.Prepare(kMinute, kMinute);
  return true;
}

}  // namespace

static void BM_ExplorerRandomSeek(benchmark::State& state) {
  ShowStepper stepper;
  if (!OpenCovered(stepper, static_cast<uint64_t>(state.range(0)), state)) return;
  std::mt19937 random(2026);
  std::uniform_int_distribution<uint64_t> anyFrame(1, kMinute);
  std::string error;
  for (auto _ : state) {
    if (!stepper.ShowFrame(anyFrame(random), error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(stepper.Pixels()[0]);
  }
  state.counters["snapshots"] = static_cast<double>(stepper.SnapshotCount());
  state.counters["snapshotMB"] = static_cast<double>(stepper.SnapshotBytes()) / 1e6;
  state.counters["interval"] = static_cast<double>(stepper.SnapshotInterval());
}
BENCHMARK(BM_ExplorerRandomSeek)
    ->Arg(ShowStepper::kDefaultInterval)
    ->Arg(120)
    ->Arg(240)
    ->Unit(benchmark::kMillisecond);

// The worst seek: the last frame before a snapshot, reached from far away.
static void BM_ExplorerWorstSeek(benchmark::State& state) {
  ShowStepper stepper;
  if (!OpenCovered(stepper, ShowStepper::kDefaultInterval, state)) return;
  const uint64_t interval = stepper.SnapshotInterval();
  // Just before the snapshot at 1 + m * interval, in the starfield (whose
  // frames cost the most to replay), at 12 s.
  const uint64_t target = (12 * kFps / interval + 1) * interval;
  std::string error;
  for (auto _ : state) {
    if (!stepper.ShowFrame(1, error) || !stepper.ShowFrame(target, error))
      state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(stepper.Pixels()[0]);
  }
}
BENCHMARK(BM_ExplorerWorstSeek)->Unit(benchmark::kMillisecond);

// One frame forward, from the frame at the argument's ms on the timeline.
static void BM_ExplorerStep(benchmark::State& state) {
  ShowStepper stepper;
  std::string error;
  if (!stepper.Open(kFps, 1, "", error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  const uint64_t step = FrameStep(kFps);
  uint64_t frame = static_cast<uint64_t>(state.range(0)) * 1000 / step + 1;
  stepper.Prepare(frame, frame);
  for (auto _ : state) {
    if (!stepper.ShowFrame(frame++, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(stepper.Pixels()[0]);
  }
}
// 240 frames (4 s) from each point stay inside that effect's window.
BENCHMARK(BM_ExplorerStep)
    ->Arg(3000)
    ->Arg(11000)
    ->Arg(20000)
    ->Arg(30000)
    ->Iterations(240)
    ->Unit(benchmark::kMicrosecond);
