// The capture tool's command line.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shell/Timeline.h"

struct FrameRange {
  uint64_t first;
  uint64_t last;  // inclusive
};

struct CaptureOptions {
  uint32_t fps = 60;
  uint32_t seed = 1;
  uint64_t durationMs = kShowLengthMs;  // the whole show, from the timeline
  std::vector<FrameRange> frames;  // empty: every frame of the duration
  std::string outDir;
  bool raw = false;
  // --picture PATH: the tile zoom's picture. Empty: pvn_quad.png where the
  // program would find it (tools/capture/CapturePicture.h).
  std::string picture;
  // --allow-missing-picture: without a usable picture, record black tiles
  // rather than nothing.
  bool allowMissingPicture = false;
  // --describe FILE: one JSON line per written frame, describing it ('-':
  // standard output). --point X,Y (repeatable) adds that screen point's
  // readout to each line. Without --out and --raw only the lines are written.
  std::string describe;
  std::vector<std::pair<int, int>> points;
  bool help = false;     // --help: print the usage and exit
  bool version = false;  // --version: print the version and exit
};

// Parses argv[1..]. On a bad option or value returns false and says what was
// wrong in `error`. --help and --version end the parsing: the rest of the
// line is not looked at.
bool ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options,
                         std::string& error);

const char* CaptureUsage();

// "brindlemox-capture VERSION" and a line end, VERSION being the project's.
const char* CaptureVersion();

// The virtual counter runs at 1,000,000 ticks a second and advances by this
// step per frame: (1000000 + fps / 2) / fps, rounded to the nearest tick.
uint64_t FrameStep(uint32_t fps);

// The last frame rendered: the largest listed frame, or else the number of
// frames whose timeline time ((k - 1) * step) / 1000 ms is below the duration.
uint64_t LastFrame(const CaptureOptions& options);

// Whether frame k (from 1) is written out.
bool IsFrameWritten(const CaptureOptions& options, uint64_t k);
