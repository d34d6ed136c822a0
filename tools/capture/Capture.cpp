#include "tools/capture/Capture.h"

#include "effects/TileZoomEffect.h"
#include "framework/DataFiles.h"
#include "platform/headless/HeadlessControl.h"
#include "shell/DemoShell.h"
#include "shell/ShellState.h"

namespace headless = platform::headless;

int DriveShow(const ShowDriver& driver) {
  uint64_t polls = 0;
  bool given = false;
  int64_t betweenDone = -1;  // the frame count betweenFrames last ran at
  // The loop finds the queue empty right before each frame: set the clock
  // for the next frame there, or give the final input after the last.
  headless::SetIdleHook([&] {
    if (driver.maxPolls != 0 && ++polls > driver.maxPolls && !given) {
      given = true;
      headless::PostInput(platform::WM_CLOSE, 0, 0);
      return;
    }
    if (shell.runState != Running || given) return;
    if (driver.betweenFrames && betweenDone != shell.frameCount) {
      betweenDone = shell.frameCount;
      driver.betweenFrames(shell.frameCount);
      return;
    }
    if (shell.frameCount >= driver.frames || (driver.stopEarly && driver.stopEarly())) {
      given = true;
      headless::PostInput(driver.finalMessage, driver.finalWParam, 0);
      return;
    }
    headless::SetPerformanceCounter(driver.counterOfFrame(shell.frameCount + 1u));
  });
  const int exitCode = DemoMain(nullptr, nullptr, "", platform::SW_SHOWDEFAULT);
  headless::SetIdleHook({});
  return exitCode;
}

void BeginVirtualShow(uint32_t seed, const std::string& picture) {
  headless::Reset();
  headless::SetPerformanceFrequency(1000000);
  headless::SetPerformanceCounter(0);
  headless::SetTickCount(seed);
  ResetShellState();
  UseDataFile(kTileZoomPictureFile, picture);
}

void EndVirtualShow() {
  headless::Reset();
  UseDataFile(kTileZoomPictureFile, "");
}

int RunCapture(const CaptureOptions& options, const FrameSink& sink, std::string& error,
               const std::function<void(uint64_t, uint64_t)>& progress) {
  BeginVirtualShow(options.seed, options.picture);

  const uint64_t step = FrameStep(options.fps);
  const uint64_t last = LastFrame(options);
  bool failed = false;

  headless::SetPresentHook([&](const uint32_t* pixels, int width, int height) {
    const uint64_t frame = shell.frameCount;  // the frame being drawn
    if (progress) progress(frame, last);
    if (failed || !IsFrameWritten(options, frame)) return;
    if (!sink(frame, pixels, width, height, error)) failed = true;
  });

  ShowDriver driver;
  driver.frames = last;
  driver.counterOfFrame = [step](uint64_t frame) { return VirtualCounterOfFrame(frame, step); };
  driver.stopEarly = [&] { return failed; };
  const int exitCode = DriveShow(driver);
  EndVirtualShow();
  if (failed) return 1;
  if (exitCode != 0 && error.empty()) error = "the presentation could not start";
  return exitCode;
}
