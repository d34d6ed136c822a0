// A few bands of rows [top, bottom) of a surface, kept in order and merged
// where they overlap or touch: the rows of the rectangles a copy must bring
// up to date, to be copied as whole-width blocks.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "framework/ChangedAreas.h"

class RowBands {
 public:
  using Band = std::pair<int32_t, int32_t>;  // top, bottom (exclusive)

  // No more than ChangedAreas::kCapacity + 1 disjoint bands may be added.
  void Add(int32_t top, int32_t bottom) {
    // Every band that overlaps or touches the new one is taken into it.
    int kept = 0;
    for (int i = 0; i < count; ++i) {
      if (bands[i].second < top || bands[i].first > bottom) {
        bands[kept++] = bands[i];
      } else {
        top = std::min(top, bands[i].first);
        bottom = std::max(bottom, bands[i].second);
      }
    }
    int at = kept;
    for (; at > 0 && bands[at - 1].first > top; --at) bands[at] = bands[at - 1];
    bands[at] = {top, bottom};
    count = kept + 1;
  }

  const Band* begin() const { return bands.data(); }
  const Band* end() const { return bands.data() + count; }

 private:
  std::array<Band, ChangedAreas::kCapacity + 1> bands{};
  int count = 0;
};
