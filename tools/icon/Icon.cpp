#include "tools/icon/Icon.h"

#include <algorithm>
#include <cstddef>

#include "tools/capture/Capture.h"

namespace {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

// At 2 frames a second, frame 53 starts at 26000 ms.
constexpr uint32_t kIconFps = 2;
constexpr uint64_t kIconFrame = 53;

// How much of source pixel s (of `side`) falls in result pixel d (of
// `size`), in units of 1 / (side * size) of the square's edge: a source
// pixel is `size` units wide, a result pixel `side`.
int64_t Overlap(int s, int d, int side, int size) {
  const int64_t begin = std::max<int64_t>(int64_t{s} * size, int64_t{d} * side);
  const int64_t end = std::min<int64_t>(int64_t{s + 1} * size, int64_t{d + 1} * side);
  return std::max<int64_t>(0, end - begin);
}

}  // namespace

bool RenderIconFrame(std::vector<uint32_t>& frame, std::string& error) {
  CaptureOptions options;
  options.fps = kIconFps;
  options.frames = {{kIconFrame, kIconFrame}};
  options.raw = true;
  frame.clear();
  const int exitCode = RunCapture(
      options,
      [&](uint64_t, const uint32_t* pixels, int width, int height, std::string& why) {
        if (width != kFrameWidth || height != kFrameHeight) {
          why = "the show's frame is not 640x480";
          return false;
        }
        frame.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
        return true;
      },
      error);
  return exitCode == 0 && !frame.empty();
}

std::vector<uint32_t> ShrinkSquare(const uint32_t* pixels, int stride, int left, int top,
                                   int side, int size) {
  std::vector<uint32_t> result(static_cast<size_t>(size) * static_cast<size_t>(size));
  const uint64_t whole = uint64_t{static_cast<uint32_t>(side)} * static_cast<uint32_t>(side);
  for (int dy = 0; dy < size; ++dy) {
    // The source rows and columns that reach result pixel d: from
    // d * side / size up to, not including, ceil((d + 1) * side / size).
    const int firstRow = dy * side / size;
    const int endRow = ((dy + 1) * side + size - 1) / size;
    for (int dx = 0; dx < size; ++dx) {
      const int firstColumn = dx * side / size;
      const int endColumn = ((dx + 1) * side + size - 1) / size;
      uint64_t sum[3] = {0, 0, 0};
      for (int sy = firstRow; sy < endRow; ++sy) {
        const int64_t rowWeight = Overlap(sy, dy, side, size);
        const uint32_t* row = pixels + static_cast<std::ptrdiff_t>(top + sy) * stride + left;
        for (int sx = firstColumn; sx < endColumn; ++sx) {
          const auto weight = static_cast<uint64_t>(rowWeight * Overlap(sx, dx, side, size));
          for (int c = 0; c < 3; ++c) sum[c] += weight * ((row[sx] >> (8 * c)) & 0xFF);
        }
      }
      uint32_t pixel = 0;
      for (int c = 0; c < 3; ++c)
        pixel |= static_cast<uint32_t>((sum[c] + whole / 2) / whole) << (8 * c);
      result[static_cast<size_t>(dy) * static_cast<size_t>(size) + static_cast<size_t>(dx)] =
          pixel;
    }
  }
  return result;
}

std::vector<uint32_t> DrawIcon(const std::vector<uint32_t>& frame, int size) {
  return ShrinkSquare(frame.data(), kFrameWidth, kIconSquareLeft, kIconSquareTop,
                      kIconSquareSide, size);
}

std::string IconPath(int size) {
  const std::string side = std::to_string(size);
  return "hicolor/" + side + "x" + side + "/apps/brindlemox.png";
}
