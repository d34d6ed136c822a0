// The metaballs' field alone (320x240, no copy), by kernel: 0 the per-pixel
// definition, 1 exact doubles with per-column and per-row squares, 2 SSE2,
// 3 AVX2. The counter "exact" is the pixels a vector kernel could not decide
// in float and worked out in double.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "effects/MetaballField.h"

static void BM_MetaballField(benchmark::State& state) {
  const auto kernel = static_cast<MetaballKernel>(state.range(0));
  if (!MetaballKernelAvailable(kernel)) {
    state.SkipWithError("kernel not available here");
    return;
  }
  std::vector<uint32_t> palette(256), out(320 * 240);
  for (uint32_t i = 0; i < 256; ++i) palette[i] = i << 16;
  // The charges at 2.5 s of the effect's own time.
  const double t = 2.5;
  const float x[3] = {static_cast<float>(160 + 50 * std::cos(2 * t)),
                      static_cast<float>(150 + 40 * std::sin(2 * t)),
                      static_cast<float>(180 + 30 * std::cos(t))};
  const float y[3] = {static_cast<float>(120 + 30 * std::cos(4 * t) + 35 * std::sin(2 * t)),
                      static_cast<float>(100 + 30 * std::cos(t)),
                      static_cast<float>(100 + 30 * std::sin(2 * t))};
  int exact = 0;
  for (auto _ : state) {
    exact = DrawMetaballField(x, y, palette.data(), out.data(), 320, 240, kernel);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.counters["exact"] = exact;
}
BENCHMARK(BM_MetaballField)->DenseRange(0, 3);
