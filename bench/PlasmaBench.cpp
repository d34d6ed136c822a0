// One frame of the plasma: palette turn, field, and the enlarged copy over
// the back buffer.
#include <benchmark/benchmark.h>

#include "bench/BenchDevice.h"
#include "effects/PlasmaEffect.h"

static void BM_Plasma(benchmark::State& state) {
  BenchDevice bench;
  PlasmaEffect plasma(bench.device);
  SetVirtualClockMs(0);
  plasma.Render();  // starts the effect's clock
  SetVirtualClockMs(4321);
  for (auto _ : state) {
    plasma.Render();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Plasma);
