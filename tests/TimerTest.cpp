#include <gtest/gtest.h>

#include "framework/Timer.h"
#include "platform/headless/HeadlessControl.h"

namespace headless = platform::headless;

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { headless::Reset(); }
  void TearDown() override { headless::Reset(); }
};

TEST_F(TimerTest, CountsMillisecondsAndWholeSecondsSinceReset) {
  headless::SetPerformanceFrequency(1000000);
  headless::SetPerformanceCounter(5000000);
  Timer timer;
  timer.Reset();
  EXPECT_EQ(timer.startCount, 5000000);
  EXPECT_EQ(timer.currentCount, 0);
  headless::SetPerformanceCounter(5000000 + 999999);
  EXPECT_EQ(timer.ElapsedMs(), 999u);
  EXPECT_EQ(timer.ElapsedSeconds(), 0u);
  headless::SetPerformanceCounter(5000000 + 2900000);
  EXPECT_EQ(timer.ElapsedMs(), 2900u);
  EXPECT_EQ(timer.ElapsedSeconds(), 2u);
  EXPECT_EQ(timer.currentCount, 5000000 + 2900000);
}

TEST_F(TimerTest, RunsFastWhenTheFrequencyIsNotAMultipleOf1000) {
  // 3,579,545 ticks a second: the ms divisor truncates to 3579, so one real
  // second reads 1000.15 ms, truncated to 1000, and ten seconds read 10001.
  headless::SetPerformanceFrequency(3579545);
  Timer timer;
  timer.Reset();
  headless::SetPerformanceCounter(3579545);
  EXPECT_EQ(timer.ElapsedMs(), 1000u);
  EXPECT_EQ(timer.ElapsedSeconds(), 1u);
  headless::SetPerformanceCounter(35795450);
  EXPECT_EQ(timer.ElapsedMs(), 10001u);
  EXPECT_EQ(timer.ElapsedSeconds(), 10u);
}

TEST_F(TimerTest, MillisecondsWrapAfter2To32) {
  headless::SetPerformanceFrequency(1000);
  Timer timer;
  timer.Reset();
  headless::SetPerformanceCounter(4294967295LL);
  EXPECT_EQ(timer.ElapsedMs(), 4294967295u);
  headless::SetPerformanceCounter(4294967296LL + 7);
  EXPECT_EQ(timer.ElapsedMs(), 7u);
}

TEST_F(TimerTest, SlowOrMissingCounterNeverDividesByZero) {
  struct Case {
    int64_t frequency;
    uint32_t ms;
    uint32_t seconds;
  };
  // The divisors are kept at one tick at least.
  for (const Case& c : {Case{0, 500, 500}, Case{1, 500, 500}, Case{999, 500, 0}}) {
    headless::SetPerformanceFrequency(c.frequency);
    headless::SetPerformanceCounter(0);
    Timer timer;
    timer.Reset();
    headless::SetPerformanceCounter(500);
    EXPECT_EQ(timer.ElapsedMs(), c.ms) << c.frequency;
    EXPECT_EQ(timer.ElapsedSeconds(), c.seconds) << c.frequency;
  }
}
