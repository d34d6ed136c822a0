#include <gtest/gtest.h>

#include <vector>

#include "tests/ShellHarness.h"

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

TEST_F(TimelineTest, ExactlyOneSlotDrawsAtEachBoundary) {
  EXPECT_EQ(FrameAt(0), std::vector<int>{0});
  EXPECT_EQ(FrameAt(7999), std::vector<int>{0});
  EXPECT_EQ(FrameAt(8000), std::vector<int>{1});
  EXPECT_EQ(FrameAt(15999), std::vector<int>{1});
  EXPECT_EQ(FrameAt(16000), std::vector<int>{2});
  EXPECT_EQ(FrameAt(25999), std::vector<int>{2});
  EXPECT_EQ(FrameAt(26000), std::vector<int>{3});
  EXPECT_EQ(FrameAt(4294967294), std::vector<int>{3});
}

TEST_F(TimelineTest, TheLastMillisecondBeforeTheWrapIsBlackAndTheWrapReturnsToSlotZero) {
  FrameAt(4294967294);
  shell.device->backBuffer->Pixels()[0] = 0xFFFFFF;
  EXPECT_TRUE(FrameAt(4294967295).empty());
  EXPECT_EQ(shell.device->backBuffer->Pixels()[0], 0u);
  EXPECT_EQ(FrameAt(4294967296), std::vector<int>{0});
}

TEST_F(TimelineTest, EachEffectsOwnClockStartsAtItsFirstFrame) {
  FrameAt(100);
  FrameAt(8000);
  FrameAt(8016);
  FrameAt(26003);
  FrameAt(27003);
  EXPECT_EQ(spies[0]->ownTimes, (std::vector<uint32_t>{0}));
  EXPECT_EQ(spies[1]->ownTimes, (std::vector<uint32_t>{0, 16}));
  EXPECT_TRUE(spies[2]->ownTimes.empty());
  EXPECT_FALSE(spies[2]->started);
  EXPECT_EQ(spies[3]->ownTimes, (std::vector<uint32_t>{0, 1000}));
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
