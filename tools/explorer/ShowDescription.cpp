#include "tools/explorer/ShowDescription.h"

#include "framework/Description.h"
#include "shell/ShellState.h"

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

// The active effect at the frame's timeline time: the first slot whose
// window holds it, -1 for none. The timeline's clock is read again at the
// counter the frame was drawn with, which gives the frame's time.
int ActiveSlot() {
  const uint32_t t = shell.demoTimer.ElapsedMs();
  for (int slot = 0; slot < kEffectCount; ++slot)
    if (shell.EffectTable[slot]->IsActive(t)) return slot;
  return -1;
}

void WritePoint(int x, int y, const uint32_t* pixels, int slot, Description& out) {
  out.BeginObject();
  out.Key("x").Int(x).Key("y").Int(y);
  if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) {
    out.Key("error").String("the point lies off the screen (0..639, 0..479)");
    out.EndObject();
    return;
  }
  out.Key("pixel").Colour(pixels[static_cast<size_t>(y) * kScreenWidth + static_cast<size_t>(x)]);
  out.Key("effect");
  if (slot < 0) {
    out.Null();
  } else {
    out.BeginObject();
    shell.EffectTable[slot]->DescribePoint(x, y, out);
    out.EndObject();
  }
  out.EndObject();
}

}  // namespace

std::string DescribeDrawnFrame(uint64_t frame, uint32_t fps, uint32_t seed,
                               const uint32_t* pixels, const ScreenPoints& points) {
  Description out;
  const int slot = ActiveSlot();
  out.BeginObject();
  out.Key("frame").Uint(frame);
  out.Key("fps").Uint(fps);
  out.Key("seed").Uint(seed);
  out.Key("timelineMs").Uint(shell.demoTimer.ElapsedMs());
  out.Key("slot").Int(slot);
  if (slot < 0) {
    out.Key("name").Null().Key("effect").Null();
  } else {
    const Effect& effect = *shell.EffectTable[slot];
    out.Key("name").String(effect.Name());
    out.Key("startMs").Uint(effect.startMs);
    out.Key("endMs").Uint(effect.endMs);
    out.Key("effectMs").Uint(effect.frameMs);
    out.Key("effect").BeginObject();
    effect.Describe(out);
    out.EndObject();
  }
  if (!points.empty()) {
    out.Key("points").BeginArray();
    for (const auto& [x, y] : points) WritePoint(x, y, pixels, slot, out);
    out.EndArray();
  }
  out.EndObject();
  return out.Text();
}

std::string DescribeDrawnPoint(int x, int y, const uint32_t* pixels) {
  Description out;
  WritePoint(x, y, pixels, ActiveSlot(), out);
  return out.Text();
}

std::string DescribeTimeline() {
  Description out;
  out.BeginArray();
  for (int slot = 0; slot < kEffectCount; ++slot) {
    const Effect& effect = *shell.EffectTable[slot];
    out.BeginObject();
    out.Key("slot").Int(slot).Key("name").String(effect.Name());
    out.Key("startMs").Uint(effect.startMs).Key("endMs").Uint(effect.endMs);
    out.EndObject();
  }
  out.EndArray();
  return out.Text();
}
