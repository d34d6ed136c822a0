// One frame of the tile zoom from a given own time in ms on, at 60 frames a
// second over the next second (round and round), with its final copy to the
// back buffer: from 3000 ms the tiles grow from half size, their rectangles
// changing in most frames; from 7000 ms they stand whole and are not copied
// again.
#include <benchmark/benchmark.h>

#include "bench/BenchDevice.h"
#include "effects/TileZoomEffect.h"

static void BM_TileZoom(benchmark::State& state) {
  BenchDevice bench;
  TileZoomEffect effect(bench.device);
  SetVirtualClockMs(0);
  effect.Render();  // starts the effect's own clock at 0
  const uint64_t ms = static_cast<uint64_t>(state.range(0));
  uint64_t frame = 0;
  for (auto _ : state) {
    BenchDevice::SetClockFrame(ms, frame++);
    effect.Render();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TileZoom)->Arg(3000)->Arg(7000);
