// The tile zoom's picture, drawn in code: the name in large block letters
// over a four-colour gradient, a fine grid and rings about the centre.
//
// Everything that can reveal a misplaced or mis-scaled tile crosses the tile
// seams (columns at x = 213 and 426, the row at y = 240): the letters stand
// across all three seams, the grid lines run through every tile at a 16-pixel
// pitch that the seams do not share, the rings are centred on the picture,
// and each corner of the picture has its own colour. A frame runs round the
// picture's edge, so a tile cut short at the border shows.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

// The picture as kPictureWidth x kPictureHeight pixels 0x00RRGGBB, rows top
// to bottom. Only integer arithmetic and square roots, so every build draws
// the same pixels.
std::vector<uint32_t> DrawPicture();
