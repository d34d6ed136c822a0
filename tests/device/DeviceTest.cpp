#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "framework/QelGFX.h"
#include "framework/Stretch.h"
#include "platform/headless/HeadlessControl.h"
#include "tests/device/DeviceFixture.h"

namespace headless = platform::headless;

namespace {

class DeviceTest : public DeviceFixture {
 protected:
  // A surface whose pixel (x, y) holds y * 1000 + x, to see where copies read.
  Surface* MakeNumbered(uint16_t w, uint16_t h) {
    Surface* s = Make(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) s->Pixels()[y * w + x] = static_cast<uint32_t>(y * 1000 + x);
    return s;
  }

  // Expects pixel (x, y) of the surface to be expected(x, y), everywhere.
  static void ExpectPixels(const Surface* s, const std::function<uint32_t(int, int)>& expected) {
    for (int y = 0; y < s->Height(); ++y)
      for (int x = 0; x < s->Width(); ++x)
        ASSERT_EQ(s->Pixels()[y * s->Width() + x], expected(x, y)) << x << "," << y;
  }
};

}  // namespace

TEST_F(DeviceTest, ReportsTheModeItWasMadeWith) {
  EXPECT_EQ(device->GetScreenX(), 640);
  EXPECT_EQ(device->GetScreenY(), 480);
  EXPECT_EQ(device->GetBpp(), 32u);
  ASSERT_NE(device->backBuffer, nullptr);
  EXPECT_EQ(device->backBuffer->Width(), 640);
  EXPECT_EQ(device->backBuffer->Height(), 480);
}

TEST_F(DeviceTest, ThrowsWhenThePlatformCannotPresent) {
  headless::FailPresenter(true);
  EXPECT_THROW(QelGFX(640, 480, 32, 2, 2), std::runtime_error);
}

TEST_F(DeviceTest, SurfacesAreBlackWithRowsWidthTimesFourApart) {
  Surface* s = Make(160, 120);
  ExpectPixels(s, [](int, int) { return 0u; });
  device->Lock(s);
  EXPECT_EQ(device->lockedPixels, reinterpret_cast<uint8_t*>(s->Pixels()));
  EXPECT_EQ(device->lockedPitch, 640);
  device->UnLock(s);
}

TEST_F(DeviceTest, EmptySurfacesAreRefused) {
  Surface* s = reinterpret_cast<Surface*>(1);
  EXPECT_EQ(device->CreateSurface(0, 10, &s), -1);
  EXPECT_EQ(s, nullptr);
}

TEST_F(DeviceTest, ClearFillsTheWholeSurface) {
  Surface* s = MakeNumbered(7, 5);
  device->ClearSurf(0, s);
  ExpectPixels(s, [](int, int) { return 0u; });
}

TEST_F(DeviceTest, PutPixelWritesColumnXOfRowYAndIgnoresPositionsOutsideTheLockedSurface) {
  Surface* s = Make(640, 480);
  device->Lock(s);
  device->PutPixel(397, 162, 0xFFFFFF, device->lockedPixels, device->lockedPitch);
  device->PutPixel(640, 0, 0xFFFFFF, device->lockedPixels, device->lockedPitch);
  device->PutPixel(0, 480, 0xFFFFFF, device->lockedPixels, device->lockedPitch);
  device->UnLock(s);
  ExpectPixels(s, [](int x, int y) { return x == 397 && y == 162 ? 0xFFFFFFu : 0u; });
}

TEST_F(DeviceTest, EqualSizesCopyOneToOne) {
  Surface* src = MakeNumbered(20, 10);
  Surface* dst = Make(40, 30);
  device->Blt(QelGFX::Rect(5, 6, 15, 11), dst, QelGFX::Rect(2, 3, 12, 8), src);
  ExpectPixels(dst, [](int x, int y) {
    const bool inside = x >= 5 && x < 15 && y >= 6 && y < 11;
    return inside ? static_cast<uint32_t>((y - 3) * 1000 + (x - 3)) : 0u;
  });
}

