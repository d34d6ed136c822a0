#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "effects/TileZoomEffect.h"
#include "framework/PngFile.h"
#include "tests/EffectTestSupport.h"
#include "tests/PixelChecks.h"
#include "tests/ScratchDirectory.h"
#include "tools/picture/Picture.h"
#include "tools/png/PngWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr int kW = 640;
constexpr int kH = 480;
using Frame = std::vector<uint32_t>;

// The cells of the 3x2 grid, row by row from the top.
const RECT kCells[6] = {{0, 0, 213, 240},   {213, 0, 426, 240},   {426, 0, 640, 240},
                        {0, 240, 213, 480}, {213, 240, 426, 480}, {426, 240, 640, 480}};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

#define EXPECT_RECT(actual, l, t, r, b) \
  EXPECT_PRED2(SameRect, actual, (QelGFX::Rect(l, t, r, b))) << Show(actual)

// Where a cell's tile lands after ownMs ms, worked out directly: progress
// from the exact values of the float constants, rounded to float, then the
// size truncated and the margin halved.
RECT ExpectedDestination(const RECT& cell, uint64_t ownMs) {
  double p = static_cast<double>(static_cast<uint32_t>(ownMs)) * 0.0010000000474974513 *
             0.1666666716337204;
  if (p > 1.0) p = 1.0;
  const double s = static_cast<float>(p);
  const int w = cell.right - cell.left;
  const int h = cell.bottom - cell.top;
  const int newW = static_cast<int>(w * s);
  const int newH = static_cast<int>(h * s);
  const int left = cell.left + (w - newW) / 2;
  const int top = cell.top + (h - newH) / 2;
  return {left, top, left + newW, top + newH};
}

// The frame after ownMs ms: each tile's cell of the picture, stretched by
// sampling under each destination pixel's centre, over `ground`.
Frame ExpectedFrame(const Frame& picture, uint64_t ownMs, uint32_t ground = 0) {
  Frame out(kW * kH, ground);
  for (const RECT& cell : kCells) {
    const RECT d = ExpectedDestination(cell, ownMs);
    const int dw = d.right - d.left, dh = d.bottom - d.top;
    const int sw = cell.right - cell.left, sh = cell.bottom - cell.top;
    for (int j = 0; j < dh; ++j)
      for (int i = 0; i < dw; ++i) {
        const int sx = cell.left + (2 * i + 1) * sw / (2 * dw);
        const int sy = cell.top + (2 * j + 1) * sh / (2 * dh);
        out[(d.top + j) * kW + d.left + i] = picture[sy * kW + sx];
      }
  }
  return out;
}

// Empty when the frames agree; otherwise the first differing pixel.
std::string FirstDifference(const uint32_t* actual, const Frame& expected) {
  for (int i = 0; i < kW * kH; ++i)
    if (actual[i] != expected[static_cast<size_t>(i)])
      return "pixel (" + std::to_string(i % kW) + ", " + std::to_string(i / kW) + ") is " +
             std::to_string(actual[i]) + ", expected " +
             std::to_string(expected[static_cast<size_t>(i)]);
  return {};
}

// The 640x480 picture in the file, into `picture`. A fatal failure when it
// cannot be read, so that the caller stops (ASSERT_NO_FATAL_FAILURE) instead
// of comparing frames against pixels that are not there.
void DecodePicture640(const char* file, Frame& picture) {
  DecodedPicture decoded;
  std::string reason;
  ASSERT_TRUE(DecodePngFile(file, decoded, reason)) << file << ": " << reason;
  ASSERT_EQ(decoded.width, kW) << file;
  ASSERT_EQ(decoded.height, kH) << file;
  ASSERT_EQ(decoded.pixels.size(), static_cast<size_t>(kW * kH)) << file;
  picture = std::move(decoded.pixels);
}

// One tile zoom on a headless device, driven frame by frame.
class TileZoomTest : public EffectFixture<TileZoomEffect> {
 protected:
  // Draws one frame with the counter at `ms` ms.
  const uint32_t* RenderAt(uint64_t ms) {
    SetVirtualClockMs(ms);
    effect->Render();
    return backBuffer->Pixels();
  }
};

// The tile zoom's frames at 60 frames a second: 1 to 480 (frame 481 is at
// 8000 ms), its own clock starting in frame 1.
const Section kSection = Section::OfEffect<TileZoomEffect>(60);

struct CaptureResult {
  int exitCode = -1;
  std::string stderrText;
};

