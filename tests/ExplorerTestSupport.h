// What the explorer's tests share: the capture tool's frames to hold the
// explorer's against, and frames of each effect at a frame rate.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/capture/Capture.h"
#include "tools/capture/CaptureOptions.h"

using FramePixels = std::vector<uint32_t>;

// The capture tool's frames `frames` (in any order) at fps and seed.
inline std::map<uint64_t, FramePixels> CaptureFrames(uint32_t fps, uint32_t seed,
                                                     std::vector<uint64_t> frames) {
  CaptureOptions options;
  options.fps = fps;
  options.seed = seed;
  options.raw = true;
  for (uint64_t k : frames) options.frames.push_back({k, k});
  std::map<uint64_t, FramePixels> captured;
  std::string error;
  const int code = RunCapture(
      options,
      [&](uint64_t frame, const uint32_t* pixels, int width, int height, std::string&) {
        captured[frame].assign(pixels, pixels + static_cast<size_t>(width) * height);
        return true;
      },
      error);
  EXPECT_EQ(code, 0) << error;
  return captured;
}

// A 64-bit FNV-1a hash of a frame's pixels, to compare many frames cheaply.
inline uint64_t FrameHash(const uint32_t* pixels, size_t count = 640 * 480) {
  uint64_t hash = 14695981039346656037ull;
  for (size_t i = 0; i < count; ++i) {
    hash ^= pixels[i];
    hash *= 1099511628211ull;
  }
  return hash;
}

// The hash of every frame 1..last as the capture tool draws them.
inline std::vector<uint64_t> CaptureHashes(uint32_t fps, uint32_t seed, uint64_t last) {
  CaptureOptions options;
  options.fps = fps;
  options.seed = seed;
  options.raw = true;
  options.frames.push_back({1, last});
  std::vector<uint64_t> hashes(last + 1, 0);
  std::string error;
  const int code = RunCapture(
      options,
      [&](uint64_t frame, const uint32_t* pixels, int width, int height, std::string&) {
        hashes[frame] = FrameHash(pixels, static_cast<size_t>(width) * height);
        return true;
      },
      error);
  EXPECT_EQ(code, 0) << error;
  return hashes;
}

// The first frame drawn at or after `ms` on the timeline at fps: frame k is
// drawn at (k - 1) * step microseconds.
inline uint64_t FrameAt(uint32_t fps, uint64_t ms) {
  const uint64_t step = FrameStep(fps);
  return (ms * 1000 + step - 1) / step + 1;
}

// Frames across the whole show: the first and later ones of each effect's
// window, the last ones before each change of effect, and some in between.
inline std::vector<uint64_t> FramesAcrossTheShow(uint32_t fps) {
  std::vector<uint64_t> frames;
  for (uint64_t ms : {0, 1500, 6000, 8000, 11000, 16000, 21000, 26000, 29000}) {
    const uint64_t k = FrameAt(fps, ms);
    if (k > 1) frames.push_back(k - 1);
    frames.push_back(k);
    frames.push_back(k + 1);
  }
  return frames;
}
