// Every metaball kernel against the per-pixel definition (tests/MetaballReference.h).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "effects/MetaballField.h"
#include "tests/MetaballReference.h"

namespace {

constexpr MetaballKernel kFastKernels[] = {MetaballKernel::Exact, MetaballKernel::Sse2,
                                           MetaballKernel::Avx2, MetaballKernel::Wasm};

std::vector<uint32_t> RedRamp() {
  std::vector<uint32_t> palette(256);
  for (uint32_t i = 0; i < 256; ++i) palette[i] = i << 16;
  return palette;
}

using Charges = MetaballCharges;

// Charges where the effect puts them after `ms` of its own time.
Charges EffectCharges(uint32_t ms) { return MetaballChargesAt(ms); }

std::vector<uint32_t> Draw(const Charges& c, const std::vector<uint32_t>& palette, int w, int h,
                           MetaballKernel kernel, int* exactPixels = nullptr) {
  std::vector<uint32_t> out(static_cast<size_t>(w * h), 0xDEADBEEFu);
  const int exact = DrawMetaballField(c.x, c.y, palette.data(), out.data(), w, h, kernel);
  if (exactPixels != nullptr) *exactPixels = exact;
  return out;
}

// Each available kernel draws exactly what the definition draws; returns
// the pixels the fastest vector kernel left to the exact arithmetic.
int ExpectAllKernelsAgree(const Charges& c, const std::vector<uint32_t>& palette, int w = 320,
                          int h = 240) {
  const std::vector<uint32_t> plain = PlainMetaballField(c.x, c.y, palette.data(), w, h);
  int exact = 0;
  for (MetaballKernel kernel : kFastKernels) {
    if (!MetaballKernelAvailable(kernel)) continue;
    const std::vector<uint32_t> fast = Draw(c, palette, w, h, kernel, &exact);
    for (size_t i = 0; i < plain.size(); ++i) {
      if (fast[i] != plain[i]) {
        ADD_FAILURE() << "kernel " << static_cast<int>(kernel) << " at (" << i % w << ", "
                      << i / w << "): " << fast[i] << " instead of " << plain[i];
        return exact;
      }
    }
  }
  return exact;
}

}  // namespace

TEST(MetaballKernels, ExactIsAlwaysAvailableAndSse2OnEveryX86Build) {
  EXPECT_TRUE(MetaballKernelAvailable(MetaballKernel::Exact));
#if defined(__x86_64__) || defined(_M_X64) || defined(__SSE2__)
  EXPECT_TRUE(MetaballKernelAvailable(MetaballKernel::Sse2));
#endif
  EXPECT_TRUE(MetaballKernelAvailable(FastestMetaballKernel()));
}

TEST(MetaballKernels, AgreeWithThePlainFieldOverSevenSecondsOfTheEffect) {
  const std::vector<uint32_t> palette = RedRamp();
  for (uint32_t ms = 0; ms <= 7000; ms += 53) {
    SCOPED_TRACE(ms);
    ExpectAllKernelsAgree(EffectCharges(ms), palette);
  }
}

TEST(MetaballKernels, AgreeWhereChargesSitOnPixelsAndFieldsAreWholeNumbers) {
  // Three charges on one pixel: d2 = 0 there, and 3 * 70000 / d2 is a whole
  // number wherever d2 divides 210000 (d2 = 1000 at (30, 10) away gives
  // 210), which the float approximation can never decide.
  const std::vector<uint32_t> palette = RedRamp();
  const int exact = ExpectAllKernelsAgree({{100, 100, 100}, {120, 120, 120}}, palette);
  EXPECT_GT(exact, 0);
  // Charges on pixels, on half and quarter pixels, a hair off a pixel, and
  // on the surface's edges.
  ExpectAllKernelsAgree({{0, 319, 160}, {0, 239, 120}}, palette);
  ExpectAllKernelsAgree({{10.5f, 200.25f, 160.75f}, {20.5f, 100.25f, 239.5f}}, palette);
  const float hair = std::ldexp(1.0f, -16);
  ExpectAllKernelsAgree({{150 + hair, 150 - hair, 150}, {100, 100 + hair, 100 - hair}}, palette);
  // Far off the surface: the whole field lies below 1, black.
  ExpectAllKernelsAgree({{-900, 1300, 160}, {-700, 1200, 1500}}, palette);
  // Squared distances too small for floats' normal range (a charge 2^-70
  // from pixel (0, 0)), and charges so far off that the kernels step aside
  // (beyond 2^19) or just within reach.
  const float speck = std::ldexp(1.0f, -70);
  ExpectAllKernelsAgree({{speck, speck, 2}, {0, speck, 1}}, palette);
  ExpectAllKernelsAgree({{3e6f, -1e9f, 160}, {100, 7e5f, 120}}, palette);
  ExpectAllKernelsAgree({{524000, -524000, 160}, {100, 524000, 120}}, palette);
}

TEST(MetaballKernels, AgreeForRandomChargesInAndAroundTheSurface) {
  const std::vector<uint32_t> palette = RedRamp();
  std::mt19937 random(2024);
  std::uniform_real_distribution<float> column(-40.0f, 360.0f), row(-40.0f, 280.0f);
  for (int n = 0; n < 60; ++n) {
    Charges c{};
    for (int k = 0; k < 3; ++k) {
      c.x[k] = column(random);
      c.y[k] = row(random);
    }
    SCOPED_TRACE(n);
    ExpectAllKernelsAgree(c, palette);
  }
}

TEST(MetaballKernels, AgreeForAnyPaletteAndForWidthsThatLeaveATail) {
  std::vector<uint32_t> palette(256);
  std::mt19937 random(5);
  for (uint32_t& entry : palette) entry = static_cast<uint32_t>(random());
  ExpectAllKernelsAgree(EffectCharges(1234), palette);
  const std::vector<uint32_t> red = RedRamp();
  const Charges near{{3.5f, 1, 6}, {2, 4.25f, 1}};
  for (int w : {1, 3, 4, 5, 7, 8, 9, 13, 17})
    for (int h : {1, 2, 5}) ExpectAllKernelsAgree(near, red, w, h);
}

TEST(MetaballKernels, WriteExactlyWidthTimesHeightWords) {
  const std::vector<uint32_t> palette = RedRamp();
  const Charges c = EffectCharges(0);
  for (MetaballKernel kernel : kFastKernels) {
    if (!MetaballKernelAvailable(kernel)) continue;
    std::vector<uint32_t> out(13 * 3 + 1, 0x12345678u);
    DrawMetaballField(c.x, c.y, palette.data(), out.data(), 13, 3, kernel);
    EXPECT_EQ(out.back(), 0x12345678u) << static_cast<int>(kernel);
  }
}

// The kernels' tables hold the effect's 320x240: a larger surface is refused
// whole, never drawn past those tables.
TEST(MetaballKernels, RefuseASurfaceLargerThanTheEffectsAndWriteNothing) {
  const std::vector<uint32_t> palette = RedRamp();
  const Charges c = EffectCharges(0);
  for (const auto& [w, h] : {std::pair{kMetaballMaxWidth + 1, 1}, std::pair{1, kMetaballMaxHeight + 1}}) {
    std::vector<uint32_t> out(static_cast<size_t>(w * h), 0x12345678u);
    for (MetaballKernel kernel : kFastKernels)
      EXPECT_EQ(DrawMetaballField(c.x, c.y, palette.data(), out.data(), w, h, kernel), -1);
    EXPECT_EQ(out, std::vector<uint32_t>(out.size(), 0x12345678u));
  }
}
