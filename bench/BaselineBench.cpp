// The floor every effect is measured against: copying one 640x480 frame, and
// one empty frame of the shell (clear, copy, flip) on the headless backend.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/BenchDevice.h"

static void BM_CopyFrame(benchmark::State& state) {
  std::vector<uint32_t> src(640 * 480, 0x123456u), dst(640 * 480);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size() * sizeof(uint32_t));
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyFrame);

static void BM_EmptyFrame(benchmark::State& state) {
  BenchDevice bench;
  Surface* work = nullptr;
  bench.device->CreateSurface(640, 480, &work);
  for (auto _ : state) {
    bench.device->ClearSurf(0, backBuffer);
    bench.device->Blt(backBuffer, work);
    bench.device->Flip();
    benchmark::ClobberMemory();
  }
  bench.device->ReleaseSurface(work);
}
BENCHMARK(BM_EmptyFrame);

BENCHMARK_MAIN();
