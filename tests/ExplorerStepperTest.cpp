// The explorer's show stepper: every frame it shows is the capture tool's
// frame of that number, whatever order the frames are asked in, and its
// snapshots stay within their budget.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/ExplorerTestSupport.h"
#include "tests/JsonValue.h"
#include "tools/explorer/ShowStepper.h"

namespace {

void Show(ShowStepper& stepper, uint64_t frame) {
  std::string error;
  ASSERT_TRUE(stepper.ShowFrame(frame, error)) << error;
  ASSERT_EQ(stepper.Frame(), frame);
}

FramePixels Shown(const ShowStepper& stepper) {
  return FramePixels(stepper.Pixels(), stepper.Pixels() + kShowWidth * kShowHeight);
}

// The effect on screen in the frame shown, by its description.
std::string ShownEffect(ShowStepper& stepper) {
  return ParseJson(stepper.Describe())["name"].text;
}

}  // namespace

// Frames in order and then backwards, at two frame rates and two seeds:
// the capture tool's pixels each time, through all four effects.
TEST(ExplorerStepper, ShowsTheCaptureToolsFramesForEveryEffectFpsAndSeed) {
  for (uint32_t fps : {60u, 37u}) {
    for (uint32_t seed : {1u, 3141592653u}) {
      SCOPED_TRACE(testing::Message() << "fps " << fps << ", seed " << seed);
      const std::vector<uint64_t> frames = FramesAcrossTheShow(fps);
      const auto captured = CaptureFrames(fps, seed, frames);
      ShowStepper stepper;
      std::string error;
      ASSERT_TRUE(stepper.Open(fps, seed, "", error)) << error;
      std::set<std::string> effects;
      for (const auto& [frame, pixels] : captured) {
        Show(stepper, frame);
        EXPECT_TRUE(Shown(stepper) == pixels) << "frame " << frame;
        effects.insert(ShownEffect(stepper));
      }
      EXPECT_EQ(effects, (std::set<std::string>{"tile zoom", "starfield", "plasma", "metaballs"}));
      for (auto it = captured.rbegin(); it != captured.rend(); ++it) {
        Show(stepper, it->first);
        EXPECT_TRUE(Shown(stepper) == it->second) << "frame " << it->first << " going back";
      }
    }
  }
}

// Ten steps forward and ten back give the same pixels again, in each
// effect's window and across the change from one effect to the next; with
// snapshots far apart and close together.
TEST(ExplorerStepper, TenStepsForwardThenTenBackGiveTheSamePixels) {
  for (uint64_t interval : {ShowStepper::kDefaultInterval, uint64_t{7}}) {
    ShowStepper stepper;
    stepper.SetSnapshotPolicy(ShowStepper::kDefaultBudgetBytes, interval);
    std::string error;
    ASSERT_TRUE(stepper.Open(60, 1, "", error)) << error;
    for (uint64_t start : {1u, 300u, 475u, 955u, 1555u, 1800u}) {
      SCOPED_TRACE(testing::Message() << "interval " << interval << ", from " << start);
      std::vector<uint64_t> forward;
      for (uint64_t k = start; k <= start + 10; ++k) {
        Show(stepper, k);
        forward.push_back(FrameHash(stepper.Pixels()));
      }
      for (uint64_t k = start + 10; k + 1 > start; --k) {
        Show(stepper, k);
        EXPECT_EQ(FrameHash(stepper.Pixels()), forward[k - start]) << "frame " << k;
      }
    }
  }
}

// Random jumps, forward and back, with snapshots at the default spacing, at
// a short one, and under a budget so small that they are thinned out again
// and again: every frame is the one played straight through.
TEST(ExplorerStepper, RandomSeeksEqualStraightPlayback) {
  constexpr uint64_t kLast = 2000;  // past the start of the metaballs at 60 fps
  const std::vector<uint64_t> straight = CaptureHashes(60, 7, kLast);
  struct Policy {
    size_t budget;
    uint64_t interval;
  };
  for (const Policy policy : {Policy{ShowStepper::kDefaultBudgetBytes, 240},
                              Policy{ShowStepper::kDefaultBudgetBytes, 25},
                              Policy{6u * 1000u * 1000u, 5}}) {
    SCOPED_TRACE(testing::Message() << "budget " << policy.budget << ", interval "
                                    << policy.interval);
    ShowStepper stepper;
    stepper.SetSnapshotPolicy(policy.budget, policy.interval);
    std::string error;
    ASSERT_TRUE(stepper.Open(60, 7, "", error)) << error;
    std::mt19937 random(26);
    std::uniform_int_distribution<uint64_t> anyFrame(1, kLast);
    for (int seek = 0; seek < 120; ++seek) {
      const uint64_t k = anyFrame(random);
      Show(stepper, k);
      EXPECT_EQ(FrameHash(stepper.Pixels()), straight[k]) << "seek " << seek << " to " << k;
    }
    EXPECT_LE(stepper.SnapshotBytes(), policy.budget);
    if (policy.budget < ShowStepper::kDefaultBudgetBytes) {
      EXPECT_GT(stepper.SnapshotInterval(), policy.interval) << "never thinned";
    }
  }
}

