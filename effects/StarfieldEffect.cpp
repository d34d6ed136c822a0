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
//
// A frame in three passes, each star's arithmetic exactly as above:
//   1. every star, in one loop without a branch: the moved position is
//      worked out for all and kept where the depth was above 0; the others
//      are listed for rebirth; each is projected;
//   2. the listed stars, in index order, are born again from the generator
//      and projected: the draws come in the order a star-by-star loop takes
//      them, since moving a star draws nothing;
//   3. the points of the last frame are erased and this frame's drawn.
// Only the bounds test decides whether a star is drawn, and it is unknown
// in advance for half the stars; taken as a value (a pixel offset noted,
// the count raised by 0 or 1) it costs no mispredicted jump. Every star is
// white, so the order in which the points are drawn changes nothing.
//
// The surface is black but for at most 1700 points, the ones drawn last
// frame: erasing those is the clear, without writing 300,000 black pixels.
// The offsets of the drawn points are kept for that; before the first frame,
// the whole surface is cleared.
#include "effects/StarfieldEffect.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "framework/Helpers.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFu;

// The projection, its constants read once (the loops write through pointers
// the compiler could not otherwise tell from the effect's own members).
struct Lens {
  double focal;
  double centreX;  // width >> 1
  double centreY;  // height >> 1

  void Project(Vec3& p) const {
    const double inv = 1.0 / static_cast<double>(p.z);
    p.x = static_cast<float>(centreX + focal * p.x * inv);
    p.y = static_cast<float>(centreY - focal * p.y * inv);
  }
};

// The lens of a width x height surface seen at focal length `focal`.
Lens LensFor(float focal, int32_t width, int32_t height) {
  return {focal, static_cast<double>(width >> 1), static_cast<double>(height >> 1)};
}

// a where `first` holds, else b, chosen bit by bit rather than by a jump.
inline float Pick(bool first, float a, float b) {
  uint32_t bitsA;
  uint32_t bitsB;
  std::memcpy(&bitsA, &a, sizeof a);
  std::memcpy(&bitsB, &b, sizeof b);
  const uint32_t mask = 0u - static_cast<uint32_t>(first);
  const uint32_t bits = (bitsA & mask) | (bitsB & ~mask);
  float picked;
  std::memcpy(&picked, &bits, sizeof picked);
  return picked;
}

}  // namespace

// NaN fails each of the four comparisons, joined without a jump; only
// coordinates that passed are truncated.
bool StarPixel(const Vec3& p, int32_t width, int32_t height, uint32_t& offset) {
  const bool inside = (p.x >= 0.0f) & (p.x < static_cast<float>(width)) & (p.y >= 0.0f) &
                      (p.y < static_cast<float>(height));
  const int32_t column = FloatToInt(inside ? p.x : 0.0f);
  const int32_t row = FloatToInt(inside ? p.y : 0.0f);
  offset = static_cast<uint32_t>(row) * static_cast<uint32_t>(width) +
           static_cast<uint32_t>(column);
  return inside;
}

float RandomSpread(float x) {
  const int32_t n = FloatToInt(static_cast<double>(x) * 1000.0);
  const uint32_t r = NextRandom();
  return static_cast<float>(r % static_cast<uint32_t>(n)) * 0.001f;
}

StarfieldEffect::StarfieldEffect(QelGFX* owner)
    : starCount(0),
      stars(nullptr),
      projected(nullptr),
      fov(0.0f),
      focal(0.0f),
      plotted(nullptr),
      plottedCount(0),
      eraseAll(true),
      respawning(nullptr),
      respawnedCount(0) {
  CreateOwnSurface(owner, 640, 480);
  fov = static_cast<float>(std::numbers::pi / 4.0);
  focal = static_cast<float>(static_cast<double>(width) /
                             (2.0 * std::tan(static_cast<double>(fov) * 0.5)));
  starCount = 1700;
  stars = new Vec3[starCount];
  projected = new Vec3[starCount];
  motion.Translate(0.0f, 0.0f, -0.1f);
  plotted = new uint32_t[starCount];
  respawning = new int32_t[starCount];
}

StarfieldEffect::~StarfieldEffect() {
  delete[] stars;
  delete[] projected;
  delete[] plotted;
  delete[] respawning;
}

void StarfieldEffect::Render() {
  BeginFrame();
  const Matrix4 step = motion;
  const Lens lens = LensFor(focal, width, height);
  const int32_t count = starCount;
  Vec3* const world = stars;
  Vec3* const screen = projected;
  int32_t* const reborn = respawning;

  // 1. Move or list for rebirth, and project: no branch.
  int32_t rebornCount = 0;
  for (int32_t i = 0; i < count; ++i) {
    const Vec3 star = world[i];
    Vec3 moved = star;
    moved.Transform(step);
    const bool moves = star.z > 0.0f;
    Vec3 next;
    next.x = Pick(moves, moved.x, star.x);
    next.y = Pick(moves, moved.y, star.y);
    next.z = Pick(moves, moved.z, star.z);
    world[i] = next;
    reborn[rebornCount] = i;
    rebornCount += moves ? 0 : 1;
    lens.Project(next);
    screen[i] = next;
  }

  respawnedCount = rebornCount;

  // 2. Rebirth, in index order.
  for (int32_t k = 0; k < rebornCount; ++k) {
    Vec3& star = world[reborn[k]];
    const float rx = RandomSpread(50.0f);
    const float ry = RandomSpread(50.0f);
    const float rz = RandomSpread(600.0f);
    star = Vec3{rx - 25.0f, ry - 25.0f, rz};
    Vec3& p = screen[reborn[k]];
    p = star;
    lens.Project(p);
  }

  // Without a surface there is nothing to draw on, and the device's locked
  // pointer would belong to another surface.
  if (surface == nullptr) return;

  // 3. Last frame's points erased, this frame's drawn.
  device->Lock(surface);
  uint32_t* const pixels = reinterpret_cast<uint32_t*>(device->lockedPixels);
  uint32_t* const points = plotted;
  if (eraseAll) {
    device->ClearSurf(0, surface);  // locked: cleared at once
    eraseAll = false;
  } else {
    for (int32_t k = 0; k < plottedCount; ++k) pixels[points[k]] = 0;
  }
  int32_t drawn = 0;
  for (int32_t i = 0; i < count; ++i) {
    uint32_t offset = 0;
    const bool inside = StarPixel(screen[i], width, height, offset);
    points[drawn] = offset;
    drawn += inside ? 1 : 0;
  }
  for (int32_t k = 0; k < drawn; ++k) pixels[points[k]] = kWhite;
  plottedCount = drawn;
  device->UnLock(surface);
  PresentSurface();
}
