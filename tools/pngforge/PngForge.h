// Writes PNG files byte by byte, so that tests and the fuzz corpus can have
// every colour type and bit depth, Adam7 interlacing, palettes and
// transparency, and files broken in exactly one known way.
//
// The image data is filtered with filter 0 (none) on every row and kept in
// stored (uncompressed) deflate blocks: every byte of a scanline stands in
// the file, which keeps the files small to reason about and lets a fuzzer's
// mutations of pixel bytes still inflate.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pngforge {

using Bytes = std::vector<uint8_t>;

enum ColourType : uint8_t {
  kGrey = 0,
  kRgb = 2,
  kPalette = 3,
  kGreyAlpha = 4,
  kRgba = 6,
};

// Samples per pixel of a colour type (0 for a type PNG does not have).
int Channels(uint8_t colourType);

struct Image {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t bitDepth = 8;
  uint8_t colourType = kRgb;
  bool interlaced = false;
  // width * height * Channels(colourType) samples, row by row, each below
  // 2^bitDepth (palette indices for kPalette).
  std::vector<uint16_t> samples;
  // PLTE entries, written when not empty.
  std::vector<std::array<uint8_t, 3>> palette;
  // The tRNS chunk's contents, written (after PLTE) when not empty.
  Bytes transparency;
};

// The CRC-32 of PNG chunks (and zlib's polynomial), over bytes.
uint32_t Crc32(const uint8_t* data, size_t size);
uint32_t Adler32(const uint8_t* data, size_t size);

// The 8-byte PNG signature.
Bytes Signature();
// One chunk: length, type, data and the CRC of type and data.
Bytes Chunk(const char (&type)[5], const Bytes& data);
// The 13 bytes of an IHDR chunk's data.
Bytes HeaderData(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType,
                 bool interlaced);
// The filtered scanlines of the image (each Adam7 pass in turn when
// interlaced): a filter byte 0, then the row's samples packed big-endian,
// bits of small depths from the most significant end, each row padded to a
// whole byte.
Bytes Scanlines(const Image& image);
// A zlib stream of stored blocks holding raw, with its Adler-32.
Bytes StoredZlib(const Bytes& raw);

// A file of the given chunks in order, after the signature.
Bytes Assemble(const std::vector<Bytes>& chunks);

// The whole file: signature, IHDR, PLTE, tRNS, one IDAT, IEND.
Bytes Forge(const Image& image);

// Recomputes the CRC of every chunk that lies whole in the file, from the
// end of the signature on; bytes after the last whole chunk are left alone.
// Returns whether anything changed.
bool FixChunkCrcs(Bytes& png);

// Appends the big-endian 32-bit value.
void PutU32(Bytes& out, uint32_t value);

}  // namespace pngforge
