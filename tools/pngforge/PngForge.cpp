#include "tools/pngforge/PngForge.h"

#include <algorithm>

namespace pngforge {

namespace {

// The Adam7 passes: first column and row, then the steps between them.
struct Pass {
  uint32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole = {0, 0, 1, 1};

// Appends the filtered rows of the pixels (x0 + i*dx, y0 + j*dy). A pass with
// no pixel adds nothing, not even filter bytes.
void AppendPass(const Image& image, const Pass& pass, Bytes& out) {
  if (pass.x0 >= image.width || pass.y0 >= image.height) return;
  const int channels = Channels(image.colourType);
  const uint32_t columns = (image.width - pass.x0 + pass.dx - 1) / pass.dx;
  for (uint32_t y = pass.y0; y < image.height; y += pass.dy) {
    out.push_back(0);  // filter: none
    uint32_t bitBuffer = 0;
    int bits = 0;
    for (uint32_t i = 0; i < columns; ++i) {
      const uint32_t x = pass.x0 + i * pass.dx;
      const size_t first = (static_cast<size_t>(y) * image.width + x) * channels;
      for (int c = 0; c < channels; ++c) {
        const uint16_t sample = image.samples[first + static_cast<size_t>(c)];
        if (image.bitDepth == 16) {
          out.push_back(static_cast<uint8_t>(sample >> 8));
          out.push_back(static_cast<uint8_t>(sample));
        } else if (image.bitDepth == 8) {
          out.push_back(static_cast<uint8_t>(sample));
        } else {
          bitBuffer = bitBuffer << image.bitDepth | (sample & ((1u << image.bitDepth) - 1));
          bits += image.bitDepth;
          if (bits == 8) {
            out.push_back(static_cast<uint8_t>(bitBuffer));
            bitBuffer = 0;
            bits = 0;
          }
        }
      }
    }
    if (bits > 0) out.push_back(static_cast<uint8_t>(bitBuffer << (8 - bits)));
  }
}

}  // namespace

int Channels(uint8_t colourType) {
  switch (colourType) {
    case kGrey: return 1;
    case kRgb: return 3;
    case kPalette: return 1;
    case kGreyAlpha: return 2;
    case kRgba: return 4;
    default: return 0;
  }
}

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const uint8_t* data, size_t size) {
  uint32_t a = 1, b = 0;
  for (size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % 65521u;
    b = (b + a) % 65521u;
  }
  return b << 16 | a;
}

void PutU32(Bytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

Bytes Signature() { return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}; }

Bytes Chunk(const char (&type)[5], const Bytes& data) {
  Bytes out;
  PutU32(out, static_cast<uint32_t>(data.size()));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutU32(out, Crc32(out.data() + 4, data.size() + 4));
  return out;
}

Bytes HeaderData(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType,
                 bool interlaced) {
  Bytes out;
  PutU32(out, width);
  PutU32(out, height);
  out.push_back(bitDepth);
  out.push_back(colourType);
  out.push_back(0);  // deflate
  out.push_back(0);  // adaptive filtering
  out.push_back(interlaced ? 1 : 0);
  return out;
}

Bytes Scanlines(const Image& image) {
  Bytes out;
  if (image.interlaced) {
    for (const Pass& pass : kAdam7) AppendPass(image, pass, out);
  } else {
    AppendPass(image, kWhole, out);
  }
  return out;
}

Bytes StoredZlib(const Bytes& raw) {
  Bytes out = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t length = std::min<size_t>(raw.size() - at, 65535);
    const bool last = at + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<uint8_t>(length));
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.push_back(static_cast<uint8_t>(~length));
    out.push_back(static_cast<uint8_t>(~length >> 8));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
               raw.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
  } while (at < raw.size());
  PutU32(out, Adler32(raw.data(), raw.size()));
  return out;
}

Bytes Assemble(const std::vector<Bytes>& chunks) {
  Bytes out = Signature();
  for (const Bytes& chunk : chunks) out.insert(out.end(), chunk.begin(), chunk.end());
  return out;
}

Bytes Forge(const Image& image) {
  std::vector<Bytes> chunks;
  chunks.push_back(Chunk("IHDR", HeaderData(image.width, image.height, image.bitDepth,
                                            image.colourType, image.interlaced)));
  if (!image.palette.empty()) {
    Bytes entries;
    for (const auto& rgb : image.palette) entries.insert(entries.end(), rgb.begin(), rgb.end());
    chunks.push_back(Chunk("PLTE", entries));
  }
  if (!image.transparency.empty()) chunks.push_back(Chunk("tRNS", image.transparency));
  chunks.push_back(Chunk("IDAT", StoredZlib(Scanlines(image))));
  chunks.push_back(Chunk("IEND", {}));
  return Assemble(chunks);
}

bool FixChunkCrcs(Bytes& png) {
  bool changed = false;
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = static_cast<uint32_t>(png[at]) << 24 |
                            static_cast<uint32_t>(png[at + 1]) << 16 |
                            static_cast<uint32_t>(png[at + 2]) << 8 | png[at + 3];
    if (length > png.size() - at - 12) break;
    const size_t crcAt = at + 8 + length;
    const uint32_t crc = Crc32(png.data() + at + 4, static_cast<size_t>(length) + 4);
    for (int k = 0; k < 4; ++k) {
      const uint8_t byte = static_cast<uint8_t>(crc >> (24 - 8 * k));
      if (png[crcAt + static_cast<size_t>(k)] != byte) {
        png[crcAt + static_cast<size_t>(k)] = byte;
        changed = true;
      }
    }
    at = crcAt + 4;
  }
  return changed;
}

}  // namespace pngforge
