#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "framework/ChangedAreas.h"
#include "framework/QelGFX.h"
#include "framework/RowBands.h"
#include "tests/device/DeviceFixture.h"

namespace {

RECT Area(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return QelGFX::Rect(left, top, right, bottom);
}

std::vector<RECT> ChangesSince(const ChangedAreas& changes, uint64_t since, bool& known) {
  std::vector<RECT> seen;
  known = changes.VisitChangesSince(since, [&](const RECT& r) { seen.push_back(r); });
  return seen;
}

std::vector<RowBands::Band> BandsOf(const RowBands& bands) {
  return {bands.begin(), bands.end()};
}

}  // namespace

TEST(ChangedAreas, GivesTheRectanglesChangedAfterAVersionAndNothingBefore) {
  ChangedAreas changes;
  changes.Changed(Area(0, 0, 10, 10));
  const uint64_t held = changes.Version();
  changes.Changed(Area(5, 5, 20, 20));
  changes.Changed(Area(1, 2, 3, 4));
  bool known = false;
  const std::vector<RECT> seen = ChangesSince(changes, held, known);
  ASSERT_TRUE(known);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].right, 20);
  EXPECT_EQ(seen[1].bottom, 4);
  EXPECT_TRUE(ChangesSince(changes, changes.Version(), known).empty());
  EXPECT_TRUE(known);
}

TEST(ChangedAreas, AWholeChangeOrAnOverflowForgetsWhatCameBefore) {
  ChangedAreas changes;
  const uint64_t created = changes.Version();
  changes.ChangedWhole();
  bool known = true;
  ChangesSince(changes, created, known);
  EXPECT_FALSE(known);

  const uint64_t afterWhole = changes.Version();
  for (int i = 0; i < ChangedAreas::kCapacity; ++i) changes.Changed(Area(i, 0, i + 1, 1));
  EXPECT_EQ(ChangesSince(changes, afterWhole, known).size(), size_t{ChangedAreas::kCapacity});
  EXPECT_TRUE(known);
  // One more pushes the first rectangle out: from before it, nothing is known.
  changes.Changed(Area(0, 5, 1, 6));
  ChangesSince(changes, afterWhole, known);
  EXPECT_FALSE(known);
  EXPECT_EQ(ChangesSince(changes, afterWhole + 1, known).size(), size_t{ChangedAreas::kCapacity});
  EXPECT_TRUE(known);
}

TEST(RowBands, MergesOverlappingAndTouchingRowsAndKeepsThemInOrder) {
  RowBands bands;
  bands.Add(300, 400);
  bands.Add(10, 20);
  bands.Add(20, 30);    // touches the band above it
  bands.Add(350, 420);  // overlaps
  bands.Add(100, 110);
  const std::vector<RowBands::Band> expected{{10, 30}, {100, 110}, {300, 420}};
  EXPECT_EQ(BandsOf(bands), expected);
  bands.Add(0, 480);
  EXPECT_EQ(BandsOf(bands), (std::vector<RowBands::Band>{{0, 480}}));
}

// Whole copies of one surface onto another of the same size bring the copy
// up to date with only what changed since the last one. Whatever happened to
// either surface in between, by any of the device's ways to the pixels, the
// copy must then hold exactly the source's pixels.
class WholeCopyTest : public DeviceFixture {
 protected:
  static constexpr int kW = 64;
  static constexpr int kH = 48;

  void SetUp() override {
    DeviceFixture::SetUp();
    src = Make(kW, kH);
    dst = Make(kW, kH);
    other = Make(kW, kH);
    paint = Make(kW / 2, kH / 2);
    uint32_t* p = paint->Pixels();
    for (int k = 0; k < kW / 2 * kH / 2; ++k) p[k] = 0x00100000u + static_cast<uint32_t>(k);
  }

  // Copies src onto dst and expects every pixel of dst to equal src's.
  void CopyAndCompare(const char* after) {
    device->Blt(dst, src);
    const Surface& a = *src;
    const Surface& b = *dst;
    for (int k = 0; k < kW * kH; ++k)
      ASSERT_EQ(b.Pixels()[k], a.Pixels()[k]) << "pixel " << k << " after " << after;
  }

