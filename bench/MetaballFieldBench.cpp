// The metaballs' field alone (320x240, no copy), by kernel: 0 the per-pixel
// definition, 1 exact doubles with per-column and per-row squares, 2 SSE2,
// 3 AVX2. The charges and palette are the effect's own after 2500 ms. The
// counter "exact" is the pixels a vector kernel could not decide in float and
// worked out in double.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchDevice.h"
#include "effects/MetaballEffect.h"
#include "effects/MetaballField.h"

static void BM_MetaballField(benchmark::State& state) {
  const auto kernel = static_cast<MetaballKernel>(state.range(0));
  if (!MetaballKernelAvailable(kernel)) {
    state.SkipWithError("kernel not available here");
    return;
  }
  BenchDevice bench;
  MetaballEffect effect(bench.device);
  SetVirtualClockMs(0);
  effect.Render();  // starts the effect's own clock
  SetVirtualClockMs(2500);
  effect.Render();  // places the charges
  std::vector<uint32_t> out(320 * 240);
  int exact = 0;
  for (auto _ : state) {
    exact = DrawMetaballField(effect.chargeX, effect.chargeY, effect.palette, out.data(), 320,
                              240, kernel);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.counters["exact"] = exact;
}
BENCHMARK(BM_MetaballField)->DenseRange(0, 3);
