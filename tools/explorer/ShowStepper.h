// The show, frame by frame, on the capture tool's virtual clock: frame k
// (from 1) is drawn with the performance counter at (k - 1) * FrameStep(fps)
// ticks of 1,000,000 a second, after a set-up at counter 0 with the seed as
// the tick count. Frame k is thus byte for byte the capture tool's frame k
// at that fps and seed.
//
// Any frame can be shown in any order. Frames are drawn forward from the
// nearest snapshot of the show's whole state (ShowSnapshot.h) at or before
// the frame asked for; one is taken every `interval` frames as frames are
// drawn, before frame 1 + m * interval. When the snapshots hold more than
// the budget, every other one is dropped and the interval doubles.
//
// The show lives in the shell's global state and the headless backend, as
// in the capture tool: only one stepper may be open at a time, and no
// capture may run meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/explorer/ShowDescription.h"
#include "tools/explorer/ShowSnapshot.h"

constexpr int kShowWidth = 640;
constexpr int kShowHeight = 480;

class ShowStepper {
 public:
  static constexpr size_t kDefaultBudgetBytes = 64u * 1000u * 1000u;
  static constexpr uint64_t kDefaultInterval = 60;

  ShowStepper() = default;
  ~ShowStepper();
  ShowStepper(const ShowStepper&) = delete;
  ShowStepper& operator=(const ShowStepper&) = delete;

  // Sets the show up (and ends any show this stepper had). `picture` is the
  // tile zoom's picture file, empty for pvn_quad.png where the program finds
  // it; a missing or unreadable picture is refused. fps is 1 to 1000.
  bool Open(uint32_t fps, uint32_t seed, const std::string& picture, std::string& error);
  void Close();
  bool IsOpen() const { return open; }

  // Shows frame k >= 1. False (with the reason) when k is 0 or the show is
  // not open.
  bool ShowFrame(uint64_t frame, std::string& error);
  // The frame shown and its 640x480 pixels 0x00RRGGBB (0 and black before
  // the first).
  uint64_t Frame() const { return shownFrame; }
  const uint32_t* Pixels() const { return shown.data(); }

  // Takes snapshots ahead: draws at most maxFrames frames past the last
  // snapshot, towards frame `until`, then returns the last frame snapshots
  // now cover (frames from it on are drawn from the last snapshot). The
  // frame shown stays as it is.
  uint64_t Prepare(uint64_t until, uint64_t maxFrames);

  // The frame shown described as ShowDescription.h says. Empty before the
  // first frame.
  std::string Describe(const ScreenPoints& points = {});
  std::string DescribePoint(int x, int y);
  std::string Timeline() const;

  uint32_t Fps() const { return fps; }
  uint32_t Seed() const { return seed; }
  size_t SnapshotBytes() const;
  size_t SnapshotCount() const { return snapshots.size(); }
  uint64_t SnapshotInterval() const { return interval; }
  // How many frames were drawn since Open, replays included.
  uint64_t FramesDrawn() const { return framesDrawn; }

  // For tests and measurements; applies from the next Open.
  void SetSnapshotPolicy(size_t budgetBytes, uint64_t firstInterval) {
    budget = budgetBytes;
    startInterval = firstInterval;
  }

 private:
  // Puts the show's state at frame `frame` (drawn), from a snapshot or by
  // drawing on.
  void Reach(uint64_t frame);
  void DrawNext();  // draws stateFrame + 1, taking a snapshot first if due
  void Thin();

  bool open = false;
  uint32_t fps = 60;
  uint32_t seed = 1;
  uint64_t step = 0;
  size_t budget = kDefaultBudgetBytes;
  uint64_t startInterval = kDefaultInterval;
  uint64_t interval = kDefaultInterval;
  uint64_t stateFrame = 0;  // the last frame drawn (0: just set up)
  uint64_t shownFrame = 0;
  uint64_t framesDrawn = 0;
  std::vector<uint32_t> shown = std::vector<uint32_t>(kShowWidth * kShowHeight, 0);
  // Snapshot taken before drawing frame k, by k.
  std::map<uint64_t, ShowSnapshot> snapshots;
  SurfaceBuffers buffers;
};
