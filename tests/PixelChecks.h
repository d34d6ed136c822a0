// Checks on whole pictures that several tests make.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// Whether each of the `count` pixels from `pixels` on is `colour`.
inline bool AllOneColour(const uint32_t* pixels, size_t count, uint32_t colour) {
  return std::all_of(pixels, pixels + count, [colour](uint32_t p) { return p == colour; });
}
inline bool AllOneColour(const std::vector<uint32_t>& pixels, uint32_t colour) {
  return AllOneColour(pixels.data(), pixels.size(), colour);
}
