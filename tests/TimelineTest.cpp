#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/Timeline.h"
#include "tests/ShellHarness.h"
#include "tools/capture/CaptureOptions.h"

namespace headless = platform::headless;

namespace {

// Stands in an effect's slot and notes each frame it draws.
class SpyEffect : public Effect {
 public:
  SpyEffect(QelGFX* owner, int slotIndex, std::vector<int>& log) : slot(slotIndex), drawn(log) {
    CreateOwnSurface(owner, 8, 8);
  }
  void Render() override {
    ownTimes.push_back(BeginFrame());
    drawn.push_back(slot);
    PresentSurface();
  }
  int slot;
  std::vector<int>& drawn;
  std::vector<uint32_t> ownTimes;
};

class TimelineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ShellHarness::Fresh();
    ASSERT_TRUE(SetupDemo());
    shell.runState = Running;
    for (int slot = 0; slot < kEffectCount; ++slot) {
      Effect* real = shell.EffectTable[slot];
      spies[slot] = new SpyEffect(shell.device, slot, drawn);
      spies[slot]->SetTimeWindow(real->startMs, real->endMs);
      delete real;
      shell.EffectTable[slot] = spies[slot];
    }
  }
  void TearDown() override {
    ShutdownDemo();
    ShellHarness::Fresh();
  }

  // Draws one frame at timeline time ms; returns the slots that drew.
  std::vector<int> FrameAt(uint64_t ms) {
    drawn.clear();
    headless::SetPerformanceCounter(static_cast<int64_t>(ms * 1000));
    FrameLoop();
    return drawn;
  }

  std::vector<int> drawn;
  SpyEffect* spies[kEffectCount] = {};
};

}  // namespace

// The table's windows cover the whole 32-bit timeline but its last
// millisecond, one after the other, so exactly one effect draws at any time.
TEST(TimelineTable, WindowsStartAtZeroTouchAndRunToTheEnd) {
  ASSERT_GT(kEffectCount, 0);
  EXPECT_EQ(kTimeline[0].startMs, 0u);
  for (int slot = 0; slot < kEffectCount; ++slot) {
    EXPECT_LT(kTimeline[slot].startMs, kTimeline[slot].endMs) << "slot " << slot;
    if (slot > 0) {
      EXPECT_EQ(kTimeline[slot].startMs, kTimeline[slot - 1].endMs) << "slot " << slot;
    }
  }
  EXPECT_EQ(kTimeline[kEffectCount - 1].endMs, 0xFFFFFFFFu);
}

// The capture tool records the whole show by default, and its help says how long that is.
TEST(TimelineTable, TheCaptureToolsDefaultLengthIsTheLastEffectsFirstFourSeconds) {
  EXPECT_EQ(kShowLengthMs, kTimeline[kEffectCount - 1].startMs + 4000u);
  EXPECT_EQ(CaptureOptions{}.durationMs, kShowLengthMs);
  const std::string help = CaptureUsage();
  EXPECT_NE(help.find("(default " + std::to_string(kShowLengthMs) + ")"), std::string::npos)
      << help;
}

TEST_F(TimelineTest, ExactlyTheSlotWhoseWindowHoldsTheTimeDraws) {
  for (int slot = 0; slot < kEffectCount; ++slot) {
    const uint64_t start = kTimeline[slot].startMs;
    const uint64_t last = kTimeline[slot].endMs - 1u;
    if (slot == kEffectCount - 1) {
      ASSERT_EQ(last, 4294967294u);
    }
    EXPECT_EQ(FrameAt(start), std::vector<int>{slot}) << start << " ms";
    EXPECT_EQ(FrameAt(start + (last - start) / 2), std::vector<int>{slot});
    EXPECT_EQ(FrameAt(last), std::vector<int>{slot}) << last << " ms";
  }
}

TEST_F(TimelineTest, TheLastMillisecondBeforeTheWrapIsBlackAndTheWrapReturnsToSlotZero) {
  FrameAt(4294967294);
  shell.device->backBuffer->Pixels()[0] = 0xFFFFFF;
  EXPECT_TRUE(FrameAt(4294967295).empty());
  EXPECT_EQ(shell.device->backBuffer->Pixels()[0], 0u);
  EXPECT_EQ(FrameAt(4294967296), std::vector<int>{0});
}

// Every slot drawn twice, 16 ms apart and a few ms into its window, but the
// one before last, which the timeline jumps over: each own clock reads 0 in
// its first frame, and one it never drew is never started.
TEST_F(TimelineTest, EachEffectsOwnClockStartsAtItsFirstFrame) {
  ASSERT_GE(kEffectCount, 2);
  const int skipped = kEffectCount - 2;
  for (int slot = 0; slot < kEffectCount; ++slot) {
    if (slot == skipped) continue;
    FrameAt(kTimeline[slot].startMs + 3u);
    FrameAt(kTimeline[slot].startMs + 19u);
  }
  for (int slot = 0; slot < kEffectCount; ++slot) {
    if (slot == skipped) {
      EXPECT_TRUE(spies[slot]->ownTimes.empty());
      EXPECT_FALSE(spies[slot]->started);
    } else {
      EXPECT_EQ(spies[slot]->ownTimes, (std::vector<uint32_t>{0, 16})) << "slot " << slot;
    }
  }
}

TEST_F(TimelineTest, FramesAreCleared) {
  FrameAt(0);
  shell.device->backBuffer->Pixels()[1234] = 0x123456;
  FrameAt(1);
  EXPECT_EQ(shell.device->backBuffer->Pixels()[1234], 0u);
  EXPECT_EQ(shell.frameCount, 2u);
}

TEST(EffectWindow, IsActiveIsHalfOpenAndUnsigned) {
  ShellHarness::Fresh();
  class Probe : public Effect {
   public:
    void Render() override {}
  } probe;
  probe.SetTimeWindow(0, 8000);
  EXPECT_TRUE(probe.IsActive(0));
  EXPECT_TRUE(probe.IsActive(7999));
  EXPECT_FALSE(probe.IsActive(8000));
  probe.SetTimeWindow(26000, 4294967295u);
  EXPECT_FALSE(probe.IsActive(25999));
  EXPECT_TRUE(probe.IsActive(4294967294u));
  EXPECT_FALSE(probe.IsActive(4294967295u));
}
