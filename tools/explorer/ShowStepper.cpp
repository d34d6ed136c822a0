#include "tools/explorer/ShowStepper.h"

#include <algorithm>
#include <cstring>

#include "platform/headless/HeadlessControl.h"
#include "shell/DemoShell.h"
#include "shell/ShellState.h"
#include "tools/capture/Capture.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/CapturePicture.h"
#include "tools/explorer/ShowDescription.h"

namespace headless = platform::headless;

namespace {

// Whether a stepper has the show: there is one shell.
bool showTaken = false;

// What the message loop does while the queue holds messages; stops at the
// quit message.
void DispatchQueued() {
  platform::Message message;
  while (platform::PeekNextMessage(message)) {
    if (message.message == platform::WM_QUIT) return;
    platform::TranslateKeyMessage(message);
    platform::DispatchToWindow(message);
  }
}

}  // namespace

ShowStepper::~ShowStepper() { Close(); }

bool ShowStepper::Open(uint32_t framesPerSecond, uint32_t showSeed, const std::string& picture,
                       std::string& error) {
  Close();
  if (framesPerSecond < 1 || framesPerSecond > 1000) {
    error = "the frame rate must be 1 to 1000";
    return false;
  }
  if (showTaken) {
    error = "another show is open";
    return false;
  }
  const CapturePicture chosen = ChooseCapturePicture(picture, "");
  if (!chosen.problem.empty()) {
    error = chosen.problem;
    return false;
  }

  // Set up as the capture tool sets the show up.
  BeginVirtualShow(showSeed, chosen.path);
  if (!OpenMainWindow(nullptr, platform::SW_SHOWDEFAULT)) {
    error = "the presentation could not open its window";
    EndVirtualShow();
    return false;
  }
  shell.runState = SetupDemo() ? Running : Stopped;
  if (shell.runState != Running) {
    error = "the presentation could not start";
    headless::PostInput(platform::WM_CLOSE, 0, 0);
    DispatchQueued();
    EndVirtualShow();
    return false;
  }
  DispatchQueued();

  showTaken = true;
  open = true;
  fps = framesPerSecond;
  seed = showSeed;
  step = FrameStep(fps);
  interval = startInterval < 1 ? 1 : startInterval;
  stateFrame = 0;
  shownFrame = 0;
  framesDrawn = 0;
  std::fill(shown.begin(), shown.end(), 0u);
  buffers.Forget();
  snapshots.clear();
  SaveShow(snapshots[1], buffers);
  return true;
}

void ShowStepper::Close() {
  if (!open) return;
  // The way the show stops on a close: the shell's own WM_CLOSE.
  headless::PostInput(platform::WM_CLOSE, 0, 0);
  DispatchQueued();
  EndVirtualShow();
  snapshots.clear();
  buffers.Forget();
  stateFrame = 0;
  shownFrame = 0;
  std::fill(shown.begin(), shown.end(), 0u);
  open = false;
  showTaken = false;
}

bool ShowStepper::ShowFrame(uint64_t frame, std::string& error) {
  if (!open) {
    error = "no show is open";
    return false;
  }
  if (frame < 1 || frame > 0xFFFFFFFFu) {
    error = "frames are numbered from 1 to 4294967295";
    return false;
  }
  Reach(frame);
  // Read as the presenter reads it: not a change of the back buffer.
  const Surface* presented = backBuffer;
  std::memcpy(shown.data(), presented->Pixels(), shown.size() * sizeof(uint32_t));
  shownFrame = frame;
  return true;
}

void ShowStepper::Reach(uint64_t frame) {
  if (frame == stateFrame) return;
  // The snapshot nearest before (taken before drawing its frame).
  auto at = snapshots.upper_bound(frame);
  --at;  // there is always the one before frame 1
  const uint64_t from = at->first;
  if (!(stateFrame < frame && stateFrame + 1 >= from)) {
    RestoreShow(at->second, buffers);
    stateFrame = from - 1;
  }
  while (stateFrame < frame) DrawNext();
}

void ShowStepper::DrawNext() {
  const uint64_t frame = stateFrame + 1;
  if ((frame - 1) % interval == 0 && snapshots.find(frame) == snapshots.end()) {
    SaveShow(snapshots[frame], buffers);
    Thin();
  }
  DispatchQueued();
  headless::SetPerformanceCounter(VirtualCounterOfFrame(frame, step));
  FrameLoop();
  stateFrame = frame;
  ++framesDrawn;
}

void ShowStepper::Thin() {
  while (snapshots.size() > 1 && SnapshotBytes() > budget) {
    interval *= 2;
    for (auto it = snapshots.begin(); it != snapshots.end();) {
      if ((it->first - 1) % interval != 0)
        it = snapshots.erase(it);
      else
        ++it;
    }
  }
}

uint64_t ShowStepper::Prepare(uint64_t until, uint64_t maxFrames) {
  if (!open || snapshots.empty()) return 0;
  if (until > 0xFFFFFFFFu) until = 0xFFFFFFFFu;
  uint64_t last = snapshots.rbegin()->first;
  if (last >= until || maxFrames == 0) return last;
  // From the last snapshot, unless the show stands past it already.
  if (stateFrame + 1 < last) {
    RestoreShow(snapshots.rbegin()->second, buffers);
    stateFrame = last - 1;
  }
  uint64_t drawn = 0;
  while (drawn < maxFrames && stateFrame < until) {
    DrawNext();
    ++drawn;
  }
  return snapshots.rbegin()->first;
}

size_t ShowStepper::SnapshotBytes() const {
  std::vector<const ShowSnapshot*> all;
  all.reserve(snapshots.size());
  for (const auto& entry : snapshots) all.push_back(&entry.second);
  return ::SnapshotBytes(all, buffers);
}

std::string ShowStepper::Describe(const ScreenPoints& points) {
  if (!open || shownFrame == 0) return {};
  Reach(shownFrame);
  return DescribeDrawnFrame(shownFrame, fps, seed, shown.data(), points);
}

std::string ShowStepper::DescribePoint(int x, int y) {
  if (!open || shownFrame == 0) return {};
  Reach(shownFrame);
  return DescribeDrawnPoint(x, y, shown.data());
}

std::string ShowStepper::Timeline() const {
  if (!open) return "[]";
  return DescribeTimeline();
}
