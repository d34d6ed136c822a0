// The plasma's state for the explorer and the capture tool's --describe:
// the phases and the palette's rotation of the frame, the rotated palette,
// and at a point the four waves and the accumulator, worked out by the very
// functions the frame was drawn with.
#include "effects/PlasmaEffect.h"
#include "framework/Description.h"
#include "framework/StateVisitor.h"

namespace {

// The 160x120 surface is stretched four times over the screen.
constexpr int kScreenPerPixel = 4;

}  // namespace

void PlasmaEffect::VisitState(StateVisitor& visitor) {
  Effect::VisitState(visitor);
  visitor.Array(basePalette, kPaletteSize);
  visitor.Array(workPalette, kPaletteSize);
  visitor.Value(phases);
}

const char* PlasmaEffect::Name() const { return "plasma"; }

void PlasmaEffect::Describe(Description& out) const {
  out.Key("time").Double(phases.time);
  out.Key("paletteOffset").Uint(phases.paletteOffset);
  out.Key("rotation").Uint(phases.paletteOffset % kPaletteSize);
  out.Key("phase1").Double(phases.phase1);
  out.Key("phase2").Double(phases.phase2);
  out.Key("phase3").Double(phases.phase3);
  out.Key("rowShift").Double(phases.rowShift);
  out.Key("palette").BeginArray();
  for (int i = 0; i < kPaletteSize; ++i) out.Colour(workPalette[i]);
  out.EndArray();
}

void PlasmaEffect::DescribePoint(int x, int y, Description& out) const {
  const int sx = x / kScreenPerPixel;
  const int sy = y / kScreenPerPixel;
  const double t1 = PlasmaWave1(sx, phases);
  const double t2 = PlasmaWave2(sx, phases);
  const double t3 = PlasmaWave3(sy, phases);
  const double t4 = PlasmaWave4(sy, phases);
  // The accumulator after each term, as the frame's pixel loop carries it.
  const uint32_t a1 = PlasmaAccumulate(0, t1);
  const uint32_t a2 = PlasmaAccumulate(a1, t2);
  const uint32_t a3 = PlasmaAccumulate(a2, t3);
  const uint32_t a4 = PlasmaAccumulate(a3, t4);
  const uint32_t index = a4 & 0xFF;
  out.Key("surfaceX").Int(sx).Key("surfaceY").Int(sy);
  out.Key("t1").Double(t1).Key("t2").Double(t2).Key("t3").Double(t3).Key("t4").Double(t4);
  out.Key("sum").Double(t1 + t2 + t3 + t4);
  out.Key("steps").BeginArray().Uint(a1).Uint(a2).Uint(a3).Uint(a4).EndArray();
  out.Key("accumulator").Uint(a4);
  out.Key("index").Uint(index);
  out.Key("colour").Colour(workPalette[index]);
}
