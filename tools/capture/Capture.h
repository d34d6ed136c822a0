// Plays the presentation offscreen: the program's own entry point, set-up,
// frame loop and shut-down on the headless backend, with a virtual clock.
//
// The performance counter runs at 1,000,000 ticks a second; it reads 0 during
// set-up and (k - 1) * step during frame k (frame 1 is the first), so every
// frame sees exactly the time it would at a steady frame rate. The tick count
// that seeds the random generator is the seed. The tile zoom reads
// options.picture when that names a file, and otherwise looks for its
// picture as the program does (in the working directory alone, since the
// headless backend knows no program folder).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tools/capture/CaptureOptions.h"

// Receives the frames to write: frame number, 640x480 pixels 0x00RRGGBB.
// Returns false (with the reason) when the frame could not be written.
using FrameSink =
    std::function<bool(uint64_t frame, const uint32_t* pixels, int width, int height,
                       std::string& error)>;

// Runs the capture; returns the process exit code: 0 when every frame was
// rendered and written, 1 when the program failed or a frame could not be
// written (the error says why).
int RunCapture(const CaptureOptions& options, const FrameSink& sink, std::string& error,
               const std::function<void(uint64_t frame, uint64_t last)>& progress = {});
