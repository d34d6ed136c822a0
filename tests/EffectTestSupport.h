// What the effects' tests share: a device on the headless backend with one
// effect on it, and frames of the real program captured on the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/QelGFX.h"
#include "shell/Timeline.h"
#include "tests/HeadlessDevice.h"
#include "tests/ShellHarness.h"
#include "tools/capture/Capture.h"

// A fresh device with the shell's back buffer set, and one EffectType on it.
template <class EffectType>
class EffectFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ShellHarness::Fresh();
    headless = std::make_unique<HeadlessDevice>();
    device = headless->device;
    effect = new EffectType(device);
  }
  void TearDown() override {
    CloseDevice();
    ShellHarness::Fresh();
  }

  // The effect, then the device, destroyed now, as the shell's shut-down does.
  void CloseDevice() {
    delete effect;
    effect = nullptr;
    headless.reset();
    device = nullptr;
  }

  std::vector<uint32_t> SurfaceWords() const {
    const uint32_t* p = effect->surface->Pixels();
    return std::vector<uint32_t>(p, p + effect->width * effect->height);
  }

  std::unique_ptr<HeadlessDevice> headless;
  QelGFX* device = nullptr;
  EffectType* effect = nullptr;
};

// The slot of EffectType in the timeline, or -1 when it has none.
template <class EffectType>
int SlotOf() {
  for (int slot = 0; slot < kEffectCount; ++slot)
    if (kTimeline[slot].make == &MakeEffect<EffectType>) return slot;
  return -1;
}

// The frames of one section of the timeline at a given frame rate.
struct Section {
  uint64_t step;   // counter ticks per frame
  uint64_t first;  // the first frame at or after the section's start
  uint64_t last;   // the last frame before its end

  // Frame k starts at ((k - 1) * step) / 1000 ms on the timeline.
  static Section Of(uint32_t fps, uint64_t startMs, uint64_t endMs) {
    const uint64_t step = FrameStep(fps);
    auto framesBefore = [step](uint64_t ms) { return (ms * 1000 + step - 1) / step; };
    return {step, framesBefore(startMs) + 1, framesBefore(endMs)};
  }
  // The section of EffectType's window on the timeline.
  template <class EffectType>
  static Section OfEffect(uint32_t fps) {
    const int slot = SlotOf<EffectType>();
    if (slot < 0) {
      ADD_FAILURE() << "the effect has no row in the timeline";
      return {FrameStep(fps), 1, 0};
    }
    const TimelineEntry& entry = kTimeline[slot];
    return Of(fps, entry.startMs, entry.endMs);
  }
  // The effect's own ms in frame k: its clock starts in the section's first frame.
  uint32_t OwnMs(uint64_t k) const {
    return static_cast<uint32_t>(((k - 1) * step - (first - 1) * step) / 1000);
  }
};

// Plays the program through the capture tool and keeps the listed frames;
// with `picture` the tile zoom reads that file.
inline std::map<uint64_t, std::vector<uint32_t>> CaptureScreens(
    const std::vector<uint64_t>& frames, uint32_t fps = 60, uint32_t seed = 1,
    const std::string& picture = "") {
  CaptureOptions options;
  options.fps = fps;
  options.seed = seed;
  options.picture = picture;
  options.raw = true;
  for (uint64_t k : frames) options.frames.push_back({k, k});
  std::map<uint64_t, std::vector<uint32_t>> screens;
  std::string error;
  const int exitCode = RunCapture(
      options,
      [&](uint64_t k, const uint32_t* pixels, int w, int h, std::string&) {
        screens[k].assign(pixels, pixels + static_cast<size_t>(w) * h);
        return w == 640 && h == 480;
      },
      error);
  EXPECT_EQ(exitCode, 0) << error;
  EXPECT_EQ(screens.size(), frames.size());
  return screens;
}
