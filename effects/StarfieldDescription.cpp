// The starfield's state for the explorer and the capture tool's --describe:
// the rebirths of the frame, the projection's numbers and the shared random
// state; at a point, the star drawn nearest to it. Everything is read from
// the effect's arrays as its last frame left them.
#include "effects/StarfieldEffect.h"
#include "framework/Description.h"
#include "framework/StateVisitor.h"

namespace {

// How far from the point a drawn star is still "at" it, in pixels along
// each axis.
constexpr int kPointReach = 3;

void WriteVec(Description& out, const Vec3& v) {
  out.BeginObject();
  out.Key("x").Float(v.x).Key("y").Float(v.y).Key("z").Float(v.z);
  out.EndObject();
}

}  // namespace

void StarfieldEffect::VisitState(StateVisitor& visitor) {
  Effect::VisitState(visitor);
  visitor.Value(starCount);
  visitor.Array(stars, static_cast<size_t>(starCount));
  visitor.Array(projected, static_cast<size_t>(starCount));
  visitor.Value(motion);
  visitor.Value(fov);
  visitor.Value(focal);
  visitor.Array(plotted, static_cast<size_t>(starCount));
  visitor.Value(plottedCount);
  visitor.Value(eraseAll);
  visitor.Array(respawning, static_cast<size_t>(starCount));
  visitor.Value(respawnedCount);
}

const char* StarfieldEffect::Name() const { return "starfield"; }

void StarfieldEffect::Describe(Description& out) const {
  out.Key("stars").Int(starCount);
  out.Key("respawned").Int(respawnedCount);
  out.Key("drawn").Int(plottedCount);
  out.Key("step").Float(motion.m[11]);
  out.Key("fov").Float(fov);
  out.Key("focal").Float(focal);
  // The lens's centre, the vanishing point, as the projection takes it.
  out.Key("centreX").Int(width >> 1);
  out.Key("centreY").Int(height >> 1);
  const uint32_t state = RandomState();
  out.Key("randomState").Uint(state);
  out.Key("nextRandom").Uint(RandomValueOf(RandomStateAfter(state)));
}

// The screen is the surface, one to one. Among the stars drawn this frame,
// the one whose pixel is nearest to (x, y), within kPointReach on each axis;
// the lowest index on a tie. Null when there is none.
void StarfieldEffect::DescribePoint(int x, int y, Description& out) const {
  int best = -1;
  int bestDistance = 0;
  int bestColumn = 0;
  int bestRow = 0;
  for (int32_t i = 0; i < starCount; ++i) {
    uint32_t offset = 0;
    if (!StarPixel(projected[i], width, height, offset)) continue;
    const int column = static_cast<int>(offset % static_cast<uint32_t>(width));
    const int row = static_cast<int>(offset / static_cast<uint32_t>(width));
    const int dx = column - x;
    const int dy = row - y;
    if (dx < -kPointReach || dx > kPointReach || dy < -kPointReach || dy > kPointReach) continue;
    const int distance = dx * dx + dy * dy;
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
      bestColumn = column;
      bestRow = row;
    }
  }
  out.Key("star");
  if (best < 0) {
    out.Null();
    return;
  }
  out.BeginObject();
  out.Key("index").Int(best);
  out.Key("column").Int(bestColumn).Key("row").Int(bestRow);
  out.Key("screen");
  WriteVec(out, projected[best]);
  out.Key("world");
  WriteVec(out, stars[best]);
  out.EndObject();
}
