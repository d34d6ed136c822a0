// The seed corpus of the PNG fuzz target (committed under fuzz/corpus/),
// made by brindlemox-make-png-corpus. Each name says what the device must do
// with the file:
//   good-*  decodes: every colour type and bit depth, interlaced or not,
//           palettes, transparency, odd sizes, chunks split or unknown;
//   bad-*   is refused: truncated, wrong CRC, impossible or huge sizes,
//           invalid header fields, broken zlib data, missing chunks;
//   odd-*   is either, as the decoder sees fit (the PNG rules leave room).
#pragma once

#include <string>
#include <vector>

#include "tools/pngforge/PngForge.h"

namespace pngforge {

struct CorpusFile {
  std::string name;
  Bytes bytes;
};

std::vector<CorpusFile> SeedCorpus();

}  // namespace pngforge
