#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "effects/StarfieldEffect.h"
#include "framework/Helpers.h"
#include "tests/EffectTestSupport.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFu;
constexpr float kFocal = 772.54834f;

// The shared generator written out again: state * 214013 + 2531011, bits
// 16..30 of the new state.
struct ReferenceRandom {
  uint32_t state;
  uint32_t Next() {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
  }
  // What one draw of 50.0 or 600.0 gives: r * 0.001 (r is below both 50000
  // and 600000).
  float Spread() { return static_cast<float>(Next()) * 0.001f; }
};

// Whether the frame's bounds test draws the projected point (x, y), and the
// pixel it draws as (column, row); (-1, -1) when it draws none.
std::pair<int, int> PixelOf(float x, float y) {
  uint32_t offset = 0;
  if (!StarPixel(Vec3{x, y, 1.0f}, 640, 480, offset)) return {-1, -1};
  return {static_cast<int>(offset % 640), static_cast<int>(offset / 640)};
}

class StarfieldEffectTest : public EffectFixture<StarfieldEffect> {
 protected:
  // Every star far to the left, where it stays off screen for thousands of
  // frames, so that a test can watch one star alone.
  void ParkStarsOffScreen() {
    for (int i = 0; i < effect->starCount; ++i) effect->stars[i] = Vec3{-1000.0f, 0.0f, 1000.0f};
  }

  uint32_t Pixel(int column, int row) const {
    return effect->surface->Pixels()[row * 640 + column];
  }

  int WhitePixels() const {
    int count = 0;
    for (int k = 0; k < 640 * 480; ++k) count += effect->surface->Pixels()[k] == kWhite;
    return count;
  }

};

}  // namespace

TEST_F(StarfieldEffectTest, StartsWith1700StarsAtTheOriginAndATenthStepDeep) {
  EXPECT_EQ(effect->starCount, 1700);
  EXPECT_EQ(effect->width, 640);
  EXPECT_EQ(effect->height, 480);
  EXPECT_EQ(effect->fov, 0.78539819f);
  EXPECT_EQ(effect->focal, kFocal);
  for (int i = 0; i < effect->starCount; ++i) {
    ASSERT_EQ(effect->stars[i].z, 0.0f);
    ASSERT_EQ(effect->stars[i].x, 0.0f);
  }
  const Matrix4 expected(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, -0.1f, 0, 0, 0, 1);
  for (int k = 0; k < 16; ++k) EXPECT_EQ(effect->motion.m[k], expected.m[k]);
}

TEST_F(StarfieldEffectTest, FirstFrameRespawnsEveryStarInOrderAndMovesNone) {
  SeedRandom(987654);
  effect->Render();
  ReferenceRandom random{987654};
  for (int i = 0; i < effect->starCount; ++i) {
    const float x = random.Spread() - 25.0f;
    const float y = random.Spread() - 25.0f;
    const float z = random.Spread();
    ASSERT_EQ(effect->stars[i].x, x) << "star " << i;
    ASSERT_EQ(effect->stars[i].y, y) << "star " << i;
    ASSERT_EQ(effect->stars[i].z, z) << "star " << i;
  }
  EXPECT_EQ(NextRandom(), random.Next());  // exactly three draws a star
}

TEST_F(StarfieldEffectTest, WithSeedOneTheFirstStarIsBornAtItsKnownPlace) {
  SeedRandom(1);
  effect->Render();
  EXPECT_FLOAT_EQ(effect->stars[0].x, -24.959f);
  EXPECT_FLOAT_EQ(effect->stars[0].y, -6.533f);
  EXPECT_FLOAT_EQ(effect->stars[0].z, 6.334f);
}

// Stars one step in front of depths 10 and 5: drawn where the perspective
// about the vanishing point (320, 240) puts them.
TEST_F(StarfieldEffectTest, ProjectsInPerspectiveAboutTheVanishingPoint) {
  ParkStarsOffScreen();
  effect->stars[0] = Vec3{1.0f, 1.0f, 10.1f};
  effect->stars[1] = Vec3{0.0f, 0.0f, 5.1f};
  effect->Render();
  EXPECT_NEAR(effect->projected[0].x, 397.2548f, 1e-3);
  EXPECT_NEAR(effect->projected[0].y, 162.7452f, 1e-3);
  EXPECT_FLOAT_EQ(effect->projected[0].z, 10.0f);
  EXPECT_EQ(effect->projected[1].x, 320.0f);
  EXPECT_EQ(effect->projected[1].y, 240.0f);
  EXPECT_EQ(Pixel(397, 162), kWhite);
  EXPECT_EQ(Pixel(320, 240), kWhite);
  EXPECT_EQ(WhitePixels(), 2);
}

