// Metaballs: the inverse-square field of three moving charges.
//
// Each charge k at (cx, cy) contributes 1 / d^2 at a pixel (x, y), with
// d^2 = (cx - x)^2 + (cy - y)^2; the three terms are added and scaled:
//
//   v = (1/d0^2 + 1/d1^2 + 1/d2^2) * 70000,   index = min(trunc(v), 255).
//
// The palette maps index i to red i over black, so the field shows as red
// light that saturates near each charge and fades as 1/d^2 away from it.
// 70000 sets the blob size: one charge alone saturates (v >= 255) within
// sqrt(70000 / 255) ~ 16.57 pixels, gives index 28 at 50 pixels and 7 at
// 100 pixels. Where two charges come close their fields add, so the bright
// discs swell towards each other and join, then part again.
//
// A pixel exactly on a charge (d^2 == 0) takes the term 1.0 instead of a
// division by zero; that alone gives v = 70000, full red. Close to a charge
// v grows without bound (a hundredth of a pixel away it is near 10^9, closer
// still it passes 2^31), so v is compared with 255 in floating point before
// it is ever converted to an integer: only values below 255 are truncated.
//
// The paths, t the effect's own time in seconds (single precision), angles in
// radians, sines and cosines in double and each coordinate stored as float:
//
//   charge 0: x = 160 + 50 cos 2t,  y = 120 + 30 cos 4t + 35 sin 2t
//   charge 1: x = 150 + 40 sin 2t,  y = 100 + 30 cos t
//   charge 2: x = 180 + 30 cos t,   y = 100 + 30 sin 2t
//
// They stay inside the surface (columns 110..210, rows about 55..155) and the
// whole dance repeats every 2*pi ~ 6.28 s. At t = 0 the charges stand at
// (210, 150), (150, 130) and (210, 100).
//
// t = ms * 0.001f, the product formed in double from the exact millisecond
// count and rounded to float. The field is summed in double, charge 0 first,
// with x and y the integer pixel indices. The palette never changes and is
// built once; the charges and the field are recomputed from t each frame, so
// the picture is a pure function of the effect's own time. Pixels go
// out row after row through one advancing pointer (rows 320 * 4 = 1280 bytes
// apart), and the 320x240 surface is stretched 2x over the 640x480 screen.
//
// The field is evaluated by DrawMetaballField (MetaballField.cpp): the same
// pixels as the field's definition (MetaballField.h) for each pixel, but decided in
// float vectors with a proven error bound wherever that suffices, and with the
// exact double arithmetic everywhere else.
#include "effects/MetaballEffect.h"

#include <cmath>

#include "effects/MetaballField.h"
#include "framework/Helpers.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr float kMsToSeconds = 0.001f;
static_assert(kWidth <= kMetaballMaxWidth && kHeight <= kMetaballMaxHeight,
              "the field's kernels draw surfaces up to that size");

}  // namespace

MetaballEffect::MetaballEffect(QelGFX* owner)
    : palette(nullptr), chargeX(nullptr), chargeY(nullptr), seconds(0.0f) {
  CreateOwnSurface(owner, kWidth, kHeight);
  palette = new uint32_t[256];
  chargeX = new float[kChargeCount];
  chargeY = new float[kChargeCount];
  for (int i = 0; i < 256; ++i) PackRgb(palette, i, i, 0, 0);
}

MetaballEffect::~MetaballEffect() {
  delete[] palette;
  delete[] chargeX;
  delete[] chargeY;
}

void MetaballEffect::Render() {
  const uint32_t ms = BeginFrame();
  const float t =
      static_cast<float>(static_cast<double>(ms) * static_cast<double>(kMsToSeconds));

  seconds = t;
  const double t1 = t;
  const double t2 = 2.0 * t1;
  const double t4 = 4.0 * t1;
  chargeX[0] = static_cast<float>(160.0 + 50.0 * std::cos(t2));
  chargeY[0] = static_cast<float>(120.0 + 30.0 * std::cos(t4) + 35.0 * std::sin(t2));
  chargeX[1] = static_cast<float>(150.0 + 40.0 * std::sin(t2));
  chargeY[1] = static_cast<float>(100.0 + 30.0 * std::cos(t1));
  chargeX[2] = static_cast<float>(180.0 + 30.0 * std::cos(t1));
  chargeY[2] = static_cast<float>(100.0 + 30.0 * std::sin(t2));

  // Without a surface (the device could not make one) there is nothing to
  // draw into.
  if (surface != nullptr) {
    device->Lock(surface);
    DrawMetaballField(chargeX, chargeY, palette, reinterpret_cast<uint32_t*>(device->lockedPixels),
                      width, height, FastestMetaballKernel());
    device->UnLock(surface);
  }

  PresentSurface();
}
