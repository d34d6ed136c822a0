// The frame in a window of another size (platform/Letterbox.h): the largest
// rectangle of its shape, centred, black around, nearest pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Letterbox.h"

using platform::LetterboxRect;
using platform::LetterboxScaler;

namespace {

void ExpectRect(const platform::ShownRect& r, int x, int y, int width, int height) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.width, width);
  EXPECT_EQ(r.height, height);
}

// A 640x480 frame whose every pixel differs from every other.
std::vector<uint32_t> NumberedFrame() {
  std::vector<uint32_t> frame(640 * 480);
  for (uint32_t i = 0; i < frame.size(); ++i) frame[i] = i + 1;
  return frame;
}

struct Shown {
  int width, height;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The numbered frame drawn into an area of that size, whose rows have a few
// pixels of padding; the area starts out filled with junk.
Shown Draw(int width, int height) {
  const std::vector<uint32_t> frame = NumberedFrame();
  const int pitchPixels = width + 3;
  std::vector<uint32_t> area(static_cast<size_t>(pitchPixels) * height, 0xDEADBEEF);
  LetterboxScaler scaler;
  scaler.Fit(640, 480, width, height);
  scaler.Draw(frame.data(), area.data(), static_cast<size_t>(pitchPixels) * 4);
  Shown shown{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      shown.pixels.push_back(area[static_cast<size_t>(y) * pitchPixels + x]);
  return shown;
}

}  // namespace

TEST(Letterbox, TheFrameTakesTheLargestRectangleOfItsShapeCentred) {
  ExpectRect(LetterboxRect(640, 480, 640, 480), 0, 0, 640, 480);
  ExpectRect(LetterboxRect(1920, 1080, 640, 480), 240, 0, 1440, 1080);  // bars left and right
  ExpectRect(LetterboxRect(1280, 1024, 640, 480), 0, 32, 1280, 960);    // bars above and below
  ExpectRect(LetterboxRect(390, 844, 640, 480), 0, 276, 390, 292);      // a phone, upright
  ExpectRect(LetterboxRect(1281, 1024, 640, 480), 0, 32, 1281, 960);    // 960.75 rounds down
  ExpectRect(LetterboxRect(1366, 768, 640, 480), 171, 0, 1024, 768);    // even margins, 171 each
  // An odd margin leaves its odd pixel to the right or the bottom.
  ExpectRect(LetterboxRect(641, 480, 640, 480), 0, 0, 640, 480);        // 0 left, 1 right
  ExpectRect(LetterboxRect(1367, 768, 640, 480), 171, 0, 1024, 768);    // 171 left, 172 right
  ExpectRect(LetterboxRect(640, 481, 640, 480), 0, 0, 640, 480);        // 0 above, 1 below
  ExpectRect(LetterboxRect(1280, 1025, 640, 480), 0, 32, 1280, 960);    // 32 above, 33 below
  ExpectRect(LetterboxRect(0, 480, 640, 480), 0, 0, 0, 0);
  ExpectRect(LetterboxRect(640, -1, 640, 480), 0, 0, 0, 0);
  ExpectRect(LetterboxRect(640, 480, 0, 480), 0, 0, 0, 0);
}

TEST(Letterbox, AtTheFramesOwnSizeTheFrameIsCopiedUnchanged) {
  const Shown shown = Draw(640, 480);
  EXPECT_EQ(shown.pixels, NumberedFrame());
}

// One pixel more each way: the frame unchanged in the top left, the odd
// column on the right and the odd row at the bottom black.
TEST(Letterbox, AnOddPixelLeftOverIsABlackBarOnTheRightAndAtTheBottom) {
  const std::vector<uint32_t> frame = NumberedFrame();
  for (const auto& [width, height] : {std::pair{641, 480}, std::pair{640, 481}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    const Shown shown = Draw(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const uint32_t expected =
            x < 640 && y < 480 ? frame[static_cast<size_t>(y) * 640 + x] : 0u;
        ASSERT_EQ(shown.At(x, y), expected) << "at " << x << "," << y;
      }
  }
}

TEST(Letterbox, AtTwiceTheSizeEachPixelBecomesATwoByTwoBlockAndTheBarsAreBlack) {
  const Shown shown = Draw(1280, 1024);
  for (int y = 0; y < 1024; ++y)
    for (int x = 0; x < 1280; ++x) {
      const uint32_t expected =
          y < 32 || y >= 992 ? 0u : static_cast<uint32_t>((y - 32) / 2 * 640 + x / 2 + 1);
      ASSERT_EQ(shown.At(x, y), expected) << "at " << x << "," << y;
    }
}

// At 9/4 the frame pixel under a shown pixel's centre is taken; centres that
// fall exactly on a border between two frame pixels take the later one. No
// frame pixel is lost.
TEST(Letterbox, AtAnyOtherSizeEachShownPixelIsTheFramePixelUnderItsCentre) {
  const Shown shown = Draw(1920, 1080);
  std::set<uint32_t> seen;
  for (int y = 0; y < 1080; ++y)
    for (int x = 0; x < 1920; ++x) {
      if (x < 240 || x >= 1680) {
        ASSERT_EQ(shown.At(x, y), 0u) << "at " << x << "," << y;
        continue;
      }
      const int fx = static_cast<int>(std::floor((x - 240 + 0.5) * 640.0 / 1440.0));
      const int fy = static_cast<int>(std::floor((y + 0.5) * 480.0 / 1080.0));
      ASSERT_EQ(shown.At(x, y), static_cast<uint32_t>(fy * 640 + fx + 1)) << "at " << x << "," << y;
      seen.insert(shown.At(x, y));
    }
  EXPECT_EQ(seen.size(), 640u * 480u);

  // Made smaller, every other pixel is shown, from the second on.
  const Shown half = Draw(320, 240);
  EXPECT_EQ(half.At(0, 0), 1u * 640 + 1 + 1);
  EXPECT_EQ(half.At(319, 239), 479u * 640 + 639 + 1);
}

TEST(Letterbox, SixteenBitPixelsAndRefittingWork) {
  std::vector<uint16_t> frame(640 * 480);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint16_t>(i % 60000 + 1);
  LetterboxScaler scaler;
  std::vector<uint16_t> area(1280 * 1024, 0xFFFF);
  scaler.Fit(640, 480, 640, 480);
  ExpectRect(scaler.Fit(640, 480, 1280, 1024), 0, 32, 1280, 960);
  scaler.Draw(frame.data(), area.data(), 1280 * 2);
  EXPECT_EQ(area[0], 0);
  EXPECT_EQ(area[32 * 1280], frame[0]);
  EXPECT_EQ(area[33 * 1280 + 1], frame[0]);
  EXPECT_EQ(area[(32 + 959) * 1280 + 1279], frame[640 * 480 - 1]);
  EXPECT_EQ(area[1023 * 1280 + 1279], 0);
}
