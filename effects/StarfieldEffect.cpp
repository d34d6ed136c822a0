// The starfield: 1700 white points in 3D flying towards the viewer.
//
// World: x right, y up, z the depth in front of the viewer at the origin, who
// looks along +z. Perspective projection onto the 640x480 surface:
//   column = 320 + focal * x / z,   row = 240 - focal * y / z
// (the row runs downwards, hence the minus), so every star on the line of
// sight lands on the vanishing point (320, 240). The field of view is
// pi/4 (single float 0.78539819), 45 degrees across the width:
//   focal = 640 / (2 tan(fov / 2)) = 640 / 0.8284271 = 772.54834 pixels;
// a star is on screen horizontally while |x| / z < 320 / 772.5 = 0.414.
// The projection is worked in double: one division for the reciprocal of the
// depth, then focal * x * (1 / z); the results are stored as single floats.
//
// Motion: every frame each star in front of the viewer (z > 0) is moved by
// the matrix translating by (0, 0, -0.1), a fixed step per frame, not per
// millisecond, so the speed on screen follows the frame rate. A star at
// depth 0 or less (or NaN) respawns instead, with three draws in the order
// x, y, z of RandomSpread, which gives r * 0.001 for r from 0 to 32767:
//   x, y in [-25.0, 7.767],   z in [0.0, 32.767]
// (the ranges 50 and 600 asked for are cut by the generator's 15 bits), so
// most stars sit left of and below the vanishing point. A star born at the
// farthest depth takes 328 frames to reach the plane, about 5.5 s at 60 fps.
// The depth is tested before the move and projected after it: a star with
// depth in (0, 0.1] is drawn once more just behind the plane, mirrored through
// the vanishing point, and respawns in the next frame. Its depth may be
// exactly 0 there, which projects to infinity or NaN; the bounds test compares
// the floats (NaN fails every comparison) and only coordinates that passed it
// are truncated to a column and a row, so no infinite or NaN value is ever
// converted to an integer.
//
// The first frame finds every star at the origin (depth 0) and respawns all
// 1700 from the shared generator, which the shell seeds at set-up.
#include "effects/StarfieldEffect.h"

#include <cmath>
#include <numbers>

#include "framework/Helpers.h"

float RandomSpread(float x) {
  const int32_t n = FloatToInt(static_cast<double>(x) * 1000.0);
  const uint32_t r = NextRandom();
  return static_cast<float>(r % static_cast<uint32_t>(n)) * 0.001f;
}

StarfieldEffect::StarfieldEffect(QelGFX* owner)
    : starCount(0), stars(nullptr), projected(nullptr), fov(0.0f), focal(0.0f) {
  CreateOwnSurface(owner, 640, 480);
  fov = static_cast<float>(std::numbers::pi / 4.0);
  focal = static_cast<float>(static_cast<double>(width) /
                             (2.0 * std::tan(static_cast<double>(fov) * 0.5)));
  starCount = 1700;
  stars = new Vec3[starCount];
  projected = new Vec3[starCount];
  motion.Translate(0.0f, 0.0f, -0.1f);
}

StarfieldEffect::~StarfieldEffect() {
  delete[] stars;
  delete[] projected;
}

void StarfieldEffect::Project(Vec3& p) const {
  const double inv = 1.0 / static_cast<double>(p.z);
  p.x = static_cast<float>(static_cast<double>(width >> 1) + static_cast<double>(focal) * p.x * inv);
  p.y = static_cast<float>(static_cast<double>(height >> 1) - static_cast<double>(focal) * p.y * inv);
}

void StarfieldEffect::PlotStar(const Vec3& p) {
  if (p.x >= 0.0f && p.x < static_cast<float>(width) && p.y >= 0.0f &&
      p.y < static_cast<float>(height)) {
    device->PutPixel(static_cast<uint16_t>(FloatToInt(p.x)), static_cast<uint16_t>(FloatToInt(p.y)),
                     0xFFFFFFu, device->lockedPixels, device->lockedPitch);
  }
}

void StarfieldEffect::Render() {
  BeginFrame();
  device->ClearSurf(0, surface);
  device->Lock(surface);
  for (int32_t i = 0; i < starCount; ++i) {
    Vec3& star = stars[i];
    if (star.z > 0.0f) {
      star.Transform(motion);
    } else {
      const float rx = RandomSpread(50.0f);
      const float ry = RandomSpread(50.0f);
      const float rz = RandomSpread(600.0f);
      star = Vec3{rx - 25.0f, ry - 25.0f, rz};
    }
    projected[i] = star;
    Project(projected[i]);
    PlotStar(projected[i]);
  }
  device->UnLock(surface);
  PresentSurface();
}
