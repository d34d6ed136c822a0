// A frame shown in an area of another size: at the largest size that keeps
// the frame's shape, centred, black around it, each shown pixel taken from
// the frame pixel nearest to its centre (no smoothing). This is how every
// desktop backend shows the back buffer in a window the user has made larger
// than the frame (fullscreen, maximised), and how the SDL window surface is
// drawn at any size.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace platform {

struct ShownRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// The largest rectangle of the frame's shape inside the area, centred (an odd
// pixel left over goes to the right or the bottom). Empty when either size is
// not positive.
constexpr ShownRect LetterboxRect(int areaWidth, int areaHeight, int frameWidth, int frameHeight) {
  if (areaWidth <= 0 || areaHeight <= 0 || frameWidth <= 0 || frameHeight <= 0) return {};
  const int64_t aw = areaWidth, ah = areaHeight, fw = frameWidth, fh = frameHeight;
  ShownRect r;
  if (aw * fh <= ah * fw) {  // as wide as the area, bars above and below
    r.width = areaWidth;
    r.height = static_cast<int>(aw * fh / fw);
  } else {  // as high as the area, bars left and right
    r.width = static_cast<int>(ah * fw / fh);
    r.height = areaHeight;
  }
  r.x = (areaWidth - r.width) / 2;
  r.y = (areaHeight - r.height) / 2;
  return r;
}

// Draws frames into an area, letterboxed, by nearest pixel: shown pixel d of
// a run of `shown` pixels takes frame pixel floor((d + 1/2) * frame / shown),
// worked out exactly in integers. The maps from shown to frame columns and
// rows are made once for each pair of sizes.
class LetterboxScaler {
 public:
  // Sets the sizes; returns the rectangle the frame is shown in.
  const ShownRect& Fit(int frameWidth, int frameHeight, int areaWidth, int areaHeight) {
    if (frameWidth == frameWidth_ && frameHeight == frameHeight_ && areaWidth == areaWidth_ &&
        areaHeight == areaHeight_)
      return box_;
    frameWidth_ = frameWidth;
    frameHeight_ = frameHeight;
    areaWidth_ = areaWidth;
    areaHeight_ = areaHeight;
    box_ = LetterboxRect(areaWidth, areaHeight, frameWidth, frameHeight);
    NearestMap(frameWidth, box_.width, columns_);
    NearestMap(frameHeight, box_.height, rows_);
    return box_;
  }

  // Draws a frame of the fitted size (rows frameWidth pixels apart) into the
  // area (rows areaPitch bytes apart). Pixel is the area's pixel type, and
  // the frame's; black is all bits clear.
  template <typename Pixel>
  void Draw(const Pixel* frame, void* area, size_t areaPitch) const {
    auto* areaBytes = static_cast<unsigned char*>(area);
    const size_t rowBytes = static_cast<size_t>(areaWidth_) * sizeof(Pixel);
    const size_t leftBytes = static_cast<size_t>(box_.x) * sizeof(Pixel);
    const size_t boxBytes = static_cast<size_t>(box_.width) * sizeof(Pixel);
    const Pixel* previousSource = nullptr;
    Pixel* previousRow = nullptr;
    for (int y = 0; y < areaHeight_; ++y) {
      auto* row = reinterpret_cast<Pixel*>(areaBytes + static_cast<size_t>(y) * areaPitch);
      const int boxRow = y - box_.y;
      if (boxRow < 0 || boxRow >= box_.height) {
        std::memset(row, 0, rowBytes);
        continue;
      }
      std::memset(row, 0, leftBytes);
      std::memset(reinterpret_cast<unsigned char*>(row) + leftBytes + boxBytes, 0,
                  rowBytes - leftBytes - boxBytes);
      const Pixel* source = frame + static_cast<size_t>(rows_[static_cast<size_t>(boxRow)]) *
                                        static_cast<size_t>(frameWidth_);
      Pixel* out = row + box_.x;
      if (source == previousSource) {
        // An enlarged frame row is shown on several rows: copy the first.
        std::memcpy(out, previousRow, boxBytes);
        continue;
      }
      for (size_t x = 0; x < columns_.size(); ++x) out[x] = source[columns_[x]];
      previousSource = source;
      previousRow = out;
    }
  }

 private:
  static void NearestMap(int frameSize, int shownSize, std::vector<int>& map) {
    map.resize(static_cast<size_t>(std::max(shownSize, 0)));
    for (int d = 0; d < shownSize; ++d)
      map[static_cast<size_t>(d)] = static_cast<int>((2 * static_cast<int64_t>(d) + 1) * frameSize /
                                                     (2 * int64_t{shownSize}));
  }

  int frameWidth_ = -1, frameHeight_ = -1, areaWidth_ = -1, areaHeight_ = -1;
  ShownRect box_;
  std::vector<int> columns_, rows_;
};

}  // namespace platform
