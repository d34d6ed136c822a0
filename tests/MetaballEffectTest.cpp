#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "effects/MetaballEffect.h"
#include "tests/EffectTestSupport.h"
#include "tests/MetaballReference.h"

namespace {

constexpr double kStrength = 70000.0;

// The picture worked out the plain way, pixel by pixel, for a given own time.
struct ReferenceFrame {
  explicit ReferenceFrame(uint32_t ms) {
    const MetaballCharges charges = MetaballChargesAt(ms);
    std::copy(charges.x, charges.x + 3, cx);
    std::copy(charges.y, charges.y + 3, cy);
  }
  uint32_t Pixel(int x, int y) const {
    double sum = 0;
    for (int k = 0; k < 3; ++k) {
      const double d2 = (cx[k] - double(x)) * (cx[k] - double(x)) +
                        (cy[k] - double(y)) * (cy[k] - double(y));
      sum += d2 == 0 ? 1.0 : 1.0 / d2;
    }
    const double v = sum * kStrength;
    const uint32_t index = v >= 255 ? 255u : static_cast<uint32_t>(v);
    return index << 16;
  }
  float cx[3];
  float cy[3];
};

class MetaballEffectTest : public EffectFixture<MetaballEffect> {
 protected:
  // First frame at counter `startMs`, then one at `ms` of the effect's own time.
  void RenderAt(uint32_t ms, uint64_t startMs = 0) {
    SetVirtualClockMs(startMs);
    effect->Render();
    SetVirtualClockMs(startMs + ms);
    effect->Render();
  }
  uint32_t SurfacePixel(int x, int y) const { return effect->surface->Pixels()[y * 320 + x]; }
};

}  // namespace

TEST(MetaballField, AChargeExactlyOnThePixelAddsOneAndSaturates) {
  const float cx[3] = {10, 5000, -5000};
  const float cy[3] = {20, 5000, 5000};
  const double field = MetaballField(cx, cy, 10, 20);
  EXPECT_GE(field, 1.0);
  EXPECT_LT(field, 1.0 + 1e-7);
  EXPECT_EQ(MetaballIndex(field), 255);
}

TEST(MetaballField, SumsInverseSquaresInDoubleInChargeOrder) {
  const float cx[3] = {3.1f, 1.3f, 3.1f};
  const float cy[3] = {0.2f, 4.9f, 1.1f};
  double terms[3];
  float roundedToFloat = 0;
  for (int k = 0; k < 3; ++k) {
    const double d2 = double(cx[k]) * cx[k] + double(cy[k]) * cy[k];
    terms[k] = 1 / d2;
    roundedToFloat += static_cast<float>(1 / static_cast<float>(d2));
  }
  const double expected = terms[0] + terms[1] + terms[2];
  // These positions tell the right sum from a float one and a reversed one.
  ASSERT_NE(double(roundedToFloat), expected);
  ASSERT_NE(terms[2] + terms[1] + terms[0], expected);
  EXPECT_EQ(MetaballField(cx, cy, 0, 0), expected);
}

TEST(MetaballField, FieldsFarTooLargeForAnIntegerStillSaturate) {
  // A hundredth of a pixel away v is near 10^9; a ten-thousandth away it is
  // beyond 2^31, where converting to a 32-bit integer would be undefined.
  const float hundredth[3] = {100.01f, 5000, 5000};
  const float tenThousandth[3] = {100.0001f, 5000, 5000};
  const float row[3] = {50, 5000, -5000};
  EXPECT_GT(MetaballField(hundredth, row, 100, 50) * kStrength, 5e8);
  EXPECT_GT(MetaballField(tenThousandth, row, 100, 50) * kStrength, 4294967296.0);
  EXPECT_EQ(MetaballIndex(MetaballField(hundredth, row, 100, 50)), 255);
  EXPECT_EQ(MetaballIndex(MetaballField(tenThousandth, row, 100, 50)), 255);
  EXPECT_EQ(MetaballIndex(1e300), 255);
  EXPECT_EQ(MetaballIndex(std::numeric_limits<double>::infinity()), 255);
  EXPECT_EQ(MetaballIndex(std::numeric_limits<double>::quiet_NaN()), 255);
}

TEST(MetaballIndex, TruncatesBelow255AndIsBlackBelowOne) {
  EXPECT_EQ(MetaballIndex(0.0), 0);
  EXPECT_EQ(MetaballIndex(0.999 / kStrength), 0);
  EXPECT_EQ(MetaballIndex(1.5 / kStrength), 1);
  EXPECT_EQ(MetaballIndex(31.99 / kStrength), 31);
  EXPECT_EQ(MetaballIndex(254.99 / kStrength), 254);
  EXPECT_EQ(MetaballIndex(255.0 / kStrength), 255);
  EXPECT_EQ(MetaballIndex(300.0 / kStrength), 255);
}

TEST_F(MetaballEffectTest, FirstFrameShowsTheChargesAtTheirStartingPlacesAndTheWorkedValues) {
  SetVirtualClockMs(5000);  // the own clock reads 0 whenever the first frame comes
  effect->Render();
  EXPECT_EQ(std::vector<float>(effect->chargeX, effect->chargeX + 3),
            (std::vector<float>{210, 150, 210}));
  EXPECT_EQ(std::vector<float>(effect->chargeY, effect->chargeY + 3),
            (std::vector<float>{150, 130, 100}));
  EXPECT_EQ(SurfacePixel(210, 150), 0x00FF0000u);  // on charge 0
  EXPECT_EQ(SurfacePixel(0, 0), 0x00040000u);      // v ~ 4.12
  EXPECT_EQ(SurfacePixel(100, 100), 0x001F0000u);  // v ~ 31.17
}

// Rows follow each other 1280 bytes apart: pixel (0, 1) is the 321st word.
TEST_F(MetaballEffectTest, EveryWordIsPixelYTimes320PlusX) {
  RenderAt(4321);
  const ReferenceFrame reference(4321);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      ASSERT_EQ(SurfacePixel(x, y), reference.Pixel(x, y)) << x << "," << y;
}

TEST_F(MetaballEffectTest, TheSameOwnTimeGivesTheSameSurface) {
  RenderAt(2500);
  const std::vector<uint32_t> first = SurfaceWords();
  std::memset(effect->surface->Pixels(), 0xFF, 320 * 240 * 4);
  effect->Render();
  EXPECT_EQ(SurfaceWords(), first);

  // Another effect started later shows the same picture at the same own time.
  delete effect;
  effect = new MetaballEffect(device);
  RenderAt(2500, 77777);
  EXPECT_EQ(SurfaceWords(), first);
}

TEST(MetaballCapture, CapturedFramesMatchThePlainFormulaStretchedToTheScreen) {
  const Section section = Section::OfEffect<MetaballEffect>(60);
  const uint64_t first = section.first;
  std::vector<uint64_t> wanted;
  for (uint64_t k : {first, first + 1, first + 97, first + 240, first + 400})
    if (k <= section.last) wanted.push_back(k);
  std::map<uint64_t, std::vector<uint32_t>> frames = CaptureScreens(wanted);
  ASSERT_EQ(frames.size(), wanted.size());

  for (uint64_t k : wanted) {
    const uint32_t ownMs = section.OwnMs(k);
    const ReferenceFrame reference(ownMs);
    const std::vector<uint32_t>& screen = frames[k];
    for (int j = 0; j < 480; ++j)
      for (int i = 0; i < 640; ++i)
        ASSERT_EQ(screen[j * 640 + i], reference.Pixel(i / 2, j / 2))
            << "frame " << k << " (" << ownMs << " ms) at " << i << "," << j;
  }
}
