// Runs the program's entry point on the headless backend with a driven
// clock: before frame k the counter (1,000,000 ticks a second) is set to
// msOfFrame(k) ms, and after `frames` frames the driver gives `finalInput`.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/headless/HeadlessControl.h"
#include "shell/DemoShell.h"
#include "shell/ShellState.h"
#include "tests/TestObserver.h"

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
    uint32_t polls = 0;
    bool given = false;
    int64_t betweenDone = -1;  // the frame count betweenFrames last ran at
    platform::headless::SetIdleHook([&, frames, finalInput] {
      if (++polls > maxPolls && !given) {
        given = true;
        platform::headless::PostInput(platform::WM_CLOSE, 0, 0);
        return;
      }
      if (shell.runState != Running || given) return;
      if (betweenFrames && betweenDone != shell.frameCount) {
        betweenDone = shell.frameCount;
        betweenFrames(shell.frameCount);
        return;
      }
      if (shell.frameCount >= frames) {
        given = true;
        platform::headless::PostInput(finalInput.message, finalInput.wParam, 0);
        return;
      }
      const uint32_t next = shell.frameCount + 1;
      const uint64_t ms = msOfFrame ? msOfFrame(next) : next - 1;
      platform::headless::SetPerformanceCounter(static_cast<int64_t>(ms * 1000));
    });
    return DemoMain(nullptr, nullptr, "", platform::SW_SHOWDEFAULT);
  }
};
