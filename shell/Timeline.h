// The timeline: which effect draws when. This table is the one list of the
// effects: its order is the drawing order (the slots of the EffectTable), its
// length is the number of effects, and adding an effect means adding its
// header and one row here (README, "Adding an effect").
//
// Times are milliseconds of the shell's demoTimer, whose zero is the end of
// set-up. Each window is half-open, start <= t < end, compared unsigned; the
// windows touch, so exactly one effect draws in each frame (none only at
// 4294967295 ms, which stands for the end of the show). Each effect's own
// clock starts at its first frame, not at the start of its window.
#pragma once

#include <cstdint>
#include <iterator>

#include "effects/MetaballEffect.h"
#include "effects/PlasmaEffect.h"
#include "effects/StarfieldEffect.h"
#include "effects/TileZoomEffect.h"
#include "framework/Effect.h"
#include "framework/QelGFX.h"

// Makes one effect on the device; the EffectTable owns what it returns.
template <class EffectType>
Effect* MakeEffect(QelGFX* device) {
  return new EffectType(device);
}

struct TimelineEntry {
  Effect* (*make)(QelGFX* device);
  uint32_t startMs;
  uint32_t endMs;
};

inline constexpr TimelineEntry kTimeline[] = {
    {&MakeEffect<TileZoomEffect>, 0, 8000},
    {&MakeEffect<StarfieldEffect>, 8000, 16000},
    {&MakeEffect<PlasmaEffect>, 16000, 26000},
    {&MakeEffect<MetaballEffect>, 26000, 0xFFFFFFFFu},
};

constexpr int kEffectCount = static_cast<int>(std::size(kTimeline));

// How long the capture tool records by default: the last effect's first four
// seconds, since the last effect runs until the user ends the show.
constexpr uint32_t kShowLengthMs = kTimeline[kEffectCount - 1].startMs + 4000;
