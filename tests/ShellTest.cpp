#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Helpers.h"
#include "tests/ShellHarness.h"

namespace headless = platform::headless;

namespace {

const ShellHarness::Input kEscape{platform::WM_KEYDOWN, platform::VK_ESCAPE};
const ShellHarness::Input kCloseButton{platform::WM_CLOSE, 0};
const ShellHarness::Input kAltF4{platform::WM_SYSKEYDOWN, platform::VK_F4};

// What the shut-down looked like from inside DestroyWindow.
struct StopSnapshot {
  bool seen = false;
  RunState runState = NotStarted;
  int devicesDestroyed = 0;
  int surfacesAlive = -1;
  bool tableGone = false;
};

void ExpectEverySurfaceReleasedOnceAfterOnePageLock() {
  const SurfaceLedger& ledger = Ledger();
  ASSERT_FALSE(ledger.surfaces.empty());
  for (size_t id = 0; id < ledger.surfaces.size(); ++id) {
    const SurfaceRecord& r = ledger.surfaces[id];
    EXPECT_EQ(r.releases, 1) << "surface " << id;
    EXPECT_FALSE(r.pageLockedAtRelease) << "surface " << id;
    EXPECT_EQ(r.pageLocks, r.pageUnlocks) << "surface " << id;
    EXPECT_LE(r.pageLocks, 1) << "surface " << id;
    EXPECT_EQ(r.locks, r.unlocks) << "surface " << id;
  }
  // Every effect's surface was page-locked; only the back buffer is not.
  int pageLocked = 0;
  for (const SurfaceRecord& r : ledger.surfaces) pageLocked += r.pageLocks;
  EXPECT_EQ(pageLocked, static_cast<int>(ledger.surfaces.size()) - 1);
}

class ShellTest : public ::testing::Test {
 protected:
  ShellHarness harness;

  void CheckOrderlyStop(ShellHarness::Input input) {
    StopSnapshot snapshot;
    headless::SetDestroyHook([&] {
      snapshot.seen = true;
      snapshot.runState = shell.runState;
      snapshot.devicesDestroyed = Ledger().devicesDestroyed;
      snapshot.surfacesAlive = Ledger().Alive();
      snapshot.tableGone = shell.EffectTable == nullptr && shell.device == nullptr;
    });
    const int exitCode = harness.Run(5, input);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(shell.frameCount, 5u);
    EXPECT_EQ(headless::PresentedFrames(), 5u);
    ASSERT_TRUE(snapshot.seen);
    EXPECT_EQ(snapshot.runState, Stopped);
    EXPECT_EQ(snapshot.devicesDestroyed, 1);
    EXPECT_EQ(snapshot.surfacesAlive, 0);
    EXPECT_TRUE(snapshot.tableGone);
    EXPECT_EQ(Ledger().surfacesAliveAtDeviceDestruction, 0);
    EXPECT_TRUE(headless::MainWindow().destroyed);
    ExpectEverySurfaceReleasedOnceAfterOnePageLock();
  }
};

}  // namespace

TEST_F(ShellTest, WindowIsTheCentredQelWinWindowNamedBrindlemox) {
  headless::SetScreenSize(1920, 1080);
  harness.Run(1, kEscape);
  const headless::WindowRecordView& w = headless::MainWindow();
  EXPECT_EQ(w.className, "QelWin");
  EXPECT_EQ(w.style, 0x00CA0000u);
  EXPECT_EQ(w.x, 640);
  EXPECT_EQ(w.y, 300);
  EXPECT_EQ(w.width, 640);
  EXPECT_EQ(w.height, 480);
  EXPECT_EQ(w.showCommand, platform::SW_SHOWDEFAULT);
  EXPECT_TRUE(w.updated);
}

TEST_F(ShellTest, CentringShiftsRoundTowardMinusInfinity) {
  EXPECT_EQ(CentredPosition(640, 640), 0);
  EXPECT_EQ(CentredPosition(480, 480), 0);
  EXPECT_EQ(CentredPosition(600, 640), -20);
  EXPECT_EQ(CentredPosition(1023, 640), 191);
  EXPECT_EQ(CentredPosition(639, 640), -1);
}

TEST_F(ShellTest, EscapeStopsInOrderAndExitsWithZero) { CheckOrderlyStop(kEscape); }

TEST_F(ShellTest, CloseButtonStopsExactlyLikeEscape) { CheckOrderlyStop(kCloseButton); }

