// The whole state of the running show at one instant, saved so that the
// show can be put back there exactly: the shell's counters, clock and title,
// the random generator, and every effect's members, arrays and surfaces
// (Effect::VisitState). Replaying frames from a restored snapshot gives the
// same pixels as playing straight through.
//
// Surfaces cost the most, and most of them do not change for long stretches
// (the tile zoom's picture never, a finished effect's surface no more). So
// their pixels are kept in shared buffers: a surface whose change version is
// the one it had when a buffer was taken of it still holds exactly that
// buffer's pixels, and the next snapshot shares the buffer instead of copying.
// Restoring a surface that already holds the snapshot's buffer writes
// nothing; any other is written whole (Surface::PixelsToReplace), which tells
// every copy made from it later to copy all of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "framework/Surface.h"

using PixelBuffer = std::vector<uint32_t>;

struct SurfaceSnapshot {
  Surface* surface = nullptr;
  std::shared_ptr<const PixelBuffer> pixels;  // null: the surface was null
};

struct ShowSnapshot {
  std::vector<unsigned char> values;  // every plain member, in visiting order
  std::vector<SurfaceSnapshot> surfaces;
};

// Which buffer each surface holds, at which change version of it.
class SurfaceBuffers {
 public:
  // The surface's pixels as a buffer: the one remembered when the surface
  // has not changed since, else a new copy (remembered from now on).
  std::shared_ptr<const PixelBuffer> Take(Surface& surface);
  // Puts the buffer's pixels into the surface unless it holds them already.
  void Put(Surface& surface, const std::shared_ptr<const PixelBuffer>& pixels);
  void Forget() { held.clear(); }
  // Calls visit(buffer) for each buffer remembered.
  template <typename Visit>
  void VisitHeld(Visit&& visit) const {
    for (const auto& entry : held) visit(entry.second.pixels.get());
  }

 private:
  struct Held {
    uint64_t version;
    std::shared_ptr<const PixelBuffer> pixels;
  };
  std::map<const Surface*, Held> held;
};

// Saves the running show (the shell's state must hold a set-up show).
void SaveShow(ShowSnapshot& snapshot, SurfaceBuffers& buffers);
// Puts a snapshot saved of this same show back.
void RestoreShow(const ShowSnapshot& snapshot, SurfaceBuffers& buffers);

// The bytes the snapshots and the remembered buffers hold together, each
// shared buffer counted once.
size_t SnapshotBytes(const std::vector<const ShowSnapshot*>& snapshots,
                     const SurfaceBuffers& buffers);
