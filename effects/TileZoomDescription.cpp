// The tile zoom's state for the explorer and the capture tool's --describe:
// the growth of the frame and the six tiles' rectangles, read from the
// effect as it drew its last frame.
#include "effects/TileZoomEffect.h"
#include "framework/Description.h"
#include "framework/StateVisitor.h"

namespace {

void WriteRect(Description& out, const RECT& r) {
  out.BeginObject();
  out.Key("left").Int(r.left).Key("top").Int(r.top);
  out.Key("right").Int(r.right).Key("bottom").Int(r.bottom);
  out.EndObject();
}

bool Contains(const RECT& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

void TileZoomEffect::VisitState(StateVisitor& visitor) {
  Effect::VisitState(visitor);
  visitor.Pixels(picture);
  visitor.Value(tiles);
  visitor.Value(drawn);
  visitor.Value(progress);
  visitor.Value(scale);
}

const char* TileZoomEffect::Name() const { return "tile zoom"; }

// "drawn" holds this frame's rectangles: a tile is skipped only when the
// frame's rectangle is the one it holds already.
void TileZoomEffect::Describe(Description& out) const {
  out.Key("progress").Double(progress);
  out.Key("scale").Float(scale);
  out.Key("tiles").BeginArray();
  for (int tile = 0; tile < kTileCount; ++tile) {
    out.BeginObject();
    out.Key("source");
    WriteRect(out, tiles[tile]);
    out.Key("destination");
    WriteRect(out, drawn[tile]);
    out.EndObject();
  }
  out.EndArray();
}

// The work surface is the screen, one to one: the tile whose cell holds the
// point, and whether the point lies in what that tile covers now.
void TileZoomEffect::DescribePoint(int x, int y, Description& out) const {
  int cell = -1;
  for (int tile = 0; tile < kTileCount; ++tile)
    if (Contains(tiles[tile], x, y)) cell = tile;
  out.Key("tile").Int(cell);
  out.Key("covered").Bool(cell >= 0 && Contains(drawn[cell], x, y));
}
