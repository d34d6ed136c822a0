#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/Helpers.h"

TEST(FloatToInt, TruncatesTowardZero) {
  EXPECT_EQ(FloatToInt(0.0), 0);
  EXPECT_EQ(FloatToInt(-0.0), 0);
  EXPECT_EQ(FloatToInt(0.999999), 0);
  EXPECT_EQ(FloatToInt(-0.999999), 0);
  EXPECT_EQ(FloatToInt(1.0), 1);
  EXPECT_EQ(FloatToInt(1.9999), 1);
  EXPECT_EQ(FloatToInt(-1.9999), -1);
  EXPECT_EQ(FloatToInt(106.99999999), 106);
  EXPECT_EQ(FloatToInt(-22.62), -22);
  EXPECT_EQ(FloatToInt(2147483647.9), 2147483647);
  EXPECT_EQ(FloatToInt(-2147483647.9), -2147483647);
}

TEST(FloatToInt, AgreesWithTheLanguageConversionOverManyValues) {
  uint32_t state = 12345;
  for (int i = 0; i < 100000; ++i) {
    state = state * 1664525u + 1013904223u;
    const double magnitude = std::ldexp(static_cast<double>(state), -(static_cast<int>(state % 40)));
    const double v = (state & 1) ? -magnitude : magnitude;
    if (std::fabs(v) >= 2147483648.0) continue;
    ASSERT_EQ(FloatToInt(v), static_cast<int32_t>(v)) << v;
  }
}

TEST(FloatToInt, OutOfRangeInfinityAndNanGiveTheIndefiniteValue) {
  EXPECT_EQ(FloatToInt(2147483648.0), INT32_MIN);
  EXPECT_EQ(FloatToInt(1e300), INT32_MIN);
  EXPECT_EQ(FloatToInt(std::numeric_limits<double>::infinity()), INT32_MIN);
  EXPECT_EQ(FloatToInt(-std::numeric_limits<double>::infinity()), INT32_MIN);
  EXPECT_EQ(FloatToInt(std::numeric_limits<double>::quiet_NaN()), INT32_MIN);
}

TEST(Random, SequenceFromSeedOneIsTheClassicOne) {
  SeedRandom(1);
  EXPECT_EQ(NextRandom(), 41u);
  EXPECT_EQ(NextRandom(), 18467u);
  EXPECT_EQ(NextRandom(), 6334u);
  EXPECT_EQ(NextRandom(), 26500u);
  EXPECT_EQ(NextRandom(), 19169u);
}

TEST(Random, NeverExceeds32767AndReseedingRepeats) {
  SeedRandom(0xDEADBEEF);
  uint32_t first[8];
  for (uint32_t& v : first) v = NextRandom();
  for (int i = 0; i < 100000; ++i) ASSERT_LE(NextRandom(), 32767u);
  SeedRandom(0xDEADBEEF);
  for (uint32_t v : first) EXPECT_EQ(NextRandom(), v);
}

TEST(PackRgb, PacksRedGreenBlueAndCutsEachToAByte) {
  uint32_t palette[4] = {};
  PackRgb(palette, 2, 0x12, 0x34, 0x56);
  EXPECT_EQ(palette[2], 0x00123456u);
  PackRgb(palette, 1, 0x1FF, -1, 256);
  EXPECT_EQ(palette[1], 0x00FFFF00u);
  EXPECT_EQ(palette[0], 0u);
}
