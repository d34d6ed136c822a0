// The device's fast copies and fills against their plain definitions.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "framework/QelGFX.h"
#include "framework/Stretch.h"

namespace {

struct Pixels {
  Pixels(int w, int h, uint32_t seed) : width(w), height(h), data(static_cast<size_t>(w * h)) {
    std::mt19937 random(seed);
    for (uint32_t& p : data) p = static_cast<uint32_t>(random());
  }
  PixelView View() { return {data.data(), width, height}; }
  int width;
  int height;
  std::vector<uint32_t> data;
};

// The copy written plainly, the definition the fast copy is held to: every
// destination pixel reads the source pixel the rule names.
void StretchCopySimple(PixelView dst, const RECT& dstRect, const PixelView& src,
                       const RECT& srcRect) {
  if (!RectFitsSurface(dstRect, dst.width, dst.height) ||
      !RectFitsSurface(srcRect, src.width, src.height))
    return;
  const int dw = dstRect.right - dstRect.left;
  const int dh = dstRect.bottom - dstRect.top;
  const int sw = srcRect.right - srcRect.left;
  const int sh = srcRect.bottom - srcRect.top;
  for (int j = 0; j < dh; ++j) {
    const int sy = srcRect.top + StretchSource(j, sh, dh);
    for (int i = 0; i < dw; ++i) {
      const int sx = srcRect.left + StretchSource(i, sw, dw);
      dst.pixels[static_cast<size_t>(dstRect.top + j) * static_cast<size_t>(dst.width) +
                 static_cast<size_t>(dstRect.left + i)] =
          src.pixels[static_cast<size_t>(sy) * static_cast<size_t>(src.width) +
                     static_cast<size_t>(sx)];
    }
  }
}

constexpr StretchGather kGathers[] = {StretchGather::Plain, StretchGather::Avx2,
                                       StretchGather::Runs};

// Copies srcRect into dstRect both ways (the fast way with each gather this
// machine has), onto the same noisy destination, and expects the same
// destination afterwards, outside dstRect included.
void ExpectSameCopy(int dstW, int dstH, RECT dstRect, int srcW, int srcH, RECT srcRect) {
  Pixels src(srcW, srcH, 1);
  Pixels plain(dstW, dstH, 2);
  StretchCopySimple(plain.View(), dstRect, src.View(), srcRect);
  for (StretchGather gather : kGathers) {
    if (!StretchGatherAvailable(gather)) continue;
    Pixels fast(dstW, dstH, 2);
    std::vector<uint32_t> scratch;
    StretchCopy(fast.View(), dstRect, src.View(), srcRect, scratch, gather);
    ASSERT_EQ(fast.data, plain.data)
        << "gather " << static_cast<int>(gather) << ", dst (" << dstRect.left << ","
        << dstRect.top << "," << dstRect.right << "," << dstRect.bottom << ") src ("
        << srcRect.left << "," << srcRect.top << "," << srcRect.right << "," << srcRect.bottom
        << ")";
  }
}

}  // namespace

TEST(StretchFastPath, TheScreenCopiesOfEverySurfaceSizeMatchThePlainRule) {
  for (const auto& [w, h] : {std::pair{640, 480}, {320, 240}, {160, 120}, {213, 240}})
    ExpectSameCopy(640, 480, QelGFX::Rect(0, 0, 640, 480), w, h, QelGFX::Rect(0, 0, w, h));
}

TEST(StretchFastPath, WholeRowsBetweenSurfacesOfOneWidthCopyAsOneBlock) {
  ExpectSameCopy(64, 48, QelGFX::Rect(0, 5, 64, 25), 64, 30, QelGFX::Rect(0, 3, 64, 23));
  ExpectSameCopy(64, 48, QelGFX::Rect(0, 47, 64, 48), 64, 30, QelGFX::Rect(0, 0, 64, 1));
  // Not quite whole rows: one column short on either side.
  ExpectSameCopy(64, 48, QelGFX::Rect(1, 5, 64, 25), 64, 30, QelGFX::Rect(1, 3, 64, 23));
  ExpectSameCopy(64, 48, QelGFX::Rect(0, 5, 63, 25), 64, 30, QelGFX::Rect(0, 3, 63, 23));
}

TEST(StretchFastPath, WholeNumberEnlargementsMatchForEveryFactorAndTail) {
  // Widths that leave 0 to 3 pixels past the last group of four, factors
  // with and without a vector path, and rectangles off the surfaces' edges.
  for (int factor = 1; factor <= 6; ++factor)
    for (int sw = 1; sw <= 9; ++sw)
      for (int sh : {1, 3}) {
        const int dw = sw * factor;
        ExpectSameCopy(70, 25, QelGFX::Rect(3, 2, 3 + dw, 2 + sh * factor), 12, 5,
                       QelGFX::Rect(2, 1, 2 + sw, 1 + sh));
      }
}

