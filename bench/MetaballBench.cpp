// One metaballs frame: palette, charges, the full 320x240 field and the
// stretched copy over the back buffer, at a fixed own time.
#include <benchmark/benchmark.h>

#include "bench/BenchDevice.h"
#include "effects/MetaballEffect.h"

static void BM_Metaballs(benchmark::State& state) {
  BenchDevice bench;
  MetaballEffect effect(bench.device);
  SetVirtualClockMs(0);
  effect.Render();  // starts the effect's own clock
  SetVirtualClockMs(2500);
  for (auto _ : state) {
    effect.Render();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Metaballs);