// Taking snapshots ahead does not change the frame shown or its description,
// and keeps the snapshots within 64 MB over the first minute, at 60 fps and
// at 1000 fps (where they must be thinned).
TEST(ExplorerStepper, SnapshotsOfTheFirstMinuteStayWithinTheBudget) {
  for (uint32_t fps : {60u, 1000u}) {
    SCOPED_TRACE(testing::Message() << "fps " << fps);
    ShowStepper stepper;
    std::string error;
    ASSERT_TRUE(stepper.Open(fps, 1, "", error)) << error;
    Show(stepper, 2);
    const uint64_t hash = FrameHash(stepper.Pixels());
    const std::string description = stepper.Describe();
    const uint64_t last = uint64_t{60} * fps + 1;
    size_t most = 0;
    uint64_t covered = 0;
    while (covered < last) {
      const uint64_t before = stepper.FramesDrawn();
      covered = stepper.Prepare(last, 500);
      most = std::max(most, stepper.SnapshotBytes());
      ASSERT_GT(stepper.FramesDrawn(), before) << "no progress at " << covered;
      if (stepper.FramesDrawn() - before < 500) break;  // reached `last`
    }
    EXPECT_LE(most, ShowStepper::kDefaultBudgetBytes);
    EXPECT_GE(stepper.SnapshotCount(), 10u);
    EXPECT_EQ(stepper.Frame(), 2u);
    EXPECT_EQ(FrameHash(stepper.Pixels()), hash);
    EXPECT_EQ(stepper.Describe(), description);
    // Every frame from here on is at most one interval from a snapshot.
    EXPECT_GE(covered + stepper.SnapshotInterval(), last);
    if (fps == 1000) {
      EXPECT_GT(stepper.SnapshotInterval(), ShowStepper::kDefaultInterval);
    }
  }
}

TEST(ExplorerStepper, RefusesBadFramesRatesAndPicturesSayingWhy) {
  ShowStepper stepper;
  std::string error;
  EXPECT_FALSE(stepper.ShowFrame(1, error));
  EXPECT_EQ(error, "no show is open");
  EXPECT_EQ(stepper.Describe(), "");
  EXPECT_EQ(stepper.Timeline(), "[]");

  EXPECT_FALSE(stepper.Open(0, 1, "", error));
  EXPECT_EQ(error, "the frame rate must be 1 to 1000");
  EXPECT_FALSE(stepper.Open(1001, 1, "", error));
  error.clear();
  EXPECT_FALSE(stepper.Open(60, 1, "no such folder/pvn_quad.png", error));
  EXPECT_NE(error.find("no such folder/pvn_quad.png"), std::string::npos) << error;
  EXPECT_FALSE(stepper.IsOpen());

  ASSERT_TRUE(stepper.Open(60, 1, "", error)) << error;
  EXPECT_FALSE(stepper.ShowFrame(0, error));
  EXPECT_EQ(error, "frames are numbered from 1 to 4294967295");
  EXPECT_EQ(stepper.Frame(), 0u);
  EXPECT_EQ(stepper.Describe(), "");
  // One show at a time: there is one shell.
  ShowStepper second;
  EXPECT_FALSE(second.Open(60, 1, "", error));
  EXPECT_EQ(error, "another show is open");
  Show(stepper, 3);
  stepper.Close();
  EXPECT_EQ(stepper.Frame(), 0u);
  EXPECT_EQ(stepper.Pixels()[0], 0u);
  ASSERT_TRUE(second.Open(37, 2, "", error)) << error;
  Show(second, 3);
}

// Opening again starts over: another frame rate or seed gives that show's
// frames, not a mixture with the last one's snapshots.
TEST(ExplorerStepper, OpeningAgainStartsTheShowOver) {
  const auto at60 = CaptureFrames(60, 1, {500});
  const auto at30 = CaptureFrames(30, 9, {500});
  ShowStepper stepper;
  std::string error;
  ASSERT_TRUE(stepper.Open(60, 1, "", error)) << error;
  Show(stepper, 500);
  EXPECT_TRUE(Shown(stepper) == at60.at(500));
  ASSERT_TRUE(stepper.Open(30, 9, "", error)) << error;
  Show(stepper, 500);
  EXPECT_TRUE(Shown(stepper) == at30.at(500));
  ASSERT_TRUE(stepper.Open(60, 1, "", error)) << error;
  Show(stepper, 500);
  EXPECT_TRUE(Shown(stepper) == at60.at(500));
}
