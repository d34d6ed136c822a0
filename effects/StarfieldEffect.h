// The starfield: 1700 white points flying towards the viewer, drawn in
// perspective on a black 640x480 surface. See StarfieldEffect.cpp.
#pragma once

#include <cstdint>

#include "framework/Effect.h"
#include "framework/Helpers.h"
#include "math/Matrix4.h"
#include "math/Vec3.h"

// r mod n times 0.001, where n = x * 1000 truncated and r is the next value of
// the shared generator (0 to 32767). x must be at least 0.001 so that n >= 1.
float RandomSpread(float x);

// Whether the projected point p lies on a width x height surface, compared
// as floats (NaN fails each of the four comparisons, joined without a jump),
// and if so its pixel's offset from the first; only coordinates that passed
// are truncated. The one test of whether a star is drawn, and where.
inline bool StarOnSurface(const Vec3& p, int32_t width, int32_t height, uint32_t& offset) {
  const bool inside = (p.x >= 0.0f) & (p.x < static_cast<float>(width)) & (p.y >= 0.0f) &
                      (p.y < static_cast<float>(height));
  const int32_t column = FloatToInt(inside ? p.x : 0.0f);
  const int32_t row = FloatToInt(inside ? p.y : 0.0f);
  offset = static_cast<uint32_t>(row) * static_cast<uint32_t>(width) +
           static_cast<uint32_t>(column);
  return inside;
}

class StarfieldEffect : public Effect {
 public:
  explicit StarfieldEffect(QelGFX* owner);
  ~StarfieldEffect() override;

  void Render() override;
  // Explorer hooks (framework/Effect.h); the descriptions are in
  // effects/StarfieldDescription.cpp.
  void VisitState(StateVisitor& visitor) override;
  const char* Name() const override;
  void Describe(Description& out) const override;
  void DescribePoint(int x, int y, Description& out) const override;

  // World point to screen point in place: x and y become pixels, z stays the
  // depth. A depth of 0 gives infinite or NaN coordinates.
  void Project(Vec3& p) const;

  // Draws a projected star in white when it lies on the surface, and notes
  // the pixel for the next frame to erase. The surface must be locked.
  void PlotStar(const Vec3& p);

  int32_t starCount;
  Vec3* stars;      // world positions
  Vec3* projected;  // this frame's screen positions (z: depth)
  Matrix4 motion;   // one frame's step: translation by (0, 0, -0.1)
  float fov;        // radians
  float focal;      // pixels

  // The pixels drawn white since the surface was last all black, as offsets
  // from its first pixel: room for starCount. When more were drawn than
  // that, or the surface may hold anything else (before the first frame),
  // eraseAll is set and the next frame clears the whole surface.
  uint32_t* plotted;
  int32_t plottedCount;
  bool eraseAll;
  // This frame's stars at or behind the viewer's plane, in index order.
  int32_t* respawning;
  // How many stars were born again this frame: the first entries of
  // `respawning`.
  int32_t respawnedCount;
};