// Runs the program through the capture tool up to frame lastFrame, handing
// each frame to `look` as it is shown.
CaptureResult CaptureFrames(uint32_t fps, uint64_t lastFrame,
                            const std::function<void(uint64_t, const uint32_t*)>& look) {
  CaptureOptions options;
  options.fps = fps;
  options.seed = 7;
  options.frames = {{1, lastFrame}};
  CaptureResult result;
  std::string error;
  testing::internal::CaptureStderr();
  result.exitCode = RunCapture(
      options,
      [&](uint64_t k, const uint32_t* pixels, int, int, std::string&) {
        look(k, pixels);
        return true;
      },
      error);
  result.stderrText = testing::internal::GetCapturedStderr();
  return result;
}

bool AllBlack(const uint32_t* pixels) { return AllOneColour(pixels, kW * kH, 0); }

}  // namespace

TEST(TileZoomScaleRect, MatchesTheWorkedValuesAtZeroHalfAndFullTime) {
  // Tiles 0, 2, 4 and 5: at 0 ms empty at the cell centres; at 3000 ms half
  // size, the 214-wide column keeping its odd pixel on the right; at 5999 ms
  // one pixel short at the right and bottom; from 6000 ms the cell itself.
  const struct {
    uint32_t ms;
    RECT tile[4];
  } cases[] = {
      {0, {{106, 120, 106, 120}, {533, 120, 533, 120}, {319, 360, 319, 360}, {533, 360, 533, 360}}},
      {3000, {{53, 60, 159, 180}, {479, 60, 586, 180}, {266, 300, 372, 420}, {479, 300, 586, 420}}},
      {5999, {{0, 0, 212, 239}, {426, 0, 639, 239}, {213, 240, 425, 479}, {426, 240, 639, 479}}},
      {6000, {kCells[0], kCells[2], kCells[4], kCells[5]}},
  };
  for (const auto& c : cases) {
    const float scale = static_cast<float>(TileZoomProgress(c.ms));
    const int tiles[4] = {0, 2, 4, 5};
    for (int i = 0; i < 4; ++i) {
      const RECT& e = c.tile[i];
      EXPECT_RECT(ScaleRect(kCells[tiles[i]], scale), e.left, e.top, e.right, e.bottom)
          << "tile " << tiles[i] << " at " << c.ms << " ms";
    }
  }
}

TEST(TileZoomScaleRect, TruncatesTheScaledSizeAndGivesTheOddPixelToTheFarSide) {
  const RECT r = QelGFX::Rect(10, 20, 17, 29);  // 7 x 9
  EXPECT_RECT(ScaleRect(r, 0.5f), 12, 22, 15, 26);  // 3.5 -> 3, 4.5 -> 4
  EXPECT_RECT(ScaleRect(r, 0.999f), 10, 20, 16, 28);
  EXPECT_RECT(ScaleRect(r, 1.0f), 10, 20, 17, 29);
}

TEST(TileZoomScaleRect, EveryMillisecondsRectangleIsCentredAndContainsTheLastOne) {
  for (const RECT& cell : kCells) {
    RECT previous = ScaleRect(cell, 0.0f);
    for (uint32_t ms = 1; ms <= 6000; ++ms) {
      const RECT r = ScaleRect(cell, static_cast<float>(TileZoomProgress(ms)));
      ASSERT_TRUE(r.left <= previous.left && r.top <= previous.top &&
                  r.right >= previous.right && r.bottom >= previous.bottom)
          << ms << " ms: " << Show(r) << " does not contain " << Show(previous);
      const int leftMargin = r.left - cell.left, rightMargin = cell.right - r.right;
      const int topMargin = r.top - cell.top, bottomMargin = cell.bottom - r.bottom;
      ASSERT_TRUE(leftMargin >= 0 && topMargin >= 0) << ms << " ms: " << Show(r);
      ASSERT_TRUE(rightMargin - leftMargin == 0 || rightMargin - leftMargin == 1)
          << ms << " ms: " << Show(r);
      ASSERT_TRUE(bottomMargin - topMargin == 0 || bottomMargin - topMargin == 1)
          << ms << " ms: " << Show(r);
      previous = r;
    }
  }
}

TEST(TileZoomProgress, RisesOverSixSecondsAndIsClampedAtOneFromThenOn) {
  EXPECT_EQ(TileZoomProgress(0), 0.0);
  EXPECT_EQ(static_cast<float>(TileZoomProgress(3000)), 0.50000006f);
  EXPECT_LT(TileZoomProgress(5999), 1.0);
  EXPECT_EQ(TileZoomProgress(6000), 1.0);
  EXPECT_EQ(TileZoomProgress(6001), 1.0);
  EXPECT_EQ(TileZoomProgress(2147483647u), 1.0);
  EXPECT_EQ(TileZoomProgress(2147483648u), 1.0);
  EXPECT_EQ(TileZoomProgress(4294967295u), 1.0);
}

