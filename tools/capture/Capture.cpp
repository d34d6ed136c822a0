#include "tools/capture/Capture.h"

#include "effects/TileZoomEffect.h"
#include "framework/DataFiles.h"
#include "platform/headless/HeadlessControl.h"
#include "shell/DemoShell.h"
#include "shell/ShellState.h"

namespace headless = platform::headless;

int RunCapture(const CaptureOptions& options, const FrameSink& sink, std::string& error,
               const std::function<void(uint64_t, uint64_t)>& progress) {
  headless::Reset();
  headless::SetPerformanceFrequency(1000000);
  headless::SetPerformanceCounter(0);
  headless::SetTickCount(options.seed);
  ResetShellState();
  UseDataFile(kTileZoomPictureFile, options.picture);

  const uint64_t step = FrameStep(options.fps);
  const uint64_t last = LastFrame(options);
  uint64_t frame = 0;  // the frame being drawn
  bool closing = false;
  bool failed = false;

  // The loop finds the queue empty right before each frame: set the clock
  // for the next frame there, or ask to close after the last.
  headless::SetIdleHook([&] {
    if (shell.runState != Running || closing) return;
    if (frame >= last || failed) {
      closing = true;
      headless::PostInput(platform::WM_CLOSE, 0, 0);
      return;
    }
    ++frame;
    headless::SetPerformanceCounter(static_cast<int64_t>((frame - 1) * step));
  });
  headless::SetPresentHook([&](const uint32_t* pixels, int width, int height) {
    if (progress) progress(frame, last);
    if (failed || !IsFrameWritten(options, frame)) return;
    if (!sink(frame, pixels, width, height, error)) failed = true;
  });

  const int exitCode = DemoMain(nullptr, nullptr, "", platform::SW_SHOWDEFAULT);
  headless::Reset();
  UseDataFile(kTileZoomPictureFile, "");
  if (failed) return 1;
  if (exitCode != 0 && error.empty()) error = "the presentation could not start";
  return exitCode;
}
