// brindlemox-drawcost: the time one frame of each effect takes to draw (its
// Render, with the copy over the back buffer), on the headless backend, beside
// copying one 640x480 frame with memcpy. It needs nothing but the program, so
// the web build runs it under node as well, and scripts/bench-web.sh sets the
// two side by side.
//
// Each effect plays at 60 frames a second through one second of its own
// clock, round and round, from a fixed time on (the starfield after 700
// frames, in its steady state; the tile zoom from 3000 ms, its tiles
// growing), so that every frame draws what changed since the one before.
// Frames are drawn in batches of about 0.1 s; the figure is the fastest
// batch's time per frame, the one least disturbed by whatever else the
// machine does.
//
// usage: brindlemox-drawcost [SECONDS]   (time spent per effect, default 1)
// Prints one line per effect: its name and nanoseconds per frame.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchDevice.h"
#include "effects/MetaballEffect.h"
#include "effects/PlasmaEffect.h"
#include "effects/StarfieldEffect.h"
#include "effects/TileZoomEffect.h"
#include "framework/Helpers.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Nanoseconds per call of `draw`, the fastest of the batches run in `budget`
// seconds.
double TimePerFrame(const std::function<void()>& draw, double budget) {
  // Calls per batch: about 0.1 s' worth, at least one.
  const Clock::time_point probeStart = Clock::now();
  draw();
  const double once = Seconds(Clock::now() - probeStart);
  const long perBatch = once > 0.1 ? 1 : static_cast<long>(0.1 / (once > 1e-9 ? once : 1e-9));
  double best = 0.0;
  const Clock::time_point start = Clock::now();
  do {
    const Clock::time_point batchStart = Clock::now();
    for (long i = 0; i < perBatch; ++i) draw();
    const double perFrame = Seconds(Clock::now() - batchStart) / static_cast<double>(perBatch);
    if (best == 0.0 || perFrame < best) best = perFrame;
  } while (Seconds(Clock::now() - start) < budget);
  return best * 1e9;
}

template <typename EffectType>
double TimeEffect(uint64_t ms, int warmUpFrames, double budget) {
  BenchDevice bench;
  EffectType effect(bench.device);
  SetVirtualClockMs(0);
  effect.Render();  // starts the effect's clock
  uint64_t frame = 0;
  for (; frame < static_cast<uint64_t>(warmUpFrames); ++frame) {
    BenchDevice::SetClockFrame(ms, frame);
    effect.Render();
  }
  return TimePerFrame(
      [&] {
        BenchDevice::SetClockFrame(ms, frame++);
        effect.Render();
      },
      budget);
}

}  // namespace

int main(int argc, char** argv) {
  double budget = 1.0;
  if (argc > 2 || (argc == 2 && (budget = std::atof(argv[1])) <= 0.0)) {
    std::fprintf(stderr, "usage: brindlemox-drawcost [SECONDS]   (a positive number)\n");
    return 2;
  }
  SeedRandom(1);

  std::vector<uint32_t> from(640 * 480, 0x123456u), to(640 * 480);
  const double copy = TimePerFrame(
      [&] {
        std::memcpy(to.data(), from.data(), to.size() * sizeof(uint32_t));
        from[to[17] & 0xFF] ^= 1;  // keeps the copy from being left out
      },
      budget);
  std::printf("copy-frame %.0f\n", copy);
  std::printf("tile-zoom %.0f\n", TimeEffect<TileZoomEffect>(3000, 0, budget));
  std::printf("starfield %.0f\n", TimeEffect<StarfieldEffect>(4000, 700, budget));
  std::printf("plasma %.0f\n", TimeEffect<PlasmaEffect>(4321, 0, budget));
  std::printf("metaballs %.0f\n", TimeEffect<MetaballEffect>(1234, 0, budget));
  return 0;
}