TEST_F(TileZoomTest, TilesAreTheThreeByTwoGridWithTheWiderLastColumn) {
  EXPECT_EQ(effect->width, kW);
  EXPECT_EQ(effect->height, kH);
  for (int tile = 0; tile < 6; ++tile)
    EXPECT_RECT(effect->tiles[tile], kCells[tile].left, kCells[tile].top, kCells[tile].right,
                kCells[tile].bottom)
        << "tile " << tile;
}

TEST_F(TileZoomTest, TheFirstFrameIsBlackAndTheSixthSecondShowsThePictureWhole) {
  EXPECT_TRUE(AllBlack(RenderAt(0)));
  Frame picture;
  ASSERT_NO_FATAL_FAILURE(DecodePicture640("pvn_quad.png", picture));
  EXPECT_EQ(FirstDifference(RenderAt(6000), picture), "");
}

TEST_F(TileZoomTest, ElapsedTimesOfTwoToTheThirtyOneMsAndMoreStillShowThePictureWhole) {
  Frame picture;
  ASSERT_NO_FATAL_FAILURE(DecodePicture640("pvn_quad.png", picture));
  RenderAt(0);
  EXPECT_EQ(FirstDifference(RenderAt(2147483648ull), picture), "");
  EXPECT_EQ(FirstDifference(RenderAt(4294967295ull), picture), "");
}

TEST_F(TileZoomTest, TheWorkSurfaceKeepsWhatItHeldAroundTheGrowingTiles) {
  // Whatever is on the work surface before the first frame stays outside the
  // tiles: the effect never clears it.
  device->ClearSurf(0x00336699, effect->surface);
  Frame picture;
  ASSERT_NO_FATAL_FAILURE(DecodePicture640("pvn_quad.png", picture));
  RenderAt(0);
  EXPECT_EQ(FirstDifference(RenderAt(1500), ExpectedFrame(picture, 1500, 0x00336699)), "");
  EXPECT_EQ(FirstDifference(RenderAt(3000), ExpectedFrame(picture, 3000, 0x00336699)), "");
}

TEST_F(TileZoomTest, ATileIsCopiedAgainOnlyWhenItsRectangleChanges) {
  // A mark on the work surface inside tile 0 (53, 60)-(159, 180) at 3000 ms
  // survives a frame with the same rectangles and goes with the next change,
  // growing or (the clock set back) shrinking.
  Frame picture;
  ASSERT_NO_FATAL_FAILURE(DecodePicture640("pvn_quad.png", picture));
  auto mark = [&] { effect->surface->Pixels()[100 * kW + 100] = 0x00ABCDEFu; };
  RenderAt(0);
  RenderAt(3000);
  mark();
  EXPECT_EQ(RenderAt(3000)[100 * kW + 100], 0x00ABCDEFu);
  EXPECT_EQ(FirstDifference(RenderAt(3100), ExpectedFrame(picture, 3100)), "");
  mark();
  // The tiles shrank: drawn again, with the larger old ones around them.
  Frame expected = ExpectedFrame(picture, 3100);
  const Frame smaller = ExpectedFrame(picture, 2900);
  for (const RECT& cell : kCells) {
    const RECT d = ExpectedDestination(cell, 2900);
    for (int y = d.top; y < d.bottom; ++y)
      for (int x = d.left; x < d.right; ++x) expected[y * kW + x] = smaller[y * kW + x];
  }
  EXPECT_EQ(FirstDifference(RenderAt(2900), expected), "");
}

TEST_F(TileZoomTest, EachSurfaceIsPageLockedOnceAndReleasedOnceAtShutDown) {
  RenderAt(0);
  RenderAt(3000);
  CloseDevice();
  const SurfaceLedger& ledger = Ledger();
  ASSERT_EQ(ledger.surfaces.size(), 3u);  // back buffer, work surface, picture
  for (size_t id = 0; id < ledger.surfaces.size(); ++id) {
    const SurfaceRecord& r = ledger.surfaces[id];
    EXPECT_EQ(r.width, kW);
    EXPECT_EQ(r.height, kH);
    EXPECT_EQ(r.releases, 1) << "surface " << id;
    EXPECT_FALSE(r.pageLockedAtRelease) << "surface " << id;
    EXPECT_EQ(r.pageLocks, id == 0 ? 0 : 1) << "surface " << id;
    EXPECT_EQ(r.pageUnlocks, r.pageLocks) << "surface " << id;
    EXPECT_EQ(r.locks, 0) << "surface " << id;
  }
  EXPECT_EQ(ledger.surfacesAliveAtDeviceDestruction, 0);
}