TEST(StretchFastPath, RandomRectanglesMatchThePlainRule) {
  std::mt19937 random(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  for (int n = 0; n < 400; ++n) {
    const int sl = pick(0, 40), st = pick(0, 30);
    const int sw = pick(1, 60 - sl), sh = pick(1, 45 - st);
    // Half of the cases are whole-number enlargements, the others any size.
    const int dw = n % 2 == 0 ? sw * pick(1, 4) : pick(1, 100);
    const int dh = n % 2 == 0 ? sh * pick(1, 4) : pick(1, 80);
    const int dl = pick(0, 240 - dw > 0 ? 240 - dw : 0), dt = pick(0, 180 - dh > 0 ? 180 - dh : 0);
    ExpectSameCopy(240, 180, QelGFX::Rect(dl, dt, dl + dw, dt + dh), 60, 45,
                   QelGFX::Rect(sl, st, sl + sw, st + sh));
  }
}

TEST(StretchFastPath, ShrinkingAndOddEnlargementsMatchForEveryRatioAndPlace) {
  // Every width from a third to three times the source's, so that groups and
  // runs of the column map fall inside and outside the gathers' windows,
  // with the source rectangle against either edge of its surface (a window
  // or run must not reach past the row's end) and in between.
  for (int sw : {7, 16, 33, 64})
    for (int dw = sw / 3 + 1; dw <= 3 * sw; ++dw)
      for (int sl : {0, 5, 80 - sw}) {
        SCOPED_TRACE(testing::Message() << "sw " << sw << " dw " << dw << " sl " << sl);
        ExpectSameCopy(200, 6, QelGFX::Rect(1, 1, 1 + dw, 5), 80, 4,
                       QelGFX::Rect(sl, 0, sl + sw, 4));
      }
}

TEST(StretchWalk, GivesTheSourceCoordinateOfEveryDestinationPixelWithoutDividing) {
  for (int64_t sw : {1, 2, 3, 7, 16, 213, 214, 240, 640, 1000})
    for (int64_t dw : {1, 2, 3, 5, 13, 106, 142, 159, 213, 640, 1280, 4001}) {
      StretchWalk walk(sw, dw);
      for (int64_t i = 0; i < dw; ++i, walk.Advance())
        ASSERT_EQ(walk.Current(), StretchSource(i, sw, dw)) << sw << " " << dw << " " << i;
    }
}

TEST(StretchFastPath, CopiesWithinOneSurfaceKeepThePlainRowAndPixelOrder) {
  // Overlapping whole rows moved down by one, and a doubling onto itself:
  // rows and pixels are read after earlier ones were written, as in the
  // plain copy.
  for (const auto& [dstRect, srcRect] :
       {std::pair{QelGFX::Rect(0, 1, 16, 9), QelGFX::Rect(0, 0, 16, 8)},
        std::pair{QelGFX::Rect(0, 0, 16, 8), QelGFX::Rect(0, 0, 8, 4)},
        std::pair{QelGFX::Rect(0, 0, 16, 8), QelGFX::Rect(0, 0, 11, 8)}}) {
    Pixels plain(16, 10, 3);
    StretchCopySimple(plain.View(), dstRect, plain.View(), srcRect);
    for (StretchGather gather : kGathers) {
      if (!StretchGatherAvailable(gather)) continue;
      Pixels fast(16, 10, 3);
      std::vector<uint32_t> scratch;
      StretchCopy(fast.View(), dstRect, fast.View(), srcRect, scratch, gather);
      EXPECT_EQ(fast.data, plain.data) << static_cast<int>(gather);
    }
  }
}

TEST(StretchFastPath, RectanglesThatDoNotFitDrawNothingEitherWay) {
  ExpectSameCopy(64, 48, QelGFX::Rect(0, 0, 65, 48), 32, 24, QelGFX::Rect(0, 0, 32, 24));
  ExpectSameCopy(64, 48, QelGFX::Rect(10, 10, 10, 20), 32, 24, QelGFX::Rect(0, 0, 32, 24));
  ExpectSameCopy(64, 48, QelGFX::Rect(0, 0, 64, 48), 32, 24, QelGFX::Rect(-1, 0, 32, 24));
}

TEST(RepeatPixels, WritesEachPixelFactorTimesAndNothingBeyond) {
  for (int factor = 1; factor <= 5; ++factor)
    for (int count = 0; count <= 11; ++count) {
      std::vector<uint32_t> in(static_cast<size_t>(count));
      for (int i = 0; i < count; ++i) in[static_cast<size_t>(i)] = 0x100u + static_cast<uint32_t>(i);
      std::vector<uint32_t> out(static_cast<size_t>(count * factor + 4), 0xDEADu);
      RepeatPixels(out.data(), in.data(), count, factor);
      for (int i = 0; i < count * factor; ++i)
        ASSERT_EQ(out[static_cast<size_t>(i)], 0x100u + static_cast<uint32_t>(i / factor));
      for (size_t i = static_cast<size_t>(count * factor); i < out.size(); ++i)
        ASSERT_EQ(out[i], 0xDEADu);
    }
}

TEST(FillPixels, FillsExactlyCountWordsWithAnyColour) {
  for (uint32_t colour : {0u, 0xFFFFFFFFu, 0x7F7F7F7Fu, 0x00FF0000u, 0x00123456u, 0x01010100u})
    for (size_t count : {size_t{0}, size_t{1}, size_t{3}, size_t{17}, size_t{640 * 480}}) {
      std::vector<uint32_t> out(count + 2, 0xABCDEF01u);
      FillPixels(out.data() + 1, count, colour);
      EXPECT_EQ(out.front(), 0xABCDEF01u);
      EXPECT_EQ(out.back(), 0xABCDEF01u);
      for (size_t i = 1; i <= count; ++i) ASSERT_EQ(out[i], colour) << colour << " " << i;
    }
}
