// The description of the frame the show has just drawn, read from the
// shell's state and the active effect's members (Effect::Describe): the one
// text the explorer shows and the capture tool's --describe prints.
//
//   {"frame":K,"fps":F,"seed":S,"timelineMs":T,"slot":N,"name":"plasma",
//    "startMs":16000,"endMs":26000,"effectMs":E,"effect":{...},
//    "points":[POINT,...]}            ("points" only when points are asked)
//   POINT: {"x":X,"y":Y,"pixel":"0x00RRGGBB","effect":{...}}
//
// With no effect active (only at 4294967295 ms) "slot" is -1 and "name" and
// "effect" are null. A point off the 640x480 screen gives {"x","y","error"}.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using ScreenPoints = std::vector<std::pair<int, int>>;

// `pixels`: the 640x480 frame presented.
std::string DescribeDrawnFrame(uint64_t frame, uint32_t fps, uint32_t seed,
                               const uint32_t* pixels, const ScreenPoints& points);
std::string DescribeDrawnPoint(int x, int y, const uint32_t* pixels);
// [{"slot":0,"name":"tile zoom","startMs":0,"endMs":8000},...]
std::string DescribeTimeline();
