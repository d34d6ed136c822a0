// The metaballs' state for the explorer and the capture tool's --describe:
// the three charges and the palette of the frame, and at a point the field
// by its definition (which every kernel draws to the same pixels).
#include "effects/MetaballEffect.h"
#include "framework/Description.h"
#include "framework/StateVisitor.h"

namespace {

// The 320x240 surface is stretched twice over the screen.
constexpr int kScreenPerPixel = 2;

}  // namespace

void MetaballEffect::VisitState(StateVisitor& visitor) {
  Effect::VisitState(visitor);
  visitor.Array(palette, 256);
  visitor.Array(chargeX, kChargeCount);
  visitor.Array(chargeY, kChargeCount);
  visitor.Value(seconds);
}

const char* MetaballEffect::Name() const { return "metaballs"; }

void MetaballEffect::Describe(Description& out) const {
  out.Key("seconds").Float(seconds);
  out.Key("strength").Float(kMetaballStrength);
  out.Key("charges").BeginArray();
  for (int k = 0; k < kChargeCount; ++k) {
    out.BeginObject();
    out.Key("x").Float(chargeX[k]).Key("y").Float(chargeY[k]);
    out.EndObject();
  }
  out.EndArray();
  out.Key("palette").BeginArray();
  for (int i = 0; i < 256; ++i) out.Colour(palette[i]);
  out.EndArray();
}

void MetaballEffect::DescribePoint(int x, int y, Description& out) const {
  const int sx = x / kScreenPerPixel;
  const int sy = y / kScreenPerPixel;
  const double field = MetaballField(chargeX, chargeY, sx, sy);
  const int index = MetaballIndex(field);
  out.Key("surfaceX").Int(sx).Key("surfaceY").Int(sy);
  out.Key("field").Double(field);
  out.Key("value").Double(field * static_cast<double>(kMetaballStrength));
  out.Key("index").Int(index);
  out.Key("colour").Colour(palette[index]);
}
