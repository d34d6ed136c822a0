// One frame of the tile zoom at a given own time in ms, with its final copy
// to the back buffer: at 3000 ms the tiles are stretched to half size, from
// 6000 ms on they are copied whole.
#include <benchmark/benchmark.h>

#include "bench/BenchDevice.h"
#include "effects/TileZoomEffect.h"

static void BM_TileZoom(benchmark::State& state) {
  BenchDevice bench;
  TileZoomEffect effect(bench.device);
  BenchDevice::SetClockMs(0);
  effect.Render();  // starts the effect's own clock at 0
  BenchDevice::SetClockMs(static_cast<uint64_t>(state.range(0)));
  for (auto _ : state) {
    effect.Render();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TileZoom)->Arg(3000)->Arg(7000);
