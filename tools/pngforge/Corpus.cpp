#include "tools/pngforge/Corpus.h"

#include <string>

namespace pngforge {

namespace {

// A plain linear congruential sequence, so the corpus is the same on every run.
struct Samples {
  uint32_t state = 12345;
  uint16_t Next(uint32_t below) {
    state = state * 1103515245u + 12345u;
    return static_cast<uint16_t>((state >> 8) % below);
  }
};

Image MakeImage(uint32_t width, uint32_t height, uint8_t colourType, uint8_t bitDepth,
                bool interlaced, Samples& random) {
  Image image;
  image.width = width;
  image.height = height;
  image.colourType = colourType;
  image.bitDepth = bitDepth;
  image.interlaced = interlaced;
  const size_t count = static_cast<size_t>(width) * height * Channels(colourType);
  const uint32_t limit = 1u << bitDepth;
  if (colourType == kPalette) {
    const uint32_t entries = limit < 7 ? limit : 7;
    for (uint32_t i = 0; i < entries; ++i)
      image.palette.push_back({static_cast<uint8_t>(random.Next(256)),
                               static_cast<uint8_t>(random.Next(256)),
                               static_cast<uint8_t>(random.Next(256))});
    for (size_t i = 0; i < count; ++i) image.samples.push_back(random.Next(entries));
  } else {
    for (size_t i = 0; i < count; ++i) image.samples.push_back(random.Next(limit));
  }
  return image;
}

std::string DepthName(uint8_t colourType) {
  switch (colourType) {
    case kGrey: return "grey";
    case kRgb: return "rgb";
    case kPalette: return "palette";
    case kGreyAlpha: return "greyalpha";
    default: return "rgba";
  }
}

Bytes Header(uint32_t w, uint32_t h, uint8_t depth, uint8_t type, bool interlaced = false) {
  return Chunk("IHDR", HeaderData(w, h, depth, type, interlaced));
}

Bytes Idat(const Image& image) { return Chunk("IDAT", StoredZlib(Scanlines(image))); }

Bytes Iend() { return Chunk("IEND", {}); }

}  // namespace

std::vector<CorpusFile> SeedCorpus() {
  std::vector<CorpusFile> corpus;
  Samples random;
  auto add = [&corpus](std::string name, Bytes bytes) {
    corpus.push_back({std::move(name), std::move(bytes)});
  };

  // Every colour type at every depth it allows, plain and interlaced, at a
  // size that leaves some Adam7 passes partly empty.
  const struct {
    uint8_t type;
    std::vector<uint8_t> depths;
  } kinds[] = {{kGrey, {1, 2, 4, 8, 16}},
               {kRgb, {8, 16}},
               {kPalette, {1, 2, 4, 8}},
               {kGreyAlpha, {8, 16}},
               {kRgba, {8, 16}}};
  for (const auto& kind : kinds) {
    for (uint8_t depth : kind.depths) {
      for (bool interlaced : {false, true}) {
        const Image image = MakeImage(13, 7, kind.type, depth, interlaced, random);
        add("good-" + DepthName(kind.type) + "-" + std::to_string(depth) +
                (interlaced ? "-adam7" : "") + ".png",
            Forge(image));
      }
    }
  }

  // Transparency: a grey key, a colour key, alpha for some palette entries.
  {
    Image grey = MakeImage(9, 5, kGrey, 8, false, random);
    grey.transparency = {0, static_cast<uint8_t>(grey.samples[0])};
    add("good-grey-8-trns.png", Forge(grey));
    Image rgb = MakeImage(9, 5, kRgb, 16, true, random);
    rgb.transparency = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    add("good-rgb-16-trns-adam7.png", Forge(rgb));
    Image palette = MakeImage(9, 5, kPalette, 4, false, random);
    palette.transparency = {0, 128, 255};
    add("good-palette-4-trns.png", Forge(palette));
  }

  // Sizes at the edges: one pixel (six of the seven passes empty), one row,
  // one column.
  add("good-rgb-8-1x1.png", Forge(MakeImage(1, 1, kRgb, 8, false, random)));
  add("good-rgb-8-1x1-adam7.png", Forge(MakeImage(1, 1, kRgb, 8, true, random)));
  add("good-grey-1-17x1.png", Forge(MakeImage(17, 1, kGrey, 1, false, random)));
  add("good-rgba-8-1x9-adam7.png", Forge(MakeImage(1, 9, kRgba, 8, true, random)));

  const Image base = MakeImage(6, 4, kRgb, 8, false, random);
  const Bytes header = Header(6, 4, 8, kRgb);
  const Bytes zlib = StoredZlib(Scanlines(base));
  const Bytes good = Forge(base);

  // The image data split over three IDAT chunks, one of them empty; an
  // unknown ancillary chunk, which a decoder skips.
  {
    const size_t third = zlib.size() / 3;
    add("good-split-idat.png",
        Assemble({header, Chunk("IDAT", Bytes(zlib.begin(), zlib.begin() + third)),
                  Chunk("IDAT", {}),
                  Chunk("IDAT", Bytes(zlib.begin() + third, zlib.end())), Iend()}));
    add("good-unknown-ancillary-chunk.png",
        Assemble({header, Chunk("brMx", {1, 2, 3}), Chunk("IDAT", zlib), Iend()}));
  }

  // Not PNG files at all.
  add("bad-empty.png", {});
  add("bad-signature-only.png", Signature());
  {
    const std::string text = "this is not a picture\n";
    add("bad-text.png", Bytes(text.begin(), text.end()));
  }

  // Truncated at every stage.
  add("bad-truncated-in-signature.png", Bytes(good.begin(), good.begin() + 5));
  add("bad-truncated-in-ihdr.png", Bytes(good.begin(), good.begin() + 20));
  add("bad-truncated-in-idat.png", Bytes(good.begin(), good.begin() + 33 + 8 + 30));
  add("bad-no-iend.png", Bytes(good.begin(), good.end() - 12));

  // One wrong CRC each.
  {
    Bytes crc = good;
    crc[8 + 8 + 13] ^= 0x01;  // the IHDR CRC's first byte
    add("bad-crc-ihdr.png", crc);
    Bytes idat = good;
    idat[idat.size() - 12 - 1] ^= 0x80;  // the IDAT CRC's last byte
    add("bad-crc-idat.png", idat);
    Image palette = MakeImage(4, 4, kPalette, 8, false, random);
    Bytes plte = Forge(palette);
    plte[33 + 8 + 3 * palette.palette.size()] ^= 0xFF;
    add("bad-crc-plte.png", plte);
  }

  // Sizes no picture may have, each with a right CRC: far too large, wider
  // than any side we accept, more pixels in all than we accept, or empty.
  // Each carries a few rows of real data.
  add("bad-declared-100000x100000.png", Assemble({Header(100000, 100000, 8, kRgb),
                                                  Chunk("IDAT", zlib), Iend()}));
  add("bad-declared-8193x1.png", Assemble({Header(8193, 1, 8, kRgb), Chunk("IDAT", zlib), Iend()}));
  add("bad-declared-4097x4097.png",
      Assemble({Header(4097, 4097, 8, kGrey), Chunk("IDAT", zlib), Iend()}));
  add("bad-declared-8192x2048.png",
      Assemble({Header(8192, 2048, 8, kRgba), Chunk("IDAT", zlib), Iend()}));
  add("bad-declared-0x4.png", Assemble({Header(0, 4, 8, kRgb), Chunk("IDAT", zlib), Iend()}));
  add("bad-declared-4x0.png", Assemble({Header(4, 0, 8, kRgb), Chunk("IDAT", zlib), Iend()}));
  add("bad-declared-2147483648x1.png",
      Assemble({Header(0x80000000u, 1, 8, kRgb), Chunk("IDAT", zlib), Iend()}));

  // Header fields PNG does not allow.
  add("bad-grey-depth-3.png", Assemble({Header(6, 4, 3, kGrey), Chunk("IDAT", zlib), Iend()}));
  add("bad-rgb-depth-4.png", Assemble({Header(6, 4, 4, kRgb), Chunk("IDAT", zlib), Iend()}));
  add("bad-colour-type-1.png", Assemble({Header(6, 4, 8, 1), Chunk("IDAT", zlib), Iend()}));
  add("bad-palette-depth-16.png",
      Assemble({Header(6, 4, 16, kPalette), Chunk("PLTE", {1, 2, 3}), Chunk("IDAT", zlib), Iend()}));
  {
    Bytes data = HeaderData(6, 4, 8, kRgb, false);
    data[10] = 1;  // compression method
    add("bad-compression-method-1.png", Assemble({Chunk("IHDR", data), Chunk("IDAT", zlib), Iend()}));
    data[10] = 0;
    data[11] = 1;  // filter method
    add("bad-filter-method-1.png", Assemble({Chunk("IHDR", data), Chunk("IDAT", zlib), Iend()}));
    data[11] = 0;
    data[12] = 2;  // interlace method
    add("bad-interlace-method-2.png", Assemble({Chunk("IHDR", data), Chunk("IDAT", zlib), Iend()}));
    Bytes longer = HeaderData(6, 4, 8, kRgb, false);
    longer.push_back(0);
    add("bad-ihdr-14-bytes.png", Assemble({Chunk("IHDR", longer), Chunk("IDAT", zlib), Iend()}));
  }

  // Chunks missing, misplaced, repeated, unknown and critical, or longer
  // than the file.
  add("bad-no-idat.png", Assemble({header, Iend()}));
  add("bad-no-ihdr.png", Assemble({Chunk("IDAT", zlib), Iend()}));
  add("bad-two-ihdr.png", Assemble({header, header, Chunk("IDAT", zlib), Iend()}));
  add("bad-unknown-critical-chunk.png",
      Assemble({header, Chunk("BRMX", {1, 2, 3}), Chunk("IDAT", zlib), Iend()}));
  {
    Bytes length = good;
    length[33] = 0x7F;  // the IDAT's length: 2^31 - 1 and more
    length[34] = 0xFF;
    add("bad-idat-length-2g.png", length);
    Bytes beyond = good;
    beyond[36] = static_cast<uint8_t>(beyond[36] + 40);  // 40 bytes past the end
    add("bad-idat-length-beyond-file.png", beyond);
  }

  // Palettes: none for a palette image, a length that is not whole entries,
  // more than 256 entries, an index past the last entry, more alpha values
  // than entries.
  {
    Image palette = MakeImage(5, 3, kPalette, 8, false, random);
    const Bytes idat = Idat(palette);
    const Bytes head = Header(5, 3, 8, kPalette);
    add("bad-palette-missing.png", Assemble({head, idat, Iend()}));
    add("bad-palette-length-4.png", Assemble({head, Chunk("PLTE", {1, 2, 3, 4}), idat, Iend()}));
    add("bad-palette-257-entries.png", Assemble({head, Chunk("PLTE", Bytes(257 * 3, 7)), idat, Iend()}));
    palette.samples[4] = 200;
    add("odd-palette-index-past-the-end.png", Forge(palette));
    Image trns = MakeImage(5, 3, kPalette, 8, false, random);
    trns.transparency = Bytes(trns.palette.size() + 3, 9);
    add("odd-trns-longer-than-palette.png", Forge(trns));
    Image afterIdat = MakeImage(5, 3, kPalette, 8, false, random);
    Bytes entries;
    for (const auto& rgb : afterIdat.palette) entries.insert(entries.end(), rgb.begin(), rgb.end());
    add("bad-palette-after-idat.png",
        Assemble({Header(5, 3, 8, kPalette), Idat(afterIdat), Chunk("PLTE", entries), Iend()}));
  }

  // Broken image data: too few rows, too many, an unknown row filter, a
  // wrong Adler-32, a zlib header that is not deflate.
  {
    const Image small = MakeImage(6, 2, kRgb, 8, false, random);
    add("bad-idat-too-few-rows.png",
        Assemble({header, Chunk("IDAT", StoredZlib(Scanlines(small))), Iend()}));
    const Image tall = MakeImage(6, 9, kRgb, 8, false, random);
    add("odd-idat-too-many-rows.png",
        Assemble({header, Chunk("IDAT", StoredZlib(Scanlines(tall))), Iend()}));
    Bytes lines = Scanlines(base);
    lines[1 + 6 * 3] = 5;  // the second row's filter
    add("bad-row-filter-5.png", Assemble({header, Chunk("IDAT", StoredZlib(lines)), Iend()}));
    Bytes adler = zlib;
    adler.back() ^= 0x01;
    add("bad-adler32.png", Assemble({header, Chunk("IDAT", adler), Iend()}));
    Bytes method = zlib;
    method[0] = 0x77;  // compression method 7
    add("bad-zlib-method.png", Assemble({header, Chunk("IDAT", method), Iend()}));
  }
  return corpus;
}

}  // namespace pngforge
