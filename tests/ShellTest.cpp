#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Helpers.h"
#include "tests/ShellHarness.h"

namespace headless = platform::headless;

namespace {

const ShellHarness::Input kEscape{platform::WM_KEYDOWN, platform::VK_ESCAPE};
const ShellHarness::Input kCloseButton{platform::WM_CLOSE, 0};
const ShellHarness::Input kAltF4{platform::WM_SYSKEYDOWN, platform::VK_F4};

// The box's caption and text, then the reason the device threw with when the
// headless presenter is made to fail.
constexpr char kDeviceFailureLine[] =
    "QelGFX Fatal Error: Could not initialize graphics subsystem "
    "(cannot present: cannot present (simulated))\n";

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

  void CheckOrderlyStop(ShellHarness::Input input, uint32_t frames = 5,
                        std::function<uint64_t(uint32_t)> msOfFrame = {}) {
    StopSnapshot snapshot;
    SetWindowDestroyedHook([&] {
      snapshot.seen = true;
      snapshot.runState = shell.runState;
      snapshot.devicesDestroyed = Ledger().devicesDestroyed;
      snapshot.surfacesAlive = Ledger().Alive();
      snapshot.tableGone = shell.EffectTable == nullptr && shell.device == nullptr;
    });
    const int exitCode = harness.Run(frames, input, std::move(msOfFrame));
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(shell.frameCount, frames);
    EXPECT_EQ(headless::PresentedFrames(), frames);
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
  const platform::WindowRecord& w = headless::MainWindow();
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

// Alt+F4 reaches the close handler through the default handling.
TEST_F(ShellTest, EscapeTheCloseButtonAndAltF4EachStopInOrderAndExitWithZero) {
  for (const auto& [name, input] : {std::pair{"Escape", kEscape},
                                    std::pair{"close button", kCloseButton},
                                    std::pair{"Alt+F4", kAltF4}}) {
    SCOPED_TRACE(name);
    ShellHarness::Fresh();
    CheckOrderlyStop(input);
  }
}

// The default handling of F11 and Alt+Enter switches the window to
// fullscreen and back; the show goes on meanwhile.
TEST_F(ShellTest, OtherKeysOnlyGetTheDefaultHandlingWhereF11AndAltEnterToggleFullscreen) {
  uint32_t polls = 0;
  headless::SetIdleHook([&] {
    ++polls;
    headless::SetPerformanceCounter(polls * 1000);
    if (polls == 3) headless::PostInput(platform::WM_KEYDOWN, 'A', 0);
    if (polls == 4) headless::PostInput(platform::WM_KEYDOWN, platform::VK_F11, 0);
    if (polls == 5) headless::PostInput(platform::WM_SYSKEYDOWN, platform::VK_RETURN, 0);
    if (polls == 6) headless::PostInput(platform::WM_KEYDOWN, platform::VK_RETURN, 0);
    if (polls == 8) headless::PostInput(platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
  });
  EXPECT_EQ(DemoMain(nullptr, nullptr, "", platform::SW_SHOWDEFAULT), 0);
  EXPECT_EQ(shell.frameCount, 3u);  // polls 1, 2 and 7 found the queue empty
  EXPECT_EQ(headless::FullscreenToggles(), 2);
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

// The box does not say why the device failed: one line on standard error
// does, already there while the box is up, and nothing follows it.
TEST_F(ShellTest, FailingDeviceGivesItsReasonInOneLineBeforeTheBox) {
  headless::FailPresenter(true);
  std::string saidBeforeTheBox = "(no box)";
  headless::SetMessageBoxHook([&] {
    saidBeforeTheBox = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
  });
  testing::internal::CaptureStderr();
  EXPECT_EQ(harness.Run(5, kEscape), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(saidBeforeTheBox, kDeviceFailureLine);
}

TEST_F(ShellTest, WithoutAMessageBoxTheFailureAndItsReasonGoToStderr) {
  headless::FailPresenter(true);
  headless::FailMessageBoxes(true);
  testing::internal::CaptureStderr();
  EXPECT_EQ(harness.Run(5, kEscape), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), kDeviceFailureLine);
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

TEST_F(ShellTest, ClosingBeforeTheFirstFrameReleasesEverythingUndrawn) {
  CheckOrderlyStop(kEscape, 0);
  EXPECT_EQ(Ledger().devicesConstructed, 1);
  for (const SurfaceRecord& r : Ledger().surfaces) EXPECT_EQ(r.locks, 0);
}

// Closing in each section of the timeline, after frames in every section up
// to it, and in the one black millisecond at its end.
TEST_F(ShellTest, ClosingInEverySectionReleasesEachSurfaceOnce) {
  const std::vector<uint64_t> times = {0, 3000, 7999, 8000, 12000, 16000, 20000,
                                       26000, 30000, 4294967294, 4294967295};
  for (size_t closeAfter = 1; closeAfter <= times.size(); ++closeAfter) {
    SCOPED_TRACE("closed after the frame at " + std::to_string(times[closeAfter - 1]) + " ms");
    ShellHarness::Fresh();
    CheckOrderlyStop(kEscape, static_cast<uint32_t>(closeAfter),
                     [&times](uint32_t frame) { return times[frame - 1]; });
  }
}

// A Win32 message box dispatches the user's actions on the main window while
// it waits, so the window can be closed before set-up has returned.
TEST_F(ShellTest, ClosingTheWindowWhileTheFailureBoxIsUpStillExitsWithOne) {
  headless::FailPresenter(true);
  int closesDuringBox = 0;
  headless::SetMessageBoxHook([&] {
    ++closesDuringBox;
    platform::DispatchToWindow({shell.mainWindow, platform::WM_CLOSE, 0, 0});
  });
  EXPECT_EQ(harness.Run(5, kEscape), 1);
  EXPECT_EQ(closesDuringBox, 1);
  EXPECT_EQ(headless::MessageBoxes().size(), 1u);
  EXPECT_TRUE(headless::MainWindow().destroyed);
  EXPECT_EQ(headless::PresentedFrames(), 0u);
  EXPECT_EQ(Ledger().devicesConstructed, 0);
  EXPECT_TRUE(Ledger().surfaces.empty());
  EXPECT_EQ(shell.device, nullptr);
  EXPECT_EQ(shell.EffectTable, nullptr);
}

// Closing requests pile up while the close runs: only the first is handled.
TEST_F(ShellTest, AStormOfCloseRequestsStopsExactlyOnce) {
  uint32_t polls = 0;
  headless::SetIdleHook([&] {
    if (++polls == 4) {
      for (int i = 0; i < 1000; ++i) {
        headless::PostInput(platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
        headless::PostInput(platform::WM_CLOSE, 0, 0);
        headless::PostInput(platform::WM_SYSKEYDOWN, platform::VK_F4, 0);
      }
    }
    headless::SetPerformanceCounter(polls * 16000);
  });
  EXPECT_EQ(DemoMain(nullptr, nullptr, "", platform::SW_SHOWDEFAULT), 0);
  EXPECT_EQ(shell.frameCount, 3u);
  EXPECT_EQ(Ledger().devicesDestroyed, 1);
  ExpectEverySurfaceReleasedOnceAfterOnePageLock();
}
