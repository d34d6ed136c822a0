// The device's surfaces: width x height 32-bit pixels 0x00RRGGBB, rows exactly
// width * 4 bytes apart, created black.
//
// A clear is kept pending instead of written at once: every frame clears the
// back buffer and then copies an effect's picture over all of it, which would
// make the fill work nobody sees. The pending fill is carried out the moment
// anything reaches the pixels (Pixels(), and through it every lock, pixel
// write, copy from or into part of the surface, and presenting), and dropped
// only by a write that replaces every pixel (PixelsToReplace()).
//
// Every way to the pixels for writing records what it may change (see
// ChangedAreas): the non-const Pixels() anything, PixelsToChange() one
// rectangle. A pointer from the non-const Pixels() is for writing there and
// then; whoever writes later asks again (the device's lock is such a later
// writer, and the device treats the surface locked last as changing at any
// time). A surface that was last changed by a copy of the whole of another
// remembers which state of that one it holds (MirrorOf), so that the next
// such copy need only bring it up to date.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/ChangedAreas.h"
#include "framework/QelGFXExport.h"

class QELGFX_API Surface {
 public:
  Surface(int width, int height);

  // Pins the surface in memory and lets it go; flags are 0. Here the memory
  // never moves, so both only tell the observer (the tests count them).
  int PageLock(uint32_t flags);
  int PageUnlock(uint32_t flags);

  int Width() const { return width; }
  int Height() const { return height; }

  // Every pixel becomes `colour`, as whoever reaches the pixels next sees it.
  void Clear(uint32_t colour) {
    clearPending = true;
    clearColour = colour;
  }
  // The pixels to read, a pending clear carried out first.
  const uint32_t* Pixels() const {
    if (clearPending) CarryOutClear();
    return pixels.get();
  }
  // The pixels to write anywhere, a pending clear carried out first.
  uint32_t* Pixels() {
    if (clearPending) CarryOutClear();
    changes.ChangedWhole();
    return pixels.get();
  }
  // The pixels to write inside `area` (inside the surface) only.
  uint32_t* PixelsToChange(const RECT& area) {
    if (clearPending) CarryOutClear();
    changes.Changed(area);
    return pixels.get();
  }
  // The pixels for a write that replaces every one of them before anything
  // reads them: a pending clear is dropped unseen.
  uint32_t* PixelsToReplace() {
    clearPending = false;
    changes.ChangedWhole();
    return pixels.get();
  }

  const ChangedAreas& Changes() const { return changes; }
  // Records that every pixel now equals `source`'s, as it is now.
  void NowMirrors(const Surface& source) {
    mirror = {source.id, source.changes.Version(), changes.Version()};
  }
  // When this surface holds an earlier state of `source` (version
  // `sourceVersion` of it) and nothing else has changed it since, gives that
  // version and returns true.
  bool MirrorOf(const Surface& source, uint64_t& sourceVersion) const {
    if (mirror.sourceId != source.id || mirror.ownVersion != changes.Version()) return false;
    sourceVersion = mirror.sourceVersion;
    return true;
  }

 private:
  void CarryOutClear() const;

  // Tells surfaces apart for the life of the program, even one made where a
  // released one lay.
  static uint64_t NextId();

  int width;
  int height;
  uint64_t id;
  std::unique_ptr<uint32_t[]> pixels;
  // A clear not yet written (mutable: reading the pixels carries it out).
  mutable bool clearPending = false;
  uint32_t clearColour = 0;
  // What changed when (mutable: a clear carried out by a read changes all).
  mutable ChangedAreas changes;
  struct Mirror {
    uint64_t sourceId = 0;  // no surface has id 0
    uint64_t sourceVersion = 0;
    uint64_t ownVersion = 0;
  } mirror;
};
