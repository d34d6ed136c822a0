// The plasma's whole-number pixel loop against the plain one, on the values
// the show gives and on those at the edges of the bound that lets it run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "effects/PlasmaEffect.h"

namespace {

struct Field {
  std::vector<uint32_t> columnAcc;
  std::vector<double> rowT3;
  std::vector<double> rowT4;
};

std::vector<uint32_t> Draw(const Field& f, const std::vector<uint32_t>& palette, PlasmaPath path,
                           int* plainRows = nullptr) {
  const int width = static_cast<int>(f.columnAcc.size());
  const int height = static_cast<int>(f.rowT3.size());
  std::vector<uint32_t> out(static_cast<size_t>(width * height) + 1, 0xDEADBEEFu);
  const int plain = DrawPlasmaPixels(f.columnAcc.data(), width, f.rowT3.data(), f.rowT4.data(),
                                     height, palette.data(), out.data(), path);
  if (plainRows != nullptr) *plainRows = plain;
  EXPECT_EQ(out.back(), 0xDEADBEEFu) << "wrote past the last pixel";
  out.pop_back();
  return out;
}

std::vector<uint32_t> RandomPalette(uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint32_t> palette(256);
  for (uint32_t& entry : palette) entry = static_cast<uint32_t>(random());
  return palette;
}

// Accumulators where the sums cross zero and wrap: 0 .. 400 and the top 400
// below 2^32, and a few from anywhere.
std::vector<uint32_t> EdgeAccumulators(std::mt19937& random) {
  std::vector<uint32_t> acc;
  for (uint32_t c = 0; c <= 400; c += 3) acc.push_back(c);
  for (uint32_t c = 0; c <= 400; c += 3) acc.push_back(0xFFFFFFFFu - c);
  for (int k = 0; k < 21; ++k) acc.push_back(static_cast<uint32_t>(random()));
  return acc;
}

}  // namespace

TEST(PlasmaPixels, TheWholeNumberWayMatchesThePlainWayOverTheTermsOfTheShow) {
  // Terms anywhere in the range the show gives them (|t3| <= 100,
  // |t4| <= 80), all of them settled by the whole-number way.
  std::mt19937 random(11);
  std::uniform_real_distribution<double> term(-100.0, 100.0);
  Field f{EdgeAccumulators(random), {}, {}};
  for (int y = 0; y < 300; ++y) {
    f.rowT3.push_back(term(random));
    f.rowT4.push_back(term(random) * 0.8);
  }
  const std::vector<uint32_t> palette = RandomPalette(3);
  int plainRows = -1;
  const std::vector<uint32_t> fast = Draw(f, palette, PlasmaPath::Fast, &plainRows);
  EXPECT_EQ(fast, Draw(f, palette, PlasmaPath::Plain));
  EXPECT_EQ(plainRows, 0);
}

TEST(PlasmaPixels, TermsTooCloseToAWholeNumberTakeThePlainWayAndAgreeEitherWay) {
  // Just inside and just outside the margin of 2^-15 around whole numbers,
  // whole numbers themselves, halves, and terms too large for the bound.
  const double margin = std::ldexp(1.0, -15);
  const std::vector<double> settled = {-3.0 + margin, 7.0 - margin, 0.5, -0.5, 99.5};
  const std::vector<double> unsettled = {-3.0,           0.0,  42.0, -3.0 + margin / 2,
                                         7.0 - margin / 2, std::ldexp(1.0, -40),
                                         -std::ldexp(1.0, -40), 2097152.25, -2097152.75};
  std::mt19937 random(5);
  Field f{EdgeAccumulators(random), {}, {}};
  int expectedPlain = 0;
  for (double a : settled)
    for (double b : settled) {
      f.rowT3.push_back(a);
      f.rowT4.push_back(b);
    }
  for (double a : unsettled)
    for (double b : settled) {
      f.rowT3.push_back(a);
      f.rowT4.push_back(b);
      f.rowT3.push_back(b);
      f.rowT4.push_back(a);
      expectedPlain += 2;
    }
  const std::vector<uint32_t> palette = RandomPalette(4);
  int plainRows = -1;
  const std::vector<uint32_t> fast = Draw(f, palette, PlasmaPath::Fast, &plainRows);
  EXPECT_EQ(fast, Draw(f, palette, PlasmaPath::Plain));
  EXPECT_EQ(plainRows, expectedPlain);
}

TEST(PlasmaPixels, RowsOfAnyWidthAreWrittenWholeAndNoFurther) {
  std::mt19937 random(9);
  std::uniform_real_distribution<double> term(-100.0, 100.0);
  const std::vector<uint32_t> palette = RandomPalette(8);
  for (int width : {1, 3, 4, 5, 7, 8, 9, 160}) {
    Field f;
    for (int x = 0; x < width; ++x) f.columnAcc.push_back(static_cast<uint32_t>(random()) % 600u - 300u);
    for (int y = 0; y < 5; ++y) {
      f.rowT3.push_back(term(random));
      f.rowT4.push_back(term(random));
    }
    EXPECT_EQ(Draw(f, palette, PlasmaPath::Fast), Draw(f, palette, PlasmaPath::Plain)) << width;
  }
}
