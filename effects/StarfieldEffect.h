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

// Whether the projected point p lies on a width x height surface, compared as
// floats (NaN and infinities fail), and if so the offset of its pixel from
// the first: row * width + column, each truncated.
bool StarPixel(const Vec3& p, int32_t width, int32_t height, uint32_t& offset);

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

  int32_t starCount;
  Vec3* stars;      // world positions
  Vec3* projected;  // this frame's screen positions (z: depth)
  Matrix4 motion;   // one frame's step: translation by (0, 0, -0.1)
  float fov;        // radians
  float focal;      // pixels

  // The pixels drawn white since the surface was last all black, as offsets
  // from its first pixel: room for starCount, one a star at the most. While
  // the surface may hold anything else (before the first frame) eraseAll is
  // set and the next frame clears the whole surface.
  uint32_t* plotted;
  int32_t plottedCount;
  bool eraseAll;
  // This frame's stars at or behind the viewer's plane, in index order.
  int32_t* respawning;
  // How many stars were born again this frame: the first entries of
  // `respawning`.
  int32_t respawnedCount;
};
