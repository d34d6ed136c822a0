// Runs the program's entry point on the headless backend with a driven
// clock (the capture tool's driver, DriveShow): before frame k the counter
// is set to msOfFrame(k) ms, and after `frames` frames the driver gives
// `finalInput`.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/headless/HeadlessControl.h"
#include "shell/DemoShell.h"
#include "shell/ShellState.h"
#include "tests/TestObserver.h"
#include "tools/capture/Capture.h"

struct ShellHarness {
  ShellHarness() { Fresh(); }
  ~ShellHarness() { Fresh(); }
  ShellHarness(const ShellHarness&) = delete;
  ShellHarness& operator=(const ShellHarness&) = delete;

  static void Fresh() {
    platform::headless::Reset();
    ResetShellState();
    Ledger().Clear();
    SetWindowDestroyedHook({});
  }

  struct Input {
    uint32_t message;
    uintptr_t wParam;
  };

  // Runs DemoMain; returns its exit code. Gives up (and closes) after
  // maxPolls idle polls, so that a broken shell cannot hang the test.
  // betweenFrames(drawn), when given, runs once after each frame drawn (and
  // once before the first), with the queue empty, before the clock is set.
  static int Run(uint32_t frames, Input finalInput,
                 std::function<uint64_t(uint32_t)> msOfFrame = {}, uint32_t maxPolls = 100000,
                 const std::function<void(uint32_t)>& betweenFrames = {}) {
    ShowDriver driver;
    driver.frames = frames;
    driver.counterOfFrame = [&msOfFrame](uint64_t frame) {
      const uint64_t ms = msOfFrame ? msOfFrame(static_cast<uint32_t>(frame)) : frame - 1;
      return static_cast<int64_t>(ms * 1000);
    };
    driver.finalMessage = finalInput.message;
    driver.finalWParam = finalInput.wParam;
    driver.maxPolls = maxPolls;
    if (betweenFrames)
      driver.betweenFrames = [&betweenFrames](uint64_t drawn) {
        betweenFrames(static_cast<uint32_t>(drawn));
      };
    return DriveShow(driver);
  }
};
