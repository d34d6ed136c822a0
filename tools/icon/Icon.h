// The program's icon, drawn from the show itself: the metaballs' first frame
// (26000 ms on the timeline, their own clock at 0), a square of it around
// the three glowing charges, averaged down to each of the sizes a desktop
// asks for. The committed assets/icons/hicolor/SIZExSIZE/apps/brindlemox.png
// are brindlemox-make-icons' output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The square taken from the 640x480 frame: at that moment the charges' bright
// cores (red above 200) lie in x 262..461 and y 162..341, and the square
// centred on them leaves a margin of their glow on every side.
constexpr int kIconSquareLeft = 202;
constexpr int kIconSquareTop = 92;
constexpr int kIconSquareSide = 320;

// Renders the frame the icon is cut from (640x480 pixels 0x00RRGGBB) with the
// capture tool's virtual clock. False with the reason when the show fails.
bool RenderIconFrame(std::vector<uint32_t>& frame, std::string& error);

// The square of `side` pixels at (left, top) of a picture `stride` pixels
// wide, averaged down to size x size (size <= side): each pixel of the result
// is the mean of the part of the square it covers, every pixel of the square
// weighted by the area the two share, each channel rounded to the nearest
// value. Exact integer arithmetic: the same on every machine.
std::vector<uint32_t> ShrinkSquare(const uint32_t* pixels, int stride, int left, int top,
                                   int side, int size);

// The icon of size x size pixels, from the frame RenderIconFrame renders.
std::vector<uint32_t> DrawIcon(const std::vector<uint32_t>& frame, int size);

// Where the icon of that size lies below a folder of icon themes:
// "hicolor/SIZExSIZE/apps/brindlemox.png".
std::string IconPath(int size);
