// Long runs on the virtual clock: the timeline through its last millisecond
// and its wrap to 0, each effect's own clock wrapping, and storms of input
// between frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/PngFile.h"
#include "tests/MetaballReference.h"
#include "tests/PixelChecks.h"
#include "tests/ShellHarness.h"

namespace headless = platform::headless;

namespace {

using Frame = std::vector<uint32_t>;
constexpr uint64_t kWrap = 4294967296;  // 2^32 ms: the 32-bit clocks read 0 again

// Runs the program with frame k at times[k - 1] ms on the timeline, giving
// `storm` before every frame (and once more before closing with Escape).
struct DrivenRun {
  std::vector<Frame> frames;
  int exitCode = -1;
};

DrivenRun Drive(const std::vector<uint64_t>& times,
                const std::function<void(uint32_t)>& storm = {}) {
  ShellHarness::Fresh();
  headless::SetTickCount(7);
  DrivenRun run;
  headless::SetPresentHook([&run](const uint32_t* pixels, int w, int h) {
    run.frames.emplace_back(pixels, pixels + static_cast<size_t>(w) * h);
  });
  run.exitCode = ShellHarness::Run(
      static_cast<uint32_t>(times.size()), {platform::WM_KEYDOWN, platform::VK_ESCAPE},
      [&times](uint32_t frame) { return times[frame - 1]; }, 100000, storm);
  return run;
}

bool AllBlack(const Frame& f) { return AllOneColour(f, 0); }

// The metaballs' screen after ownMs ms of their own clock, worked out the
// plain way: charges from t in seconds (a float), the inverse-square field
// times 70000, clamped to 255 in the red byte, each surface pixel shown as a
// 2x2 block.
Frame MetaballScreen(uint32_t ownMs) {
  const MetaballCharges charges = MetaballChargesAt(ownMs);
  const float* cx = charges.x;
  const float* cy = charges.y;
  Frame screen(640 * 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) {
        const double dx = cx[k] - double(x / 2), dy = cy[k] - double(y / 2);
        const double d2 = dx * dx + dy * dy;
        sum += d2 == 0 ? 1.0 : 1.0 / d2;
      }
      const double v = sum * 70000.0;
      screen[static_cast<size_t>(y * 640 + x)] = (v >= 255 ? 255u : static_cast<uint32_t>(v)) << 16;
    }
  return screen;
}

Frame Picture() {
  DecodedPicture picture;
  std::string reason;
  // An empty frame when it cannot be read; the caller checks the size first.
  if (!DecodePngFile("pvn_quad.png", picture, reason)) ADD_FAILURE() << reason;
  return picture.pixels;
}

}  // namespace

// The tile zoom starts at 0 ms and the metaballs one millisecond into their
// window, at 26001 ms; every other effect at the start of its window.
TEST(LongRun, TheTimelineRunsToItsLastMillisecondAndWrapsToItsStart) {
  const std::vector<uint64_t> times = {0,     7000,         8000,         16000,
                                       26001, kWrap - 2,    kWrap - 1,    kWrap,
                                       kWrap + 16000, kWrap + 26000, kWrap + 26001};
  const DrivenRun run = Drive(times);
  ASSERT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.frames.size(), times.size());
  const Frame picture = Picture();
  ASSERT_EQ(picture.size(), 640u * 480u);

  EXPECT_TRUE(AllBlack(run.frames[0]));          // tile zoom at its own 0 ms
  EXPECT_EQ(run.frames[1], picture);             // ... and at 7000 ms: whole
  EXPECT_EQ(run.frames[5], MetaballScreen(static_cast<uint32_t>(kWrap - 2 - 26001)));
  EXPECT_TRUE(AllBlack(run.frames[6]));          // 4294967295: no effect at all
  // At the wrap the tile zoom's own clock reads 2^32 ms, which is 0 again: its
  // tiles shrink to nothing and the work surface still holds the picture.
  EXPECT_EQ(run.frames[7], picture);
  // The plasma's own clock reads 2^32 ms: the same as its first frame.
  EXPECT_EQ(run.frames[8], run.frames[3]);
  // The metaballs' own clock at its last value, then wrapped to 0.
  EXPECT_EQ(run.frames[9], MetaballScreen(4294967295u));
  EXPECT_EQ(run.frames[10], run.frames[4]);
  EXPECT_EQ(run.frames[4], MetaballScreen(0));
}

// Thousands of moves, key presses and unknown messages queued between frames
// change nothing that is drawn; the run then closes once, in order.
TEST(LongRun, AStormOfInputBetweenFramesChangesNothing) {
  const std::vector<uint64_t> times = {0, 5000, 7000, 9000, 12000, 17000, 27000, 40000};
  const DrivenRun quiet = Drive(times);
  ASSERT_EQ(quiet.exitCode, 0);

  uint64_t posted = 0;
  const DrivenRun stormy = Drive(times, [&posted](uint32_t drawn) {
    for (int i = 0; i < 2000; ++i) {
      headless::PostInput(platform::WM_MOVE, 0, (i % 300) << 16 | (i % 400));
      headless::PostInput(platform::WM_KEYDOWN, 'A' + static_cast<uintptr_t>(i % 26), 0);
      headless::PostInput(platform::WM_KEYDOWN, platform::VK_F4, 0);
      headless::PostInput(platform::WM_SYSKEYDOWN, 'X', 0);
      headless::PostInput(0x0400 + static_cast<uint32_t>(i % 50), static_cast<uintptr_t>(drawn), i);
      posted += 5;
    }
  });
  EXPECT_EQ(stormy.exitCode, 0);
  EXPECT_GE(posted, 5u * 2000u * times.size());
  EXPECT_EQ(shell.frameCount, times.size());
  ASSERT_EQ(stormy.frames.size(), quiet.frames.size());
  for (size_t k = 0; k < quiet.frames.size(); ++k)
    EXPECT_TRUE(stormy.frames[k] == quiet.frames[k]) << "frame " << k + 1;
  EXPECT_EQ(Ledger().devicesDestroyed, 1);
  for (const SurfaceRecord& r : Ledger().surfaces) EXPECT_EQ(r.releases, 1);
}
