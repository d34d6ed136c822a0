// The descriptions the effects give of themselves, held against the
// pictures they drew: what a readout says is on screen is on screen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "effects/StarfieldEffect.h"
#include "framework/Helpers.h"
#include "shell/ShellState.h"
#include "tests/ExplorerTestSupport.h"
#include "tests/JsonValue.h"
#include "tools/explorer/ShowStepper.h"

namespace {

class ExplorerDescription : public testing::Test {
 protected:
  void OpenShow(uint32_t rate, uint32_t seed = 1) {
    std::string error;
    ASSERT_TRUE(stepper.Open(rate, seed, "", error)) << error;
    fps = rate;
  }
  JsonValue ShowAt(uint64_t frame) {
    std::string error;
    EXPECT_TRUE(stepper.ShowFrame(frame, error)) << error;
    return ParseJson(stepper.Describe());
  }
  JsonValue Point(int x, int y) { return ParseJson(stepper.DescribePoint(x, y)); }
  uint32_t Pixel(int x, int y) const { return stepper.Pixels()[y * kShowWidth + x]; }

  ShowStepper stepper;
  uint32_t fps = 60;
};

// {"left","top","right","bottom"} as a RECT-like tuple.
struct Box {
  int64_t left, top, right, bottom;
  bool operator==(const Box&) const = default;
  bool Holds(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
Box BoxOf(const JsonValue& r) {
  return {r["left"].Int(), r["top"].Int(), r["right"].Int(), r["bottom"].Int()};
}

}  // namespace

// The frame's numbers: its timeline time on the capture tool's clock, the
// effect whose window holds it, and the effect's own clock, which starts at
// the effect's first frame.
TEST_F(ExplorerDescription, EveryFrameSaysItsTimeEffectAndOwnClock) {
  const struct {
    const char* name;
    uint64_t start;
    uint64_t end;
  } windows[] = {{"tile zoom", 0, 8000},
                 {"starfield", 8000, 16000},
                 {"plasma", 16000, 26000},
                 {"metaballs", 26000, 4294967295u}};
  for (uint32_t rate : {60u, 37u}) {
    SCOPED_TRACE(testing::Message() << "fps " << rate);
    OpenShow(rate, 5);
    const uint64_t step = FrameStep(rate);
    const JsonValue timeline = ParseJson(stepper.Timeline());
    ASSERT_EQ(timeline.items.size(), 4u);
    for (size_t slot = 0; slot < 4; ++slot) {
      EXPECT_EQ(timeline[slot]["slot"].Uint(), slot);
      EXPECT_EQ(timeline[slot]["name"].text, windows[slot].name);
      EXPECT_EQ(timeline[slot]["startMs"].Uint(), windows[slot].start);
      EXPECT_EQ(timeline[slot]["endMs"].Uint(), windows[slot].end);
    }
    for (uint64_t k : FramesAcrossTheShow(rate)) {
      const JsonValue d = ShowAt(k);
      const uint64_t ms = (k - 1) * step / 1000;
      EXPECT_EQ(d["frame"].Uint(), k);
      EXPECT_EQ(d["fps"].Uint(), rate);
      EXPECT_EQ(d["seed"].Uint(), 5u);
      EXPECT_EQ(d["timelineMs"].Uint(), ms);
      size_t slot = 0;
      while (!(windows[slot].start <= ms && ms < windows[slot].end)) ++slot;
      EXPECT_EQ(d["slot"].Uint(), slot) << "frame " << k;
      EXPECT_EQ(d["name"].text, windows[slot].name);
      EXPECT_EQ(d["startMs"].Uint(), windows[slot].start);
      EXPECT_EQ(d["endMs"].Uint(), windows[slot].end);
      // The effect's first frame is the first whose time reaches its start.
      const uint64_t first = FrameAt(rate, windows[slot].start);
      EXPECT_EQ(d["effectMs"].Uint(), (k - first) * step / 1000) << "frame " << k;
    }
  }
}

// Every point readout names the presented pixel; the plasma's says which
// palette entry made it, through the four waves and the accumulator.
TEST_F(ExplorerDescription, PlasmaPointReadoutsGiveTheColourOnScreen) {
  OpenShow(60);
  for (uint64_t ms : {16000, 19000, 25900}) {
    const JsonValue frame = ShowAt(FrameAt(fps, ms));
    ASSERT_EQ(frame["name"].text, "plasma");
    const JsonValue& palette = frame["effect"]["palette"];
    ASSERT_EQ(palette.items.size(), 256u);
    for (int sy = 0; sy < 120; sy += 3) {
      for (int sx = 0; sx < 160; sx += 2) {
        // Any of the 4x4 screen pixels of the surface pixel.
        const int x = sx * 4 + (sx + sy) % 4;
        const int y = sy * 4 + sx % 4;
        const JsonValue p = Point(x, y);
        const JsonValue& e = p["effect"];
        EXPECT_EQ(e["surfaceX"].Int(), sx);
        EXPECT_EQ(e["surfaceY"].Int(), sy);
        EXPECT_EQ(p["pixel"].Colour(), Pixel(x, y));
        EXPECT_EQ(e["colour"].Colour(), Pixel(x, y)) << "at " << x << "," << y;
        EXPECT_EQ(e["index"].Uint(), e["accumulator"].Uint() & 0xFF);
        EXPECT_EQ(e["steps"][3].Uint(), e["accumulator"].Uint());
        EXPECT_EQ(palette[e["index"].Uint()].Colour(), e["colour"].Colour());
        const double sum = e["t1"].number + e["t2"].number + e["t3"].number + e["t4"].number;
        EXPECT_NEAR(e["sum"].number, sum, 1e-9);
      }
    }
  }
}

// The plasma's first frame (own time 0) against its known pixels: (0, 0)
// is index 117, colour (21, 0, 234); (67, 0) index 46, where a signed
// accumulator would give 47; (100, 50) index 168.
TEST_F(ExplorerDescription, PlasmaFirstFrameReadoutsMatchTheKnownPixels) {
  OpenShow(60);
  const JsonValue frame = ShowAt(FrameAt(fps, 16000));
  ASSERT_EQ(frame["effectMs"].Uint(), 0u);
  EXPECT_EQ(frame["effect"]["paletteOffset"].Uint(), 0u);
  EXPECT_DOUBLE_EQ(frame["effect"]["phase1"].number, 200.0);
  EXPECT_DOUBLE_EQ(frame["effect"]["phase2"].number, 0.0);
  EXPECT_DOUBLE_EQ(frame["effect"]["phase3"].number, 150.0);
  const JsonValue origin = Point(2, 3)["effect"];
  EXPECT_EQ(origin["index"].Uint(), 117u);
  EXPECT_EQ(origin["colour"].Colour(), 0x001500EAu);
  EXPECT_NEAR(origin["t1"].number, 48.72, 0.01);
  EXPECT_NEAR(origin["t3"].number, 69.93, 0.01);
  EXPECT_EQ(origin["steps"][0].Uint(), 48u);
  EXPECT_EQ(origin["steps"][2].Uint(), 117u);
  const JsonValue negative = Point(67 * 4, 0)["effect"];
  EXPECT_EQ(negative["steps"][0].Uint(), 4294967292u);  // 2^32 - 4
  EXPECT_EQ(negative["steps"][1].Uint(), 4294967273u);  // 2^32 - 23
  EXPECT_EQ(negative["index"].Uint(), 46u);
  EXPECT_EQ(negative["colour"].Colour(), 0x00A3005Cu);
  EXPECT_EQ(Point(400, 200)["effect"]["index"].Uint(), 168u);
}

// The metaballs' readouts give the colour on screen; the charges stand
// where the field peaks, saturated; the first frame matches known values.
TEST_F(ExplorerDescription, MetaballReadoutsAndChargesMatchTheField) {
  OpenShow(60);
  const JsonValue first = ShowAt(FrameAt(fps, 26000));
  ASSERT_EQ(first["name"].text, "metaballs");
  ASSERT_EQ(first["effectMs"].Uint(), 0u);
  const JsonValue& c0 = first["effect"]["charges"];
  EXPECT_EQ(c0[0]["x"].number, 210.0);
  EXPECT_EQ(c0[0]["y"].number, 150.0);
  EXPECT_EQ(c0[1]["x"].number, 150.0);
  EXPECT_EQ(c0[1]["y"].number, 130.0);
  EXPECT_EQ(c0[2]["x"].number, 210.0);
  EXPECT_EQ(c0[2]["y"].number, 100.0);
  EXPECT_EQ(Point(0, 0)["effect"]["index"].Int(), 4);
  EXPECT_EQ(Point(0, 0)["pixel"].Colour(), 0x00040000u);
  EXPECT_EQ(Point(201, 200)["effect"]["index"].Int(), 31);
  EXPECT_EQ(Point(420, 300)["effect"]["index"].Int(), 255);

  for (uint64_t ms : {26500, 29000, 33333}) {
    const JsonValue frame = ShowAt(FrameAt(fps, ms));
    const JsonValue& palette = frame["effect"]["palette"];
    for (int y = 1; y < 480; y += 7) {
      for (int x = 0; x < 640; x += 9) {
        const JsonValue p = Point(x, y);
        EXPECT_EQ(p["effect"]["colour"].Colour(), Pixel(x, y)) << "at " << x << "," << y;
        EXPECT_EQ(palette[p["effect"]["index"].Uint()].Colour(), Pixel(x, y));
      }
    }
    // At each charge the field is saturated, and it is larger at the
    // surface pixel nearest the charge than anywhere three pixels away.
    for (const JsonValue& charge : frame["effect"]["charges"].items) {
      const int cx = static_cast<int>(charge["x"].number + 0.5);
      const int cy = static_cast<int>(charge["y"].number + 0.5);
      const JsonValue centre = Point(cx * 2, cy * 2)["effect"];
      EXPECT_EQ(centre["index"].Int(), 255);
      EXPECT_EQ(Pixel(cx * 2, cy * 2), 0x00FF0000u);
      for (int d = -3; d <= 3; d += 6) {
        EXPECT_GT(centre["field"].number, Point((cx + d) * 2, cy * 2)["effect"]["field"].number);
        EXPECT_GT(centre["field"].number, Point(cx * 2, (cy + d) * 2)["effect"]["field"].number);
      }
    }
  }
}

// The tiles' rectangles are what was drawn: black outside every destination,
// the picture inside; at 3000 ms tile 0 covers (53, 60)-(159, 180); from
// 6000 ms on each tile stands in its own cell.
TEST_F(ExplorerDescription, TileRectanglesAreWhatWasDrawn) {
  OpenShow(60);
  for (uint64_t ms : {500, 3000, 5999, 7000}) {
    const JsonValue frame = ShowAt(FrameAt(fps, ms));
    ASSERT_EQ(frame["name"].text, "tile zoom");
    const JsonValue& tiles = frame["effect"]["tiles"];
    ASSERT_EQ(tiles.items.size(), 6u);
    std::vector<Box> destinations;
    for (const JsonValue& tile : tiles.items) destinations.push_back(BoxOf(tile["destination"]));
    uint64_t litInside = 0;
    for (int y = 0; y < 480; y += 3) {
      for (int x = 0; x < 640; x += 3) {
        bool inside = false;
        for (const Box& b : destinations) inside = inside || b.Holds(x, y);
        if (!inside) {
          EXPECT_EQ(Pixel(x, y), 0u) << "at " << x << "," << y << ", " << ms << " ms";
        }
        if (inside && Pixel(x, y) != 0) ++litInside;
        const JsonValue p = Point(x, y)["effect"];
        EXPECT_EQ(p["covered"].boolean, inside) << "at " << x << "," << y;
      }
    }
    EXPECT_GT(litInside, 0u);
    const double progress = frame["effect"]["progress"].number;
    for (size_t t = 0; t < 6; ++t) {
      const Box source = BoxOf(tiles[t]["source"]);
      const Box drawn = destinations[t];
      EXPECT_TRUE(source.left <= drawn.left && drawn.right <= source.right &&
                  source.top <= drawn.top && drawn.bottom <= source.bottom);
      if (progress == 1.0) {
        EXPECT_TRUE(drawn == source) << "tile " << t << " at " << ms;
      }
    }
    if (frame["effectMs"].Uint() == 3000) {
      EXPECT_TRUE(destinations[0] == (Box{53, 60, 159, 180}));
    }
  }
}

// Pointing at a star gives that star; its 3D position projects onto the
// pixel; the rebirths and the random state say what the next frame draws.
TEST_F(ExplorerDescription, StarfieldReadoutsFindTheStarsDrawn) {
  OpenShow(60);
  const uint64_t firstFrame = FrameAt(fps, 8000);
  const JsonValue first = ShowAt(firstFrame);
  ASSERT_EQ(first["name"].text, "starfield");
  EXPECT_EQ(first["effect"]["respawned"].Int(), 1700);  // all at the origin before
  EXPECT_EQ(static_cast<float>(first["effect"]["fov"].number), 0.78539819f);
  EXPECT_NEAR(first["effect"]["focal"].number, 772.54834, 1e-4);
  EXPECT_EQ(first["effect"]["centreX"].Int(), 320);
  EXPECT_EQ(first["effect"]["centreY"].Int(), 240);

  for (uint64_t k : {firstFrame + 5, firstFrame + 200, firstFrame + 470}) {
    const JsonValue frame = ShowAt(k);
    std::set<int> white;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        if (Pixel(x, y) == 0x00FFFFFFu) white.insert(y * 640 + x);
    ASSERT_FALSE(white.empty());
    EXPECT_LE(white.size(), frame["effect"]["drawn"].Uint());
    int checked = 0;
    for (int offset : white) {
      if (++checked % 5 != 0) continue;
      const int x = offset % 640;
      const int y = offset / 640;
      const JsonValue star = Point(x, y)["effect"]["star"];
      ASSERT_FALSE(star.IsNull()) << "no star at " << x << "," << y;
      EXPECT_EQ(star["column"].Int(), x);
      EXPECT_EQ(star["row"].Int(), y);
      // The world position seen through the lens lands on that pixel.
      const double z = star["world"]["z"].number;
      const double focal = frame["effect"]["focal"].number;
      EXPECT_NEAR(320.0 + focal * star["world"]["x"].number / z, star["screen"]["x"].number,
                  1e-3 * (1.0 + std::abs(star["screen"]["x"].number)));
      EXPECT_NEAR(240.0 - focal * star["world"]["y"].number / z, star["screen"]["y"].number,
                  1e-3 * (1.0 + std::abs(star["screen"]["y"].number)));
    }
    // A point with no white pixel within three pixels has no star.
    for (int y = 3; y < 477; y += 37) {
      for (int x = 3; x < 637; x += 41) {
        bool near = false;
        for (int dy = -3; dy <= 3; ++dy)
          for (int dx = -3; dx <= 3; ++dx) near = near || white.count((y + dy) * 640 + x + dx);
        if (!near) {
          EXPECT_TRUE(Point(x, y)["effect"]["star"].IsNull()) << x << "," << y;
        }
      }
    }
  }

  // The random state of a frame, stepped three times per star reborn, is the
  // next frame's; its next value is the first reborn star's x.
  uint64_t k = firstFrame + 1;
  JsonValue before = ShowAt(k);
  JsonValue after = ShowAt(k + 1);
  while (after["effect"]["respawned"].Int() == 0) {
    before = after;
    after = ShowAt(++k + 1);
  }
  uint32_t state = static_cast<uint32_t>(before["effect"]["randomState"].Uint());
  for (int64_t draws = 3 * after["effect"]["respawned"].Int(); draws > 0; --draws)
    state = RandomStateAfter(state);
  EXPECT_EQ(after["effect"]["randomState"].Uint(), state);
  const auto* starfield = static_cast<const StarfieldEffect*>(shell.EffectTable[1]);
  const float x = static_cast<float>(before["effect"]["nextRandom"].Uint()) * 0.001f - 25.0f;
  EXPECT_EQ(starfield->stars[starfield->respawning[0]].x, x);
}

// Points off the screen are refused in the readout, not read past the frame.
TEST_F(ExplorerDescription, PointsOffTheScreenSayWhy) {
  OpenShow(60);
  ShowAt(10);
  for (auto [x, y] : {std::pair{-1, 0}, {640, 0}, {0, 480}, {0, -5}}) {
    const JsonValue p = Point(x, y);
    EXPECT_EQ(p["x"].Int(), x);
    EXPECT_EQ(p["y"].Int(), y);
    EXPECT_EQ(p["error"].text, "the point lies off the screen (0..639, 0..479)");
    EXPECT_FALSE(p.Has("pixel"));
  }
}
