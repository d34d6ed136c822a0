// Everything the shell keeps between calls, in one place, so that a test can
// start from a fresh state with ResetShellState().
#pragma once

#include <cstdint>

#include "framework/Effect.h"
#include "framework/QelGFX.h"
#include "framework/Timer.h"
#include "platform/Platform.h"
#include "shell/Timeline.h"  // kEffectCount

enum RunState : int32_t {
  NotStarted = 0,  // set-up has not finished; no frame is drawn
  Running = 1,     // a frame is drawn each time the queue is empty
  Stopped = 2,     // no frame is ever drawn again
};

constexpr char kProgramName[] = "Brindlemox";
constexpr int kProgramNameLength = static_cast<int>(sizeof kProgramName) - 1;

struct ShellState {
  platform::WindowHandle mainWindow = nullptr;
  RunState runState = NotStarted;
  QelGFX* device = nullptr;
  // The effects in drawing order, kEffectCount of them (shell/Timeline.h);
  // owned. (The back buffer the effects draw onto is the framework's
  // `backBuffer`.)
  Effect** EffectTable = nullptr;
  Timer demoTimer;
  uint32_t frameCount = 0;
  // The name followed by " :: N fps   ": 10 + 22 characters and the end.
  char titleText[kProgramNameLength + 22 + 1] = {};
  // The process exit code that WM_DESTROY posts: 0, or 1 after the device
  // could not be made (a failed start must not look like success).
  int exitCode = 0;
};

extern ShellState shell;

// Back to the state before the entry point runs (the timer re-reads the
// counter frequency). Whatever the old state owned must be gone already.
void ResetShellState();
