// Reading PNG files into 0x00RRGGBB pixels, with libspng: the device's
// LoadPNG. Writing them is the tools' (tools/png/PngWriter.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height, rows top to bottom
};

// Largest picture accepted: a side of 8192 pixels and 2^24 pixels in all, so
// that a declared size never makes us allocate without bound.
constexpr uint32_t kMaxPictureSide = 8192;
constexpr uint64_t kMaxPicturePixels = 1u << 24;

// Decodes any PNG colour type and bit depth; alpha is dropped. On failure
// returns false and says why in `reason` (a short phrase, no file name).
bool DecodePngFile(const char* fileName, DecodedPicture& picture, std::string& reason);