// The reciprocal of the depth in double, then focal * x * (1 / z), rounded to
// single once: checked to the bit over a whole field of fresh stars.
TEST_F(StarfieldEffectTest, ProjectionIsWorkedInDoubleThroughTheReciprocalOfTheDepth) {
  SeedRandom(2024);
  effect->Render();
  for (int i = 0; i < effect->starCount; ++i) {
    const Vec3 s = effect->stars[i];
    const double inv = 1.0 / static_cast<double>(s.z);
    const double dx = static_cast<double>(kFocal) * s.x;
    const double dy = static_cast<double>(kFocal) * s.y;
    ASSERT_EQ(effect->projected[i].x, static_cast<float>(320.0 + dx * inv)) << "star " << i;
    ASSERT_EQ(effect->projected[i].y, static_cast<float>(240.0 - dy * inv)) << "star " << i;
    ASSERT_EQ(effect->projected[i].z, s.z) << "star " << i;
  }
}

TEST(StarPixel, OnlyWhatLiesInsideTheSurfaceComparedAsFloatsIsDrawn) {
  using Pixel = std::pair<int, int>;
  EXPECT_EQ(PixelOf(639.99f, 10.0f), Pixel(639, 10));
  EXPECT_EQ(PixelOf(10.0f, 479.99f), Pixel(10, 479));
  EXPECT_EQ(PixelOf(0.0f, 0.0f), Pixel(0, 0));
  EXPECT_EQ(PixelOf(397.2548f, 162.7452f), Pixel(397, 162));

  // Off the surface, including -0.01, which truncation alone would put in
  // column or row 0; and the infinite and NaN points of stars on the plane.
  const float inf = INFINITY;
  for (const auto& [x, y] : std::vector<std::pair<float, float>>{
           {640.0f, 10.0f}, {-0.01f, 10.0f}, {10.0f, 480.0f}, {10.0f, -0.01f}, {NAN, 10.0f},
           {10.0f, NAN}, {inf, 10.0f}, {-inf, 10.0f}, {10.0f, inf}, {10.0f, -inf}})
    EXPECT_EQ(PixelOf(x, y), Pixel(-1, -1)) << x << ", " << y;
}

TEST_F(StarfieldEffectTest, AStarAtDepthATenthStepsToZeroIsNotDrawnAndRespawnsNext) {
  ParkStarsOffScreen();
  effect->stars[0] = Vec3{0.0f, 0.0f, 0.1f};
  effect->stars[1] = Vec3{0.5f, -0.5f, 0.1f};
  effect->Render();
  EXPECT_EQ(effect->stars[0].z, 0.0f);
  EXPECT_EQ(effect->stars[1].z, 0.0f);
  EXPECT_FALSE(std::isfinite(effect->projected[0].x));
  EXPECT_FALSE(std::isfinite(effect->projected[1].x));
  EXPECT_EQ(WhitePixels(), 0);

  SeedRandom(5);
  effect->Render();
  ReferenceRandom random{5};
  EXPECT_EQ(effect->stars[0].x, random.Spread() - 25.0f);
  EXPECT_EQ(effect->stars[0].y, random.Spread() - 25.0f);
  EXPECT_EQ(effect->stars[0].z, random.Spread());
}

TEST_F(StarfieldEffectTest, AStarJustInFrontIsDrawnMirroredThroughTheVanishingPoint) {
  ParkStarsOffScreen();
  effect->stars[0] = Vec3{0.001f, 0.0f, 0.05f};
  effect->Render();
  EXPECT_FLOAT_EQ(effect->stars[0].z, -0.05f);
  EXPECT_EQ(Pixel(304, 240), kWhite);
  EXPECT_EQ(WhitePixels(), 1);

  effect->Render();
  EXPECT_GE(effect->stars[0].z, 0.0f);  // born again
  EXPECT_NE(effect->stars[0].x, 0.001f);
}

