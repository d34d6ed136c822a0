#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "effects/PlasmaEffect.h"
#include "tests/EffectTestSupport.h"

namespace {

constexpr int kW = 160;
constexpr int kH = 120;

// The plasma worked out pixel by pixel, straight from its definition, with
// the exact values its single-precision constants carry.
namespace reference {

constexpr double kTimeScale = 0.0000999999974737875163555145263671875;  // 0.0001
constexpr double kSlow = 0.0500000007450580596923828125;                // 0.05
constexpr double kFast = 0.100000001490116119384765625;                 // 0.1
constexpr double kRow = 0.0199999995529651641845703125;                 // 0.02
constexpr double kWave1 = 0.039999999105930328369140625;                // 0.04
constexpr double kWave4 = 0.04545454680919647216796875;                 // 1/22
constexpr double kTwo32 = 4294967296.0;

uint32_t BaseColour(int i) {
  const int r = i < 128 ? 255 - 2 * i : 2 * (i - 128);
  const int b = i < 128 ? 2 * i : 255 - 2 * (i - 128);
  return static_cast<uint32_t>(r << 16 | b);
}

int Offset(uint32_t ms) {
  return static_cast<int>(std::trunc(static_cast<double>(ms) * kTimeScale * 1000.0));
}

// Truncate, then reduce modulo 2^32 into 0 .. 2^32 - 1.
double Conv(double v) {
  const double whole = std::trunc(v);
  return whole - kTwo32 * std::floor(whole / kTwo32);
}

int Index(uint32_t ms, int x, int y) {
  const double t = static_cast<double>(ms) * kTimeScale;
  const double p1 = 200.0 * std::cos(kSlow * t);
  const double p2 = 300.0 * std::sin(kFast * t);
  const double p3 = 150.0 * std::cos(kSlow * t);
  const double s = std::sin(kRow * t);
  double acc = Conv(100.0 * std::cos(kWave1 * x + p1));
  acc = Conv(acc + 90.0 * std::sin(kSlow * x + p2));
  acc = Conv(acc + 100.0 * std::cos(kWave1 * y + p3));
  acc = Conv(acc + 80.0 * std::sin(200.0 * s + y * kWave4));
  return static_cast<int>(std::fmod(acc, 256.0));
}

uint32_t Colour(uint32_t ms, int x, int y) {
  return BaseColour((Offset(ms) + Index(ms, x, y)) % 256);
}

}  // namespace reference

class PlasmaEffectTest : public EffectFixture<PlasmaEffect> {
 protected:
  // Draws the frame shown ms after the effect's first frame (which is drawn
  // first, at counter 0, when the effect has not started yet).
  void RenderAt(uint32_t ms) {
    if (!effect->started) {
      SetVirtualClockMs(0);
      effect->Render();
    }
    SetVirtualClockMs(ms);
    effect->Render();
  }

  // Rows follow each other without padding: pixel (0, 1) is the 161st word.
  uint32_t Pixel(int x, int y) const { return effect->surface->Pixels()[y * kW + x]; }
  uint32_t Base(int i) const { return effect->basePalette[i]; }
};

}  // namespace

TEST_F(PlasmaEffectTest, BasePaletteRunsRedToBlueAndBackWithoutASeam) {
  EXPECT_EQ(Base(0), 0xFF0000u);
  EXPECT_EQ(Base(1), 0xFD0002u);
  EXPECT_EQ(Base(127), 0x0100FEu);
  EXPECT_EQ(Base(128), 0x0000FFu);
  EXPECT_EQ(Base(129), 0x0200FDu);
  EXPECT_EQ(Base(255), 0xFE0001u);
  for (int i = 0; i < 256; ++i) {
    const uint32_t a = Base(i), b = Base((i + 1) % 256);
    EXPECT_EQ(a & 0xFF00u, 0u) << i;
    EXPECT_LE(std::abs(static_cast<int>(a >> 16) - static_cast<int>(b >> 16)), 2) << i;
    EXPECT_LE(std::abs(static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF)), 2) << i;
  }
}

// At 2561 ms the palette has turned whole; at 10000 ms entry k shows base
// entry (231 + k) mod 256.
TEST_F(PlasmaEffectTest, PaletteTurnsByOneLessThanMsOverTenAtExactMultiplesOfTen) {
  const struct {
    uint32_t ms;
    int offset;
  } cases[] = {{0, 0},  {9, 0},      {10, 0},     {11, 1},     {20, 1},
               {21, 2}, {2560, 255}, {2561, 256}, {10000, 999}};
  for (const auto& c : cases) {
    RenderAt(c.ms);
    for (int k = 0; k < 256; ++k)
      ASSERT_EQ(effect->workPalette[k], Base((c.offset + k) % 256)) << c.ms << " ms, entry " << k;
  }
}

