// The tile zoom: the picture "pvn_quad.png" cut into a 3x2 grid whose tiles
// grow about the centres of their cells until the picture stands whole.
#pragma once

#include <cstdint>

#include "framework/Effect.h"
#include "framework/Rect.h"

// The picture's file name, looked for where framework/DataFiles.h says.
constexpr char kTileZoomPictureFile[] = "pvn_quad.png";

// The rectangle `source` scaled by `scale` about its centre: the new width
// and height are truncated toward zero and the spare pixels split with
// integer division, the odd one going to the right and bottom margins.
RECT ScaleRect(RECT source, float scale);

// The growth of the tiles after `ms` ms of the effect's own time: 0 at the
// start, 1.0 from 6000 ms on.
double TileZoomProgress(uint32_t ms);

class TileZoomEffect : public Effect {
 public:
  static constexpr int kTileCount = 6;

  // Creates the 640x480 work surface, and a 640x480 picture surface into
  // which "pvn_quad.png" is loaded from the working directory (or, when that
  // has none, from beside the program: framework/DataFiles.h). A missing or
  // unreadable file leaves the picture black; the effect then shows black
  // tiles.
  explicit TileZoomEffect(QelGFX* owner);
  // Page-unlocks and releases the picture; the base does the work surface.
  ~TileZoomEffect() override;

  void Render() override;
  // Explorer hooks (framework/Effect.h); the descriptions are in
  // effects/TileZoomDescription.cpp.
  void VisitState(StateVisitor& visitor) override;
  const char* Name() const override;
  void Describe(Description& out) const override;
  void DescribePoint(int x, int y, Description& out) const override;

  Surface* picture;
  // Each tile's rectangle in the picture, which is also its cell on the work
  // surface; row by row, left to right, from the top.
  RECT tiles[kTileCount];
  // Where each tile was last drawn on the work surface; a tile whose
  // rectangle has not changed since is not drawn again.
  RECT drawn[kTileCount];
  // This frame's growth (TileZoomProgress) and the scale made of it.
  double progress;
  float scale;
};