TEST_F(StarfieldEffectTest, EachFrameMovesEveryStarATenthWhateverTheTime) {
  ParkStarsOffScreen();
  effect->stars[0] = Vec3{2.0f, -3.0f, 20.0f};
  float z = 20.0f;
  for (uint64_t ms : {0, 3, 4, 37, 1037}) {  // 300 fps, then 30, then a stall
    SetVirtualClockMs(ms);
    effect->Render();
    z -= 0.1f;
    EXPECT_EQ(effect->stars[0].z, z);
    EXPECT_EQ(effect->stars[0].x, 2.0f);
    EXPECT_EQ(effect->stars[0].y, -3.0f);
  }
}

// Each frame erases only the points it drew before; the surface must still
// be black but for this frame's stars, whatever was on it before the first
// frame.
TEST_F(StarfieldEffectTest, EveryFrameShowsItsOwnStarsOnBlackAndNothingElse) {
  auto expectOnlyTheseStars = [&](int frame) {
    std::vector<uint32_t> expected(640 * 480, 0u);
    for (int i = 0; i < effect->starCount; ++i) {
      const Vec3& p = effect->projected[i];
      if (p.x >= 0.0f && p.x < 640.0f && p.y >= 0.0f && p.y < 480.0f)
        expected[static_cast<size_t>(static_cast<int>(p.y) * 640 + static_cast<int>(p.x))] = kWhite;
    }
    ASSERT_EQ(SurfaceWords(), expected) << "frame " << frame;
  };
  SeedRandom(3);
  device->ClearSurf(0x00123456u, effect->surface);
  for (int frame = 0; frame < 400; ++frame) {
    effect->Render();
    expectOnlyTheseStars(frame);
  }
}

TEST(RandomSpread, DrawsTheGeneratorValueModuloTheScaledArgumentInThousandths) {
  SeedRandom(42);
  ReferenceRandom random{42};
  float largest = 0.0f;
  for (int k = 0; k < 20000; ++k) {
    const float wide = RandomSpread(k % 2 ? 50.0f : 600.0f);
    ASSERT_EQ(wide, static_cast<float>(random.Next()) * 0.001f);
    ASSERT_GE(wide, 0.0f);
    ASSERT_LT(wide, 32.768f);
    if (wide > largest) largest = wide;

    const float narrow = RandomSpread(0.5f);
    ASSERT_EQ(narrow, static_cast<float>(random.Next() % 500) * 0.001f);
    ASSERT_LT(narrow, 0.5f);
  }
  EXPECT_GT(largest, 32.0f);  // the range reaches up to 32.767, not 50 or 600
}

// The starfield section of a capture at 60 frames a second with seed 1,
// against a simulation of the same 1700 stars written out here. Nothing
// draws random numbers between the shell's seeding and the first starfield
// frame, so the simulation starts from seed 1 too.
TEST(StarfieldGolden, CapturedFramesMatchAStraightforwardSimulation) {
  const Section section = Section::OfEffect<StarfieldEffect>(60);
  const uint64_t first = section.first;
  const uint64_t last = section.last;
  const std::vector<uint64_t> wanted = {first, first + 1, first + 200, first + 340, last};
  std::map<uint64_t, std::vector<uint32_t>> captured = CaptureScreens(wanted, 60, 1);
  ASSERT_EQ(captured.size(), wanted.size());

  struct Star {
    float x = 0, y = 0, z = 0;
  };
  std::vector<Star> stars(1700);
  ReferenceRandom random{1};
  std::vector<uint32_t> image(640 * 480);
  for (uint64_t k = first; k <= last; ++k) {
    std::fill(image.begin(), image.end(), 0u);
    for (Star& s : stars) {
      if (s.z > 0.0f) {
        s.z = s.z - 0.1f;
      } else {
        s.x = random.Spread() - 25.0f;
        s.y = random.Spread() - 25.0f;
        s.z = random.Spread();
      }
      const double inv = 1.0 / s.z;
      const float column = static_cast<float>(320.0 + static_cast<double>(kFocal) * s.x * inv);
      const float row = static_cast<float>(240.0 - static_cast<double>(kFocal) * s.y * inv);
      if (column >= 0.0f && column < 640.0f && row >= 0.0f && row < 480.0f)
        image[static_cast<int>(row) * 640 + static_cast<int>(column)] = kWhite;
    }
    if (!captured.count(k)) continue;
    int white = 0;
    for (uint32_t pixel : image) white += pixel == kWhite;
    EXPECT_GT(white, 50) << "frame " << k;
    const std::vector<uint32_t>& got = captured[k];
    int mismatches = 0;
    for (int p = 0; p < 640 * 480; ++p) mismatches += got[p] != image[p];
    EXPECT_EQ(mismatches, 0) << "frame " << k;
  }
}