TEST_F(TileZoomTest, APictureOfAnotherSizeIsStretchedToTheWholeScreen) {
  ScratchWorkingDirectory cwd;
  Frame small(320 * 240);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      small[static_cast<size_t>(y * 320 + x)] = static_cast<uint32_t>(x << 12 | y);
  std::string reason;
  ASSERT_TRUE(EncodePngFile("pvn_quad.png", small.data(), 320, 240, reason)) << reason;
  delete effect;  // the fixture's loaded the real picture
  effect = new TileZoomEffect(device);
  Frame doubled(kW * kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      doubled[static_cast<size_t>(y * kW + x)] = small[static_cast<size_t>(y / 2 * 320 + x / 2)];
  RenderAt(0);
  EXPECT_EQ(FirstDifference(RenderAt(3000), ExpectedFrame(doubled, 3000)), "");
  EXPECT_EQ(FirstDifference(RenderAt(7000), doubled), "");
}

// Golden check of the whole section at 60 frames a second, through the
// capture tool.
TEST(TileZoomGolden, EveryFrameOfTheSectionTakesEachPixelFromWhereItsTileLands) {
  Frame picture;
  ASSERT_NO_FATAL_FAILURE(DecodePicture640("pvn_quad.png", picture));
  uint64_t seen = 0;
  const auto look = [&](uint64_t k, const uint32_t* pixels) {
    ++seen;
    const uint64_t ownMs = kSection.OwnMs(k);
    ASSERT_EQ(FirstDifference(pixels, ExpectedFrame(picture, ownMs)), "")
        << "frame " << k << " at " << ownMs << " ms";
    if (k == 1) {
      EXPECT_TRUE(AllBlack(pixels));
    }
    if (k >= 361) {
      EXPECT_EQ(FirstDifference(pixels, picture), "") << "frame " << k;
    }
  };
  const CaptureResult run = CaptureFrames(60, kSection.last, look);
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(seen, 480u);
  EXPECT_EQ(kSection.OwnMs(361), 6000u);
}

// Without a readable picture the tiles are black, the device says why on
// stderr, and everything after the tile zoom is drawn as with the picture.
TEST(TileZoomBadPicture, AMissingOrCorruptFileGivesBlackTilesAndTheShowRunsOn) {
  std::vector<char> png;
  {
    std::ifstream in("pvn_quad.png", std::ios::binary);
    png.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_GT(png.size(), 1000u);
  constexpr uint64_t kLast = 540;  // one second into the starfield's window
  std::vector<Frame> after;  // frames 481 to kLast of the show with the picture
  const CaptureResult good = CaptureFrames(60, kLast, [&](uint64_t k, const uint32_t* pixels) {
    if (k > kSection.last) after.emplace_back(pixels, pixels + kW * kH);
  });
  ASSERT_EQ(good.exitCode, 0);
  ASSERT_EQ(after.size(), kLast - kSection.last);

  struct Case {
    const char* name;
    std::vector<char> bytes;  // empty: no file at all
  };
  const Case cases[] = {
      {"missing", {}},
      {"truncated", std::vector<char>(png.begin(), png.begin() + static_cast<long>(png.size() / 2))},
      {"not-a-png", std::vector<char>(4096, 'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchWorkingDirectory cwd(c.name);
    if (!c.bytes.empty()) {
      std::ofstream("pvn_quad.png", std::ios::binary)
          .write(c.bytes.data(), static_cast<std::streamsize>(c.bytes.size()));
    }
    Ledger().Clear();
    uint64_t seen = 0;
    const CaptureResult run = CaptureFrames(60, kLast, [&](uint64_t k, const uint32_t* pixels) {
      ++seen;
      if (k <= kSection.last) {
        ASSERT_TRUE(AllBlack(pixels)) << "frame " << k;
      } else {
        const Frame& withPicture = after[static_cast<size_t>(k - kSection.last - 1)];
        ASSERT_EQ(FirstDifference(pixels, withPicture), "") << "frame " << k;
      }
    });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(seen, kLast);
    EXPECT_NE(run.stderrText.find("pvn_quad.png"), std::string::npos) << run.stderrText;
    ASSERT_FALSE(Ledger().surfaces.empty());
    for (const SurfaceRecord& r : Ledger().surfaces) EXPECT_EQ(r.releases, 1);
  }
}

TEST(TileZoomPicture, TheCommittedPictureIsWhatTheGeneratorDraws) {
  const std::string committed = std::string(BRINDLEMOX_SOURCE_DIR) + "/assets/pvn_quad.png";
  const Frame drawn = DrawPicture();
  ASSERT_EQ(drawn.size(), static_cast<size_t>(kPictureWidth * kPictureHeight));
  Frame picture;
  ASSERT_NO_FATAL_FAILURE(DecodePicture640(committed.c_str(), picture));
  EXPECT_EQ(FirstDifference(picture.data(), drawn), "");
}