TEST_F(ShellTest, AltF4ReachesTheCloseHandler) { CheckOrderlyStop(kAltF4); }

TEST_F(ShellTest, OtherKeysOnlyGetTheDefaultHandling) {
  uint32_t polls = 0;
  headless::SetIdleHook([&] {
    ++polls;
    headless::SetPerformanceCounter(polls * 1000);
    if (polls == 3) headless::PostInput(platform::WM_KEYDOWN, 'A', 0);
    if (polls == 6) headless::PostInput(platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
  });
  EXPECT_EQ(DemoMain(nullptr, nullptr, "", platform::SW_SHOWDEFAULT), 0);
  EXPECT_EQ(shell.frameCount, 4u);
}

TEST_F(ShellTest, FailingDeviceShowsOneBoxDrawsNothingAndExitsWithOne) {
  headless::FailPresenter(true);
  const int exitCode = harness.Run(5, kEscape);
  EXPECT_EQ(exitCode, 1);
  ASSERT_EQ(headless::MessageBoxes().size(), 1u);
  EXPECT_EQ(headless::MessageBoxes()[0].text, "Could not initialize graphics subsystem");
  EXPECT_EQ(headless::MessageBoxes()[0].caption, "QelGFX Fatal Error");
  EXPECT_EQ(headless::PresentedFrames(), 0u);
  EXPECT_EQ(shell.frameCount, 0u);
  EXPECT_EQ(shell.runState, Stopped);
  EXPECT_TRUE(headless::MainWindow().destroyed);
  EXPECT_EQ(headless::MainWindow().title, "Brindlemox");
  EXPECT_TRUE(headless::TitleHistory().empty());
  EXPECT_EQ(Ledger().devicesConstructed, 0);
}

TEST_F(ShellTest, WithoutAMessageBoxTheFailureGoesToStderr) {
  headless::FailPresenter(true);
  headless::FailMessageBoxes(true);
  testing::internal::CaptureStderr();
  EXPECT_EQ(harness.Run(5, kEscape), 1);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("QelGFX Fatal Error"), std::string::npos) << said;
  EXPECT_NE(said.find("Could not initialize graphics subsystem"), std::string::npos) << said;
}

TEST_F(ShellTest, WithoutAWindowTheProgramSaysSoAndExitsWithOne) {
  headless::FailWindowCreation(true);
  testing::internal::CaptureStderr();
  EXPECT_EQ(harness.Run(5, kEscape), 1);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("cannot open a window"), std::string::npos) << said;
  EXPECT_EQ(Ledger().devicesConstructed, 0);
  EXPECT_EQ(headless::PresentedFrames(), 0u);
}

TEST_F(ShellTest, TitleShowsTheAverageRateEveryFifteenFrames) {
  // Frame 15 at 0.4 s (under one whole second: divided by 1), frame 30 at
  // 1.5 s, frame 45 at 2.9 s (two whole seconds: 45 / 2 = 22).
  auto ms = [](uint32_t frame) -> uint64_t {
    if (frame <= 15) return frame * 400 / 15;
    if (frame <= 30) return 1500;
    return 2900;
  };
  harness.Run(45, kEscape, ms);
  const std::vector<std::string>& titles = headless::TitleHistory();
  ASSERT_EQ(titles.size(), 3u);
  EXPECT_EQ(titles[0], "Brindlemox :: 15 fps   ");
  EXPECT_EQ(titles[1], "Brindlemox :: 30 fps   ");
  EXPECT_EQ(titles[2], "Brindlemox :: 22 fps   ");
}

TEST_F(ShellTest, SetupSeedsTheGeneratorWithTheTickCountAndStartsTheTimelineAtItsEnd) {
  headless::SetTickCount(1);
  headless::SetPerformanceCounter(7000000);  // set-up took 7 s
  shell.mainWindow = nullptr;
  ASSERT_TRUE(SetupDemo());
  EXPECT_EQ(shell.demoTimer.startCount, 7000000);
  EXPECT_EQ(shell.demoTimer.ElapsedMs(), 0u);
  EXPECT_EQ(NextRandom(), 41u);  // the first draw after seed 1
  EXPECT_STREQ(shell.titleText, "Brindlemox");
  EXPECT_EQ(backBuffer, shell.device->backBuffer);
  ShutdownDemo();
}