TEST_F(DeviceTest, IntegerEnlargementRepeatsEachSourcePixel) {
  Surface* src = MakeNumbered(160, 120);
  device->Blt(device->backBuffer, src);
  ExpectPixels(device->backBuffer,
               [](int x, int y) { return static_cast<uint32_t>((y / 4) * 1000 + x / 4); });
}

TEST_F(DeviceTest, StretchSamplesTheSourcePixelUnderEachDestinationCentre) {
  // 214 source columns into 107: each destination column i reads
  // ((2i + 1) * 214) / 214 = 2i + 1; 240 rows into 120 read 2j + 1.
  Surface* src = MakeNumbered(640, 480);
  Surface* dst = Make(640, 480);
  device->Blt(QelGFX::Rect(479, 60, 586, 180), dst, QelGFX::Rect(426, 0, 640, 240), src);
  for (int j = 0; j < 120; ++j)
    for (int i = 0; i < 107; ++i)
      ASSERT_EQ(dst->Pixels()[(60 + j) * 640 + 479 + i],
                static_cast<uint32_t>((2 * j + 1) * 1000 + 426 + 2 * i + 1));
  // A reduction of 3 columns into 2: centres at 0.75 and 2.25 read 0 and 2.
  Surface* small = Make(2, 1);
  device->Blt(QelGFX::Rect(0, 0, 2, 1), small, QelGFX::Rect(0, 0, 3, 1), src);
  EXPECT_EQ(small->Pixels()[0], 0u);
  EXPECT_EQ(small->Pixels()[1], 2u);
}

TEST_F(DeviceTest, StretchSourcesStayInsideTheSourceForOddSizes) {
  for (int64_t sw : {1, 3, 7, 213, 214})
    for (int64_t dw : {1, 2, 5, 106, 640})
      for (int64_t i = 0; i < dw; ++i) {
        const int32_t s = StretchSource(i, sw, dw);
        ASSERT_GE(s, 0);
        ASSERT_LT(s, sw);
      }
}

TEST_F(DeviceTest, RectanglesWithoutAreaOrOutsideTheirSurfaceDrawNothing) {
  Surface* src = MakeNumbered(10, 10);
  Surface* dst = Make(10, 10);
  const RECT whole = QelGFX::Rect(0, 0, 10, 10);
  for (RECT bad : {QelGFX::Rect(5, 5, 5, 9), QelGFX::Rect(5, 5, 9, 5), QelGFX::Rect(6, 0, 5, 10),
                   QelGFX::Rect(-1, 0, 9, 10), QelGFX::Rect(0, 0, 11, 10),
                   QelGFX::Rect(0, 1, 10, 11)}) {
    device->Blt(bad, dst, whole, src);
    device->Blt(whole, dst, bad, src);
  }
  ExpectPixels(dst, [](int, int) { return 0u; });
}

TEST_F(DeviceTest, FlipPresentsTheBackBuffer) {
  std::vector<uint32_t> shown;
  headless::SetPresentHook([&](const uint32_t* px, int w, int h) {
    shown.assign(px, px + static_cast<size_t>(w) * h);
  });
  device->backBuffer->Pixels()[640 * 2 + 3] = 0xABCDEF;
  device->Flip();
  ASSERT_EQ(shown.size(), 640u * 480u);
  EXPECT_EQ(shown[640 * 2 + 3], 0xABCDEFu);
  EXPECT_EQ(headless::PresentedFrames(), 1u);
}