  RECT RandomRect(std::mt19937& random) {
    std::uniform_int_distribution<int> x(0, kW - 1), y(0, kH - 1);
    const int l = x(random), t = y(random);
    return Area(l, t, l + 1 + x(random) % (kW - l), t + 1 + y(random) % (kH - t));
  }

  Surface* src = nullptr;
  Surface* dst = nullptr;
  Surface* other = nullptr;
  Surface* paint = nullptr;
};

TEST_F(WholeCopyTest, HoldsTheSourceAfterChangesToEitherSurfaceByAnyWay) {
  std::mt19937 random(20261209);
  CopyAndCompare("the first copy");
  for (int step = 0; step < 3000; ++step) {
    const int what = static_cast<int>(random() % 10);
    const RECT r = RandomRect(random);
    const uint32_t colour = static_cast<uint32_t>(random() & 0xFFFFFF);
    switch (what) {
      case 0:  // a stretched copy into part of the source
        device->Blt(r, src, Area(0, 0, kW / 2, kH / 2), paint);
        break;
      case 1:  // the same into the copy, behind the source's back
        device->Blt(r, dst, Area(0, 0, kW / 2, kH / 2), paint);
        break;
      case 2:  // within the source itself
        device->Blt(r, src, RandomRect(random), src);
        break;
      case 3:  // lock, and write through the locked pixels while it lasts
        device->Lock(random() % 2 ? src : dst);
        device->PutPixel(static_cast<uint16_t>(r.left), static_cast<uint16_t>(r.top), colour,
                         device->lockedPixels, device->lockedPitch);
        break;
      case 4:  // write through the pixels of the surface locked last, unlocked
        device->UnLock(src);
        if (device->lockedPixels != nullptr)
          device->PutPixel(static_cast<uint16_t>(r.right - 1), static_cast<uint16_t>(r.top),
                           colour, device->lockedPixels, device->lockedPitch);
        break;
      case 5:
        device->ClearSurf(colour, random() % 2 ? src : dst);
        break;
      case 6:
        device->Lock(other);
        break;
      case 7:  // a copy of something else over the whole copy
        device->Blt(dst, other);
        break;
      case 8:  // many small changes before one copy: more than the log holds
        for (int k = 0; k < ChangedAreas::kCapacity + 3; ++k)
          device->Blt(RandomRect(random), src, Area(0, 0, kW / 2, kH / 2), paint);
        break;
      default:
        break;
    }
    if (random() % 3 == 0) CopyAndCompare(std::to_string(step).c_str());
  }
}

TEST_F(WholeCopyTest, ASurfaceMadeWhereAReleasedOneLayIsNotTakenForIt) {
  // Two surfaces made one after the other in the same place, as an allocator
  // may give a released surface's place to the next one.
  alignas(Surface) unsigned char place[sizeof(Surface)];
  Surface* const first = new (place) Surface(kW, kH);
  device->Blt(Area(0, 0, kW, kH), first, Area(0, 0, kW / 2, kH / 2), paint);
  device->Blt(dst, first);
  first->~Surface();
  Surface* const second = new (place) Surface(kW, kH);
  // The new surface is black but for a few small changes, more than the old
  // one had: the copy must still take its black everywhere else.
  for (int k = 0; k < 3; ++k)
    device->Blt(Area(k, 0, k + 1, 1), second, Area(0, 0, kW / 2, kH / 2), paint);
  Surface* const kept = src;
  src = second;
  CopyAndCompare("the copy of the new surface");
  src = kept;
  second->~Surface();
}

TEST_F(WholeCopyTest, AClearOfTheCopyIsReplacedAndOneOfTheSourceIsCopied) {
  device->Blt(Area(0, 0, kW, kH), src, Area(0, 0, kW / 2, kH / 2), paint);
  CopyAndCompare("the first copy");
  device->ClearSurf(0x123456, dst);
  CopyAndCompare("a clear of the copy");
  device->ClearSurf(0x654321, src);
  CopyAndCompare("a clear of the source");
  EXPECT_EQ(static_cast<const Surface*>(dst)->Pixels()[0], 0x654321u);
}
