// The program's icon: the averaging that shrinks the show's frame, and the
// committed icons being what the generator draws.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/PngFile.h"
#include "tools/icon/Icon.h"

namespace {

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

}  // namespace

TEST(IconShrink, AUniformSquareKeepsItsColourAtEverySize) {
  const std::vector<uint32_t> square(7 * 7, Rgb(200, 17, 3));
  for (int size = 1; size <= 7; ++size) {
    SCOPED_TRACE(size);
    EXPECT_EQ(ShrinkSquare(square.data(), 7, 0, 0, 7, size),
              std::vector<uint32_t>(static_cast<size_t>(size * size), Rgb(200, 17, 3)));
  }
}

TEST(IconShrink, EachPixelIsTheAreaWeightedMeanRoundedPerChannel) {
  // Whole pixels: 2x2 to 1x1 is the plain mean, rounded to the nearest.
  const std::vector<uint32_t> four = {Rgb(0, 1, 255), Rgb(0, 0, 255), Rgb(0, 0, 255),
                                      Rgb(3, 1, 0)};
  EXPECT_EQ(ShrinkSquare(four.data(), 2, 0, 0, 2, 1), std::vector<uint32_t>{Rgb(1, 1, 191)});

  // Parts of pixels: 3x3 to 2x2, where each result pixel covers one whole
  // source pixel, half of two and a quarter of the middle one: the middle
  // alone at 255 gives each 255 / 9 = 28.3; a corner at 90 gives its own
  // result pixel 90 * 4 / 9 = 40 and the others nothing.
  std::vector<uint32_t> middle(9, 0);
  middle[4] = Rgb(255, 255, 255);
  EXPECT_EQ(ShrinkSquare(middle.data(), 3, 0, 0, 3, 2),
            std::vector<uint32_t>(4, Rgb(28, 28, 28)));
  std::vector<uint32_t> corner(9, 0);
  corner[0] = Rgb(90, 0, 0);
  EXPECT_EQ(ShrinkSquare(corner.data(), 3, 0, 0, 3, 2),
            (std::vector<uint32_t>{Rgb(40, 0, 0), 0, 0, 0}));
}

TEST(IconShrink, OnlyTheSquareCountsNotThePictureAroundIt) {
  // A 2x2 square at (1, 1) of a 4x3 picture whose other pixels are white.
  std::vector<uint32_t> picture(4 * 3, Rgb(255, 255, 255));
  picture[1 * 4 + 1] = Rgb(10, 20, 30);
  picture[1 * 4 + 2] = Rgb(10, 20, 30);
  picture[2 * 4 + 1] = Rgb(30, 40, 50);
  picture[2 * 4 + 2] = Rgb(30, 40, 50);
  EXPECT_EQ(ShrinkSquare(picture.data(), 4, 1, 1, 2, 1), std::vector<uint32_t>{Rgb(20, 30, 40)});
  EXPECT_EQ(ShrinkSquare(picture.data(), 4, 1, 1, 2, 2),
            (std::vector<uint32_t>{Rgb(10, 20, 30), Rgb(10, 20, 30), Rgb(30, 40, 50),
                                   Rgb(30, 40, 50)}));
}

TEST(IconAssets, TheCommittedIconsAreWhatTheGeneratorDraws) {
  std::vector<uint32_t> frame;
  std::string error;
  ASSERT_TRUE(RenderIconFrame(frame, error)) << error;
  for (const int size : kIconSizes) {
    const std::string file = std::string(BRINDLEMOX_SOURCE_DIR) + "/assets/icons/" + IconPath(size);
    SCOPED_TRACE(file);
    DecodedPicture committed;
    ASSERT_TRUE(DecodePngFile(file.c_str(), committed, error)) << error;
    EXPECT_EQ(committed.width, size);
    EXPECT_EQ(committed.height, size);
    EXPECT_TRUE(committed.pixels == DrawIcon(frame, size)) << "the committed icon differs";
  }
}