// A clear is carried out only when something reaches the pixels first; these
// are the ways of reaching them, each right after a clear.
TEST_F(DeviceTest, AClearShowsThroughEveryWayOfReachingThePixels) {
  constexpr uint32_t kColour = 0x00336699u;
  Surface* src = MakeNumbered(20, 10);
  auto clearedCopy = [&] {
    Surface* s = MakeNumbered(40, 30);
    device->ClearSurf(kColour, s);
    return s;
  };

  // A copy into part of the surface: the clear stays around it.
  Surface* partial = clearedCopy();
  device->Blt(QelGFX::Rect(5, 6, 15, 11), partial, QelGFX::Rect(2, 3, 12, 8), src);
  ExpectPixels(partial, [](int x, int y) {
    const bool inside = x >= 5 && x < 15 && y >= 6 && y < 11;
    return inside ? static_cast<uint32_t>((y - 3) * 1000 + (x - 3)) : kColour;
  });

  // A copy over the whole surface that draws nothing (its source rectangle
  // lies outside the source): the clear stays.
  Surface* missed = clearedCopy();
  device->Blt(QelGFX::Rect(0, 0, 40, 30), missed, QelGFX::Rect(0, 0, 21, 10), src);
  ExpectPixels(missed, [](int, int) { return kColour; });

  // A copy from the cleared surface reads the clear.
  Surface* source = clearedCopy();
  Surface* target = MakeNumbered(40, 30);
  device->Blt(target, source);
  ExpectPixels(target, [](int, int) { return kColour; });

  // A copy of part of a surface over all of itself reads the clear too.
  Surface* itself = clearedCopy();
  device->Blt(QelGFX::Rect(0, 0, 40, 30), itself, QelGFX::Rect(0, 0, 10, 10), itself);
  ExpectPixels(itself, [](int, int) { return kColour; });

  // A lock hands out cleared pixels, and pixel writes land on the clear.
  Surface* locked = clearedCopy();
  device->Lock(locked);
  EXPECT_EQ(reinterpret_cast<uint32_t*>(device->lockedPixels)[0], kColour);
  device->PutPixel(3, 2, 0xFFFFFFu, device->lockedPixels, device->lockedPitch);
  device->UnLock(locked);
  ExpectPixels(locked, [](int x, int y) { return x == 3 && y == 2 ? 0xFFFFFFu : kColour; });

  // The last clear counts.
  Surface* twice = clearedCopy();
  device->ClearSurf(0x00010203u, twice);
  ExpectPixels(twice, [](int, int) { return 0x00010203u; });
}

TEST_F(DeviceTest, AClearOfTheLockedSurfaceComesBeforeWritesThroughTheLockedPointer) {
  Surface* s = MakeNumbered(8, 4);
  device->Lock(s);
  uint32_t* pixels = reinterpret_cast<uint32_t*>(device->lockedPixels);
  device->ClearSurf(0, s);
  pixels[9] = 0xABCDEFu;
  device->UnLock(s);
  Surface* copy = Make(8, 4);
  device->Blt(copy, s);
  ExpectPixels(copy, [](int x, int y) { return x == 1 && y == 1 ? 0xABCDEFu : 0u; });
}

TEST_F(DeviceTest, FlipRightAfterAClearPresentsTheClearedBackBuffer) {
  std::vector<uint32_t> shown;
  headless::SetPresentHook([&](const uint32_t* px, int w, int h) {
    shown.assign(px, px + static_cast<size_t>(w) * h);
  });
  Surface* src = MakeNumbered(160, 120);
  device->Blt(device->backBuffer, src);
  device->ClearSurf(0, device->backBuffer);
  device->Flip();
  ASSERT_EQ(shown.size(), 640u * 480u);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), 0u), 640 * 480);
}

TEST_F(DeviceTest, ACopyOverTheWholeSurfaceAfterAClearLeavesOnlyTheCopy) {
  // The shell's frame: clear the back buffer, copy a picture over all of it.
  Surface* src = MakeNumbered(160, 120);
  device->ClearSurf(0x00FF00FFu, device->backBuffer);
  device->Blt(device->backBuffer, src);
  ExpectPixels(device->backBuffer,
               [](int x, int y) { return static_cast<uint32_t>((y / 4) * 1000 + x / 4); });

  // The same through LoadPNG, and a picture that cannot be loaded leaves
  // the clear.
  Surface* loaded = Make(640, 480);
  Surface* fresh = Make(640, 480);
  ASSERT_TRUE(device->LoadPNG("pvn_quad.png", fresh));
  device->ClearSurf(0x00FF00FFu, loaded);
  ASSERT_TRUE(device->LoadPNG("pvn_quad.png", loaded));
  EXPECT_TRUE(std::equal(loaded->Pixels(), loaded->Pixels() + 640 * 480, fresh->Pixels()));
  device->ClearSurf(0x00FF00FFu, loaded);
  EXPECT_FALSE(device->LoadPNG("no-such-picture.png", loaded));
  ExpectPixels(loaded, [](int, int) { return 0x00FF00FFu; });
}
