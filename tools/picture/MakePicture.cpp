// Writes the tile zoom's picture as a 640x480 PNG: to the path given, or to
// "pvn_quad.png" in the working directory. The committed assets/pvn_quad.png
// is this program's output.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/png/PngWriter.h"
#include "tools/picture/Picture.h"

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: brindlemox-make-picture [OUTPUT.png]\n");
    return 2;
  }
  const char* out = argc == 2 ? argv[1] : "pvn_quad.png";
  const std::vector<uint32_t> pixels = DrawPicture();
  std::string reason;
  if (!EncodePngFile(out, pixels.data(), kPictureWidth, kPictureHeight, reason)) {
    std::fprintf(stderr, "brindlemox-make-picture: cannot write \"%s\": %s\n", out,
                 reason.c_str());
    return 1;
  }
  return 0;
}
