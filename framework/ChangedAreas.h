// What changed on a surface, and since when, as a few rectangles.
//
// Every change to a surface takes the next number, its version. A copy of a
// whole surface onto another of the same size leaves the other holding that
// version of it; when the same copy comes again, only the rectangles changed
// since that version need copying. An effect's work surface copied to the
// back buffer every frame is the case this is for: the tile zoom changes its
// six tiles' rectangles in a frame, or nothing at all.
//
// The log keeps the last kCapacity rectangles. A change of every pixel, or
// a rectangle pushing the oldest one out, moves `knownAfter` up: changes up
// to that version are known only as "anything may have changed".
#pragma once

#include <array>
#include <cstdint>

#include "framework/Rect.h"

class ChangedAreas {
 public:
  static constexpr int kCapacity = 16;

  uint64_t Version() const { return version; }

  // Pixels inside `area` (which lies inside the surface) have changed.
  void Changed(const RECT& area) {
    ++version;
    if (count == kCapacity) {
      knownAfter = entries[0].version;
      for (int i = 1; i < kCapacity; ++i) entries[i - 1] = entries[i];
      --count;
    }
    entries[count++] = {area, version};
  }

  // Any pixel may have changed.
  void ChangedWhole() {
    ++version;
    count = 0;
    knownAfter = version;
  }

  // Calls visit(area) for each rectangle changed after version `since`
  // (they may overlap) and returns true; returns false, visiting nothing,
  // when what changed since then is no longer known.
  template <typename Visit>
  bool VisitChangesSince(uint64_t since, Visit&& visit) const {
    if (since < knownAfter || since > version) return false;
    for (int i = 0; i < count; ++i)
      if (entries[i].version > since) visit(entries[i].area);
    return true;
  }

 private:
  struct Entry {
    RECT area;
    uint64_t version;
  };
  uint64_t version = 0;
  uint64_t knownAfter = 0;
  std::array<Entry, kCapacity> entries{};
  int count = 0;
};
