// One steady-state frame of the starfield: move or respawn, project and plot
// 1700 stars, then the final copy over the back buffer.
#include <benchmark/benchmark.h>

#include "bench/BenchDevice.h"
#include "effects/StarfieldEffect.h"
#include "framework/Helpers.h"

static void BM_Starfield(benchmark::State& state) {
  BenchDevice bench;
  SeedRandom(1);
  StarfieldEffect effect(bench.device);
  // Past the first frame's mass respawn and the first generation's deaths
  // (328 frames at most), so stars are born at the steady rate.
  for (int frame = 0; frame < 700; ++frame) effect.Render();
  for (auto _ : state) {
    effect.Render();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Starfield);
