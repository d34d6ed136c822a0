// Tile zoom.
//
// The 640x480 picture is cut into three columns and two rows. Column edges
// lie at 0, 640 / 3 = 213, 2 * 213 = 426 and 640, row edges at 0, 480 / 2 =
// 240 and 480, so the tiles are 213x240, 213x240 and 214x240 in each row (the
// last column takes the pixel that 640 / 3 leaves over). Each tile's
// rectangle is both where it is read from the picture and the cell it is
// drawn into on the work surface.
//
// Growth. After ms ms of the effect's own time
//     p = ms * 0.001f * 0.16666667f,   clamped to at most 1.0,
// worked in double from the two single-precision constants 0.001f
// (0.0010000000474974513) and 1/6 as a float (0.1666666716337204): seconds
// over six seconds, so p runs linearly from 0 to 1 in six seconds. Both
// constants lie a little above their decimal values, so the product first
// reaches 1 at 6000 ms exactly (1.0000000773) and the clamp makes it 1.0
// there and for every later time; ms is unsigned, so even 2^31 ms and more
// only ever clamp. ScaleRect receives p rounded to a float: at 3000 ms
// 0.50000004 becomes 0.50000006.
//
// ScaleRect. A w x h rectangle scaled by s becomes
//     newW = trunc(w * s),  newH = trunc(h * s)     (double product)
//     left' = left + (w - newW) / 2,  top' = top + (h - newH) / 2
// with signed integer division, so the result is centred in the cell to
// within a pixel (an odd margin puts the spare pixel right and bottom) and
// grows on every side as s grows. On screen: at 0 ms every tile is an empty
// rectangle at its cell centre, (106, 120) for tile 0, and nothing is drawn;
// at 3000 ms tile 0 covers (53, 60)-(159, 180), half its size; at 5999 ms
// each tile is still one pixel short at the right and bottom; from 6000 ms on
// each tile equals its cell and the picture stands whole, unscaled, until the
// next effect takes over at 8000 ms. A tile grows by about 35 pixels a second
// across and 40 down, under one pixel per frame at 60 frames a second.
//
// The device stretches each tile into its rectangle. The work surface is
// never cleared: each frame's rectangles contain the previous frame's, so
// every frame covers what the last one drew, and around the tiles the work
// surface keeps the black it was created with.
//
// Only what changed is copied. A tile whose rectangle is the one it was last
// drawn into would be drawn again to the same pixels: the picture never
// changes after loading, the copy depends on nothing but the two rectangles,
// and no other tile's rectangle reaches into its cell, so nothing has written
// there since. Its copy is skipped. While the tiles grow, by about 0.6 pixel
// across and 0.7 down a frame at 60 frames a second, most frames change some
// rectangle (337 of the first 360); from 6000 ms on none does. The device's
// copy of the work surface over the back buffer then follows suit: it copies
// only the rows of the rectangles drawn since its last copy, so a frame from
// 6000 ms on copies nothing at all.
#include "effects/TileZoomEffect.h"

#include "framework/DataFiles.h"
#include "framework/Helpers.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr float kPerMs = 0.001f;
constexpr float kPerSixSeconds = 0.16666667f;

}  // namespace

RECT ScaleRect(RECT source, float scale) {
  const int32_t w = source.right - source.left;
  const int32_t h = source.bottom - source.top;
  const int32_t newW = FloatToInt(static_cast<double>(w) * static_cast<double>(scale));
  const int32_t newH = FloatToInt(static_cast<double>(h) * static_cast<double>(scale));
  const int32_t newLeft = source.left + (w - newW) / 2;
  const int32_t newTop = source.top + (h - newH) / 2;
  return QelGFX::Rect(newLeft, newTop, newLeft + newW, newTop + newH);
}

double TileZoomProgress(uint32_t ms) {
  double p = static_cast<double>(ms) * static_cast<double>(kPerMs) *
             static_cast<double>(kPerSixSeconds);
  if (p > 1.0) p = 1.0;
  return p;
}

TileZoomEffect::TileZoomEffect(QelGFX* owner) : picture(nullptr), tiles{}, drawn{}, progress(0.0), scale(0.0f) {
  CreateOwnSurface(owner, kWidth, kHeight);
  device->CreateSurface(static_cast<uint16_t>(width), static_cast<uint16_t>(height), &picture);
  device->LoadPNG(LocateDataFile(kTileZoomPictureFile).c_str(), picture);
  if (picture != nullptr) picture->PageLock(0);

  const int32_t columns[4] = {0, width / 3, 2 * (width / 3), width};
  const int32_t rows[3] = {0, height / 2, height};
  for (int tile = 0; tile < kTileCount; ++tile) {
    const int column = tile % 3;
    const int row = tile / 3;
    tiles[tile] = QelGFX::Rect(columns[column], rows[row], columns[column + 1], rows[row + 1]);
    // No tile has been drawn: a rectangle ScaleRect never gives.
    drawn[tile] = QelGFX::Rect(0, 0, -1, -1);
  }
}

TileZoomEffect::~TileZoomEffect() {
  if (picture != nullptr) {
    picture->PageUnlock(0);
    device->ReleaseSurface(picture);
    picture = nullptr;
  }
}

void TileZoomEffect::Render() {
  const uint32_t ms = BeginFrame();
  progress = TileZoomProgress(ms);
  scale = static_cast<float>(progress);
  for (int tile = 0; tile < kTileCount; ++tile) {
    const RECT dst = ScaleRect(tiles[tile], scale);
    RECT& last = drawn[tile];
    if (dst.left == last.left && dst.top == last.top && dst.right == last.right &&
        dst.bottom == last.bottom)
      continue;
    device->Blt(dst, surface, tiles[tile], picture);
    last = dst;
  }
  PresentSurface();
}