TEST_F(PlasmaEffectTest, FirstFrameShowsTheWorkedIndicesThroughTheUnturnedPalette) {
  RenderAt(0);
  EXPECT_EQ(Pixel(0, 0), Base(117));
  EXPECT_EQ(Pixel(0, 0), 0x1500EAu);  // (21, 0, 234)
  EXPECT_EQ(Pixel(1, 0), Base(125));
  EXPECT_EQ(Pixel(0, 1), Base(123));
  EXPECT_EQ(Pixel(159, 119), Base(13));
}

TEST_F(PlasmaEffectTest, NegativeRunningSumsAreCarriedUnsignedAndTruncateDownward) {
  RenderAt(0);
  // A signed accumulator truncating toward zero would give 47 and 171.
  EXPECT_EQ(Pixel(67, 0), Base(46));
  EXPECT_EQ(Pixel(67, 0), 0xA3005Cu);  // (163, 0, 92)
  EXPECT_EQ(Pixel(100, 50), Base(168));
}

// At 668, 891, 1890 and 4473 ms whole rows or columns would change if 1/22,
// 0.04, 0.1 or the x factor 0.05 were taken as doubles instead of singles.
TEST_F(PlasmaEffectTest, EveryPixelMatchesAPerPixelEvaluation) {
  for (uint32_t ms :
       {0u, 1u, 10u, 668u, 891u, 1890u, 2561u, 4473u, 9983u, 10000u, 123457u, 4294967295u}) {
    RenderAt(ms);
    int mismatches = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (Pixel(x, y) != reference::Colour(ms, x, y) && ++mismatches <= 3)
          ADD_FAILURE() << ms << " ms: pixel (" << x << ", " << y << ")";
    EXPECT_EQ(mismatches, 0) << ms << " ms";
  }
}

TEST_F(PlasmaEffectTest, EqualElapsedTimesGiveIdenticalSurfaces) {
  RenderAt(4321);
  const std::vector<uint32_t> first = SurfaceWords();
  RenderAt(6000);
  EXPECT_NE(SurfaceWords(), first);
  RenderAt(4321);
  EXPECT_EQ(SurfaceWords(), first);
}

TEST_F(PlasmaEffectTest, SurfaceIsPageLockedLockedPerFrameAndReleasedAtDestruction) {
  const int id = Ledger().IdOf(effect->surface);
  ASSERT_NE(Ledger().Find(id), nullptr);
  EXPECT_EQ(Ledger().Find(id)->pageLocks, 1);
  RenderAt(50);  // two frames
  EXPECT_EQ(Ledger().Find(id)->locks, 2);
  EXPECT_EQ(Ledger().Find(id)->unlocks, 2);
  delete effect;
  effect = nullptr;
  EXPECT_EQ(Ledger().Find(id)->pageUnlocks, 1);
  EXPECT_EQ(Ledger().Find(id)->releases, 1);
}

// The program itself, played at 60 frames a second: every frame the plasma
// shows is its 160x120 picture enlarged four times over the whole screen.
TEST(PlasmaGoldenTest, CapturedPlasmaFramesMatchTheReferenceFormula) {
  const Section section = Section::OfEffect<PlasmaEffect>(60);
  const uint64_t first = section.first;
  const uint64_t last = section.last;
  const std::vector<uint64_t> wanted = {first, first + 1, first + 150, (first + last) / 2, last};
  std::map<uint64_t, std::vector<uint32_t>> frames = CaptureScreens(wanted);
  ASSERT_EQ(frames.size(), wanted.size());

  for (uint64_t k : wanted) {
    const uint32_t ms = section.OwnMs(k);
    std::vector<uint32_t> picture(kW * kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) picture[y * kW + x] = reference::Colour(ms, x, y);
    const std::vector<uint32_t>& shown = frames[k];
    int mismatches = 0;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        if (shown[y * 640 + x] != picture[(y / 4) * kW + x / 4] && ++mismatches <= 3)
          ADD_FAILURE() << "frame " << k << " (" << ms << " ms): screen (" << x << ", " << y << ")";
    EXPECT_EQ(mismatches, 0) << "frame " << k;
  }
  EXPECT_EQ(section.OwnMs(first), 0u);
}
