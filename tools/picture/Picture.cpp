#include "tools/picture/Picture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string_view>

namespace {

struct Rgb {
  int r, g, b;
};

uint32_t Pack(Rgb c) {
  return static_cast<uint32_t>(std::clamp(c.r, 0, 255)) << 16 |
         static_cast<uint32_t>(std::clamp(c.g, 0, 255)) << 8 |
         static_cast<uint32_t>(std::clamp(c.b, 0, 255));
}

// a + (b - a) * num / den, per channel.
Rgb Mix(Rgb a, Rgb b, int num, int den) {
  return {a.r + (b.r - a.r) * num / den, a.g + (b.g - a.g) * num / den,
          a.b + (b.b - a.b) * num / den};
}

Rgb Scale(Rgb c, int num, int den) { return {c.r * num / den, c.g * num / den, c.b * num / den}; }

// A 5x7 block font with the letters of the name; '#' is a block.
struct Glyph {
  char letter;
  const char* rows[7];
};

constexpr Glyph kFont[] = {
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'I', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"}},
    {'N', {"#...#", "##..#", "#.#.#", "#.#.#", "#.#.#", "#..##", "#...#"}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
};

const Glyph* FindGlyph(char letter) {
  for (const Glyph& g : kFont)
    if (g.letter == letter) return &g;
  return nullptr;
}

constexpr std::string_view kName = "BRINDLEMOX";
constexpr int kBlock = 10;        // pixels per font block
constexpr int kGlyphColumns = 6;  // five blocks and a gap
constexpr int kTextWidth = (static_cast<int>(kName.size()) * kGlyphColumns - 1) * kBlock;
constexpr int kTextLeft = (kPictureWidth - kTextWidth) / 2;
constexpr int kTextTop = (kPictureHeight - 7 * kBlock) / 2;
constexpr int kShadow = 5;

// Whether block (column, row) of the text, counted from its top left, is set.
bool BlockSet(int column, int row) {
  if (column < 0 || row < 0 || row >= 7) return false;
  const size_t letter = static_cast<size_t>(column / kGlyphColumns);
  const int within = column % kGlyphColumns;
  if (letter >= kName.size() || within == 5) return false;
  const Glyph* glyph = FindGlyph(kName[letter]);
  return glyph != nullptr && glyph->rows[row][within] == '#';
}

// The block under pixel (x, y) of the text, or false; also where in the
// block the pixel lies.
bool InText(int x, int y, int& inX, int& inY, int& textRow) {
  const int tx = x - kTextLeft;
  const int ty = y - kTextTop;
  if (tx < 0 || ty < 0) return false;
  inX = tx % kBlock;
  inY = ty % kBlock;
  textRow = ty / kBlock;
  return BlockSet(tx / kBlock, ty / kBlock);
}

Rgb Background(int x, int y) {
  // Bilinear blend of four corner colours: indigo, magenta, teal, orange.
  const Rgb topLeft{30, 40, 150}, topRight{210, 40, 150};
  const Rgb bottomLeft{0, 160, 160}, bottomRight{250, 160, 30};
  const Rgb top = Mix(topLeft, topRight, x, kPictureWidth - 1);
  const Rgb bottom = Mix(bottomLeft, bottomRight, x, kPictureWidth - 1);
  Rgb c = Mix(top, bottom, y, kPictureHeight - 1);

  // A soft glow towards the centre: up to a quarter brighter.
  const int dx = x - kPictureWidth / 2;
  const int dy = y - kPictureHeight / 2;
  const int far = (kPictureWidth / 2) * (kPictureWidth / 2) + (kPictureHeight / 2) * (kPictureHeight / 2);
  const int near = far - std::min(far, dx * dx + dy * dy);
  c = Scale(c, 4 * far + near, 4 * far);

  // Thin rings every 48 pixels about the centre, drawn with a one-pixel
  // soft edge.
  const double distance = std::sqrt(static_cast<double>(dx * dx + dy * dy));
  const double offRing = std::fabs(distance - 48.0 * std::nearbyint(distance / 48.0));
  if (offRing < 1.0 && distance > 24.0) {
    const int weight = static_cast<int>((1.0 - offRing) * 96.0);
    c = Mix(c, Rgb{255, 255, 255}, weight, 256);
  }

  // The grid: a faint line every 16 pixels, a stronger one every 64, both
  // through the centre of the picture.
  const bool major = x % 64 == 0 || y % 64 == 48;
  const bool minor = x % 16 == 0 || y % 16 == 0;
  if (major) {
    c = Mix(c, Rgb{255, 255, 255}, 1, 2);
  } else if (minor) {
    c = Mix(c, Rgb{255, 255, 255}, 1, 4);
  }
  return c;
}

Rgb Letter(int inX, int inY, int textRow) {
  // Warm white at the top of the name to gold at the bottom, each block
  // bevelled: lit on its top and left edges, shaded on the bottom and right.
  const Rgb face = Mix(Rgb{255, 250, 225}, Rgb{255, 185, 40}, textRow * kBlock + inY, 7 * kBlock);
  if (inX == 0 || inY == 0) return Mix(face, Rgb{255, 255, 255}, 2, 3);
  if (inX == kBlock - 1 || inY == kBlock - 1) return Scale(face, 5, 8);
  return face;
}

}  // namespace

std::vector<uint32_t> DrawPicture() {
  std::vector<uint32_t> pixels(static_cast<size_t>(kPictureWidth) * kPictureHeight);
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      Rgb c;
      int inX = 0, inY = 0, textRow = 0;
      if (InText(x, y, inX, inY, textRow)) {
        c = Letter(inX, inY, textRow);
      } else {
        c = Background(x, y);
        if (InText(x - kShadow, y - kShadow, inX, inY, textRow)) c = Scale(c, 2, 5);
      }
      // A frame round the edge: a light outer line and a dark inner one.
      const int edge = std::min(std::min(x, kPictureWidth - 1 - x), std::min(y, kPictureHeight - 1 - y));
      if (edge < 2) c = Rgb{250, 245, 235};
      else if (edge < 4) c = Rgb{25, 20, 40};
      pixels[static_cast<size_t>(y) * kPictureWidth + static_cast<size_t>(x)] = Pack(c);
    }
  }
  return pixels;
}
