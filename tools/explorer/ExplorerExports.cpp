// The explorer's functions for its page (tools/explorer/page/), a C ABI
// built into explorer.js + explorer.wasm (cmake/WebExplorer.cmake).
//
// Loading: explorer.js is an ES5 script defining createExplorer(options),
// which returns a promise of the module (MODULARIZE). The module exports
// ccall, cwrap, UTF8ToString, FS, HEAPU8 and HEAPU32. Before ExplorerOpen the
// page writes the picture into the module's file system, under the name the
// show reads from its working directory:
//     const bytes = new Uint8Array(await (await fetch('pvn_quad.png')).arrayBuffer());
//     Module.FS.writeFile('pvn_quad.png', bytes);
// Without it ExplorerOpen fails and ExplorerError() says why.
//
// Calls, all synchronous, one frame at a time:
//   int ExplorerOpen(int fps, uint32_t seed)   0 ok; else ExplorerError()
//                                              (a show open before is closed)
//   void ExplorerClose()                       ends the show, frees its memory
//   const char* ExplorerError()                the last failure, UTF-8
//   int ExplorerShowFrame(uint32_t frame)      frame >= 1; 0 ok
//   uint32_t* ExplorerPixels()                 640 * 480 words 0x00RRGGBB of
//                                              the frame shown (HEAPU32 at
//                                              pointer / 4); valid until the
//                                              next ShowFrame or Open
//   const char* ExplorerDescribe()             JSON of the frame shown: the
//                                              capture tool's --describe line
//   const char* ExplorerDescribePoint(int x, int y)   JSON of one point readout
//   const char* ExplorerTimeline()             JSON [{slot,name,startMs,endMs}]
//   uint32_t ExplorerEncodePng()               encodes the frame shown as the
//                                              capture tool's PNG file: its size
//                                              (0 on failure)
//   uint8_t* ExplorerPngData()                 those bytes (HEAPU8)
//   uint32_t ExplorerSnapshotBytes()           bytes the snapshots hold
//   uint32_t ExplorerSnapshotCount()
//   uint32_t ExplorerSnapshotInterval()        frames between snapshots
//   uint32_t ExplorerPrepare(uint32_t until, uint32_t maxFrames)
//       takes snapshots ahead, drawing at most maxFrames frames (about 0.1 ms
//       each) towards frame `until`; returns the last frame snapshots cover.
//       Call it in idle time after Open (e.g. until = 60 * fps + 1, maxFrames
//       = 100 per animation frame) so that any later seek is quick; the frame
//       shown and its description stay as they were.
// Before a frame is shown the descriptions are empty strings, and before
// Open the timeline is []. The JSON shapes are those of
// tools/explorer/ShowDescription.h and of each effect's Describe and
// DescribePoint (effects/*Description.cpp).
// Strings returned stay valid until the next call of the same function. The
// memory grows as snapshots are taken, which replaces the module's HEAPU8 and
// HEAPU32 views: take Module.HEAPU32 afresh after each call, never keep an
// old view. Under node, pass the module's bytes as createExplorer({wasmBinary})
// (node's fetch takes no file path).
//
// Seeking: the show is replayed from the nearest snapshot before the frame
// asked for; one is kept every 60 frames (more apart when their 64 MB would
// be exceeded, as at high frame rates), and replaying a frame costs about
// 0.15 ms here.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/explorer/ShowStepper.h"
#include "tools/png/PngWriter.h"

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#define EXPLORER_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE
#else
#define EXPLORER_EXPORT extern "C"
#endif

namespace {

ShowStepper& Stepper() {
  static ShowStepper stepper;
  return stepper;
}

std::string lastError;
std::string describeText;
std::string pointText;
std::string timelineText;
std::vector<unsigned char> pngBytes;

int Fail(const std::string& reason) {
  lastError = reason;
  return 1;
}

}  // namespace

EXPLORER_EXPORT int ExplorerOpen(int fps, uint32_t seed) {
  std::string error;
  // A rate out of range is refused by Open, after it closed the last show.
  const uint32_t rate = fps < 0 ? 0u : static_cast<uint32_t>(fps);
  if (!Stepper().Open(rate, seed, "", error)) return Fail(error);
  lastError.clear();
  return 0;
}

EXPLORER_EXPORT void ExplorerClose() { Stepper().Close(); }

EXPLORER_EXPORT const char* ExplorerError() { return lastError.c_str(); }

EXPLORER_EXPORT int ExplorerShowFrame(uint32_t frame) {
  std::string error;
  if (!Stepper().ShowFrame(frame, error)) return Fail(error);
  return 0;
}

EXPLORER_EXPORT uint32_t* ExplorerPixels() {
  return const_cast<uint32_t*>(Stepper().Pixels());
}

EXPLORER_EXPORT const char* ExplorerDescribe() {
  describeText = Stepper().Describe();
  return describeText.c_str();
}

EXPLORER_EXPORT const char* ExplorerDescribePoint(int x, int y) {
  pointText = Stepper().DescribePoint(x, y);
  return pointText.c_str();
}

EXPLORER_EXPORT const char* ExplorerTimeline() {
  timelineText = Stepper().Timeline();
  return timelineText.c_str();
}

EXPLORER_EXPORT uint32_t ExplorerEncodePng() {
  pngBytes.clear();
  if (Stepper().Frame() == 0) {
    Fail("no frame is shown");
    return 0;
  }
  std::string reason;
  // The capture tool's own encoding of its frames (PngFrameWriter).
  if (!EncodePng(Stepper().Pixels(), kShowWidth, kShowHeight, PngEffort::Fast, pngBytes,
                 reason)) {
    pngBytes.clear();
    Fail(reason);
    return 0;
  }
  return static_cast<uint32_t>(pngBytes.size());
}

EXPLORER_EXPORT uint8_t* ExplorerPngData() { return pngBytes.data(); }

EXPLORER_EXPORT uint32_t ExplorerSnapshotBytes() {
  return static_cast<uint32_t>(Stepper().SnapshotBytes());
}

EXPLORER_EXPORT uint32_t ExplorerSnapshotCount() {
  return static_cast<uint32_t>(Stepper().SnapshotCount());
}

EXPLORER_EXPORT uint32_t ExplorerSnapshotInterval() {
  return static_cast<uint32_t>(Stepper().SnapshotInterval());
}

EXPLORER_EXPORT uint32_t ExplorerPrepare(uint32_t until, uint32_t maxFrames) {
  return static_cast<uint32_t>(Stepper().Prepare(until, maxFrames));
}
