// The device's LoadPNG on every PNG format, on pictures of any size, and on
// broken files: a picture it cannot use leaves the surface black and makes
// it say so in one line naming the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "framework/QelGFX.h"
#include "platform/headless/HeadlessControl.h"
#include "tests/HeadlessDevice.h"
#include "tests/PixelChecks.h"
#include "tests/ScratchDirectory.h"
#include "tools/png/PngWriter.h"
#include "tools/pngforge/Corpus.h"
#include "tools/pngforge/PngForge.h"

namespace fs = std::filesystem;
namespace forge = pngforge;

namespace {

// Samples of the given kind in a fixed pseudo-random order. 16-bit samples
// are multiples of 257, whose high byte is also their value scaled to 8 bits,
// so the test does not depend on how a decoder rounds 16 bits down to 8.
forge::Image MakeImage(uint32_t w, uint32_t h, uint8_t type, uint8_t depth, bool interlaced) {
  forge::Image image;
  image.width = w;
  image.height = h;
  image.colourType = type;
  image.bitDepth = depth;
  image.interlaced = interlaced;
  uint32_t state = w * 7919u + h * 104729u + type * 31u + depth;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  const uint32_t limit = depth == 16 ? 256 : 1u << depth;
  if (type == forge::kPalette) {
    for (uint32_t i = 0; i < limit; ++i)
      image.palette.push_back({static_cast<uint8_t>(next()), static_cast<uint8_t>(next()),
                               static_cast<uint8_t>(next())});
  }
  const size_t count = static_cast<size_t>(w) * h * forge::Channels(type);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t v = next() % limit;
    image.samples.push_back(static_cast<uint16_t>(depth == 16 ? v * 257 : v));
  }
  return image;
}

// What each pixel must show: the samples scaled to 8 bits (small depths by
// PNG's rule v * 255 / (2^depth - 1)), grey repeated in all three colours,
// palette indices looked up, alpha dropped.
std::vector<uint32_t> ExpectedPixels(const forge::Image& image) {
  const int channels = forge::Channels(image.colourType);
  auto eight = [&image](uint16_t s) -> uint32_t {
    if (image.bitDepth == 16) return s / 257u;
    return s * 255u / ((1u << image.bitDepth) - 1);
  };
  std::vector<uint32_t> out;
  for (size_t p = 0; p < static_cast<size_t>(image.width) * image.height; ++p) {
    const uint16_t* s = &image.samples[p * static_cast<size_t>(channels)];
    switch (image.colourType) {
      case forge::kPalette: {
        const auto& rgb = image.palette[s[0]];
        out.push_back(uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2]);
        break;
      }
      case forge::kGrey:
      case forge::kGreyAlpha:
        out.push_back(eight(s[0]) * 0x010101u);
        break;
      default:
        out.push_back(eight(s[0]) << 16 | eight(s[1]) << 8 | eight(s[2]));
    }
  }
  return out;
}

class PngInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless = std::make_unique<HeadlessDevice>();
    device = headless->device;
    scratch = std::make_unique<ScratchDirectory>();
    dir = scratch->path;
  }
  void TearDown() override {
    scratch.reset();
    headless.reset();
    platform::headless::Reset();
  }

  fs::path Write(const std::string& name, const forge::Bytes& bytes) {
    const fs::path path = dir / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  struct Load {
    bool loaded;
    std::string said;
    std::vector<uint32_t> pixels;
  };
  // LoadPNG of the file into a fresh w x h surface.
  Load LoadInto(const fs::path& file, uint16_t w = 640, uint16_t h = 480) {
    Surface* s = nullptr;
    if (device->CreateSurface(w, h, &s) != 0 || s == nullptr) {
      ADD_FAILURE() << "no " << w << "x" << h << " surface to load " << file << " into";
      return {false, "", {}};
    }
    testing::internal::CaptureStderr();
    const bool loaded = device->LoadPNG(file.string().c_str(), s);
    Load result{loaded, testing::internal::GetCapturedStderr(),
                std::vector<uint32_t>(s->Pixels(), s->Pixels() + size_t{w} * h)};
    device->ReleaseSurface(s);
    return result;
  }

  // A refusal: one line that names the file, and a black surface.
  static void ExpectRefused(const Load& load, const fs::path& file) {
    EXPECT_FALSE(load.loaded) << file;
    EXPECT_EQ(std::count(load.said.begin(), load.said.end(), '\n'), 1) << load.said;
    EXPECT_NE(load.said.find("\"" + file.string() + "\""), std::string::npos) << load.said;
    EXPECT_TRUE(AllOneColour(load.pixels, 0))
        << file << " left colour on the surface";
  }

  std::unique_ptr<HeadlessDevice> headless;
  QelGFX* device = nullptr;
  std::unique_ptr<ScratchDirectory> scratch;
  fs::path dir;
};

// A file whose header declares w x h RGB (or `type`) but that holds the
// image data of a 4x4 picture.
forge::Bytes DeclaringSize(uint32_t w, uint32_t h, uint8_t type = forge::kRgb) {
  const forge::Bytes rows =
      forge::StoredZlib(forge::Scanlines(MakeImage(4, 4, forge::kRgb, 8, false)));
  return forge::Assemble({forge::Chunk("IHDR", forge::HeaderData(w, h, 8, type, false)),
                          forge::Chunk("IDAT", rows), forge::Chunk("IEND", {})});
}

}  // namespace

TEST_F(PngInputTest, EveryColourTypeAndBitDepthDecodesToItsSamplesInterlacedOrNot) {
  const struct {
    uint8_t type;
    std::vector<uint8_t> depths;
  } kinds[] = {{forge::kGrey, {1, 2, 4, 8, 16}},
               {forge::kRgb, {8, 16}},
               {forge::kPalette, {1, 2, 4, 8}},
               {forge::kGreyAlpha, {8, 16}},
               {forge::kRgba, {8, 16}}};
  const std::pair<uint16_t, uint16_t> sizes[] = {{13, 7}, {1, 1}, {2, 9}, {17, 3}};
  for (const auto& kind : kinds)
    for (uint8_t depth : kind.depths)
      for (bool interlaced : {false, true})
        for (const auto& [w, h] : sizes) {
          const forge::Image image = MakeImage(w, h, kind.type, depth, interlaced);
          const fs::path file = Write("format.png", forge::Forge(image));
          const Load load = LoadInto(file, w, h);
          SCOPED_TRACE("type " + std::to_string(kind.type) + " depth " + std::to_string(depth) +
                       (interlaced ? " adam7 " : " ") + std::to_string(w) + "x" +
                       std::to_string(h));
          ASSERT_TRUE(load.loaded) << load.said;
          EXPECT_EQ(load.pixels, ExpectedPixels(image));
        }
}

TEST_F(PngInputTest, TransparencyIsDroppedAndTheColoursStay) {
  forge::Image grey = MakeImage(9, 5, forge::kGrey, 8, false);
  grey.transparency = {0, static_cast<uint8_t>(grey.samples[3])};
  forge::Image palette = MakeImage(9, 5, forge::kPalette, 4, true);
  palette.transparency = {0, 64, 255, 128};
  forge::Image rgb = MakeImage(9, 5, forge::kRgb, 16, false);
  for (int c = 0; c < 3; ++c) {  // the first pixel's colour is the key
    rgb.transparency.push_back(static_cast<uint8_t>(rgb.samples[static_cast<size_t>(c)] >> 8));
    rgb.transparency.push_back(static_cast<uint8_t>(rgb.samples[static_cast<size_t>(c)]));
  }
  for (const forge::Image* image : {&grey, &palette, &rgb}) {
    const Load load = LoadInto(Write("trns.png", forge::Forge(*image)), 9, 5);
    ASSERT_TRUE(load.loaded) << load.said;
    EXPECT_EQ(load.pixels, ExpectedPixels(*image));
  }
}

// A picture of another size is stretched over the surface: one pixel fills
// it, and each pixel of a 2x2 picture fills one quarter.
TEST_F(PngInputTest, APictureOfAnotherSizeIsStretchedOverTheSurface) {
  forge::Image one = MakeImage(1, 1, forge::kRgb, 8, false);
  one.samples = {0x12, 0x34, 0x56};
  Load load = LoadInto(Write("one.png", forge::Forge(one)));
  ASSERT_TRUE(load.loaded) << load.said;
  EXPECT_TRUE(AllOneColour(load.pixels, 0x123456u));

  forge::Image quarters = MakeImage(2, 2, forge::kRgb, 8, false);
  quarters.samples = {0x11, 0, 0, 0x22, 0, 0, 0x33, 0, 0, 0x44, 0, 0};
  load = LoadInto(Write("quarters.png", forge::Forge(quarters)));
  ASSERT_TRUE(load.loaded) << load.said;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x)
      ASSERT_EQ(load.pixels[static_cast<size_t>(y * 640 + x)],
                static_cast<uint32_t>(0x11 * (1 + (x >= 320) + 2 * (y >= 240))) << 16)
          << x << "," << y;
}

// What the capture tool writes reads back pixel for pixel.
TEST_F(PngInputTest, AScreenWrittenByEncodePngFileReadsBackExactly) {
  std::vector<uint32_t> pixels(640 * 480);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
  const fs::path file = dir / "screen.png";
  std::string reason;
  ASSERT_TRUE(EncodePngFile(file.string().c_str(), pixels.data(), 640, 480, reason)) << reason;
  const Load load = LoadInto(file);
  ASSERT_TRUE(load.loaded) << load.said;
  EXPECT_EQ(load.pixels, pixels);
}

// Names that are no picture file at all, each refused saying what it is:
// nothing there (a link to nothing too), a directory, a loop of links.
TEST_F(PngInputTest, AMissingFileADirectoryOrALinkLoopIsRefusedSayingWhichItIs) {
  fs::create_directory(dir / "folder.png");
  // Where the system makes no symbolic links (Windows without the right to),
  // the link cases are left out.
  std::error_code linkError;
  fs::create_symlink(dir / "nowhere.png", dir / "dangling.png", linkError);
  const bool links = !linkError;
  if (links) {
    fs::create_symlink(dir / "loop-b.png", dir / "loop-a.png");
    fs::create_symlink(dir / "loop-a.png", dir / "loop-b.png");
    fs::create_symlink("self.png", dir / "self.png");
  }
  const struct {
    const char* name;
    bool isLink;
    std::string says;
  } cases[] = {
      {"missing.png", false, "file not found"},
      {"dangling.png", true, "file not found"},
      {"folder.png", false, "not a regular file"},
      {"loop-a.png", true, "too many levels of symbolic links"},
      {"self.png", true, "too many levels of symbolic links"},
  };
  for (const auto& c : cases) {
    if (c.isLink && !links) continue;
    SCOPED_TRACE(c.name);
    const Load load = LoadInto(dir / c.name);
    ExpectRefused(load, dir / c.name);
    EXPECT_NE(load.said.find("\": " + c.says + "\n"), std::string::npos) << load.said;
  }
}

TEST_F(PngInputTest, SidesUpTo8192AreReadAndLargerDeclaredSizesAreRefusedByName) {
  forge::Image wide = MakeImage(8192, 1, forge::kGrey, 8, false);
  Load load = LoadInto(Write("wide.png", forge::Forge(wide)));
  ASSERT_TRUE(load.loaded) << load.said;
  // 8192 columns onto 640: column i shows source column (2i + 1) * 8192 / 1280.
  for (int x = 0; x < 640; ++x)
    ASSERT_EQ(load.pixels[static_cast<size_t>(x)], wide.samples[static_cast<size_t>((2 * x + 1) * 8192 / 1280)] * 0x010101u) << x;

  const std::pair<uint32_t, uint32_t> tooLarge[] = {
      {100000, 100000}, {8193, 1}, {1, 8193}, {4097, 4097}, {2147483647, 2147483647}};
  for (const auto& [w, h] : tooLarge) {
    const fs::path file = Write("large.png", DeclaringSize(w, h));
    load = LoadInto(file);
    ExpectRefused(load, file);
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    EXPECT_NE(load.said.find("picture of " + size + " is too large"), std::string::npos) << load.said;
  }
}

// A file cannot hold more than 1032 times its size of image data (deflate's
// largest expansion): a small file declaring a large picture is refused
// before anything is allocated for it, while an honest picture compressed
// as far as zlib goes is read.
TEST_F(PngInputTest, ASmallFileDeclaringALargePictureIsRefusedButAHighlyCompressedOneIsRead) {
  const std::vector<uint32_t> black(2048 * 2048, 0);
  const fs::path honest = dir / "black.png";
  std::string reason;
  ASSERT_TRUE(EncodePngFile(honest.string().c_str(), black.data(), 2048, 2048, reason)) << reason;
  const uintmax_t size = fs::file_size(honest);
  ASSERT_LT(size * 600, 2048u * 2048u * 3u) << "zlib compressed less than expected";
  Surface* s = nullptr;
  ASSERT_EQ(device->CreateSurface(640, 480, &s), 0);
  s->Pixels()[0] = 0xFFFFFF;
  ASSERT_TRUE(device->LoadPNG(honest.string().c_str(), s));
  EXPECT_EQ(s->Pixels()[0], 0u);
  device->ReleaseSurface(s);

  const forge::Bytes png = DeclaringSize(8192, 2048, forge::kRgba);
  const fs::path file = Write("declared.png", png);
  const Load load = LoadInto(file);
  ExpectRefused(load, file);
  EXPECT_NE(load.said.find("file of " + std::to_string(png.size()) +
                           " bytes is too short for a picture of 8192x2048"),
            std::string::npos)
      << load.said;
}

// A wrong CRC in a critical chunk refuses the file. tRNS is ancillary: with
// a wrong CRC it is skipped, which changes nothing since alpha is dropped.
TEST_F(PngInputTest, AWrongCrcInACriticalChunkIsRefusedAndInAnAncillaryOneSkipped) {
  forge::Image image = MakeImage(6, 4, forge::kPalette, 8, false);
  image.transparency = {10, 20};
  const forge::Bytes good = forge::Forge(image);
  ASSERT_TRUE(LoadInto(Write("good.png", good)).loaded);
  std::vector<std::string> seen;
  for (size_t at = 8; at < good.size();) {
    const size_t length = size_t{good[at]} << 24 | size_t{good[at + 1]} << 16 |
                          size_t{good[at + 2]} << 8 | good[at + 3];
    const std::string type(good.begin() + static_cast<long>(at) + 4,
                           good.begin() + static_cast<long>(at) + 8);
    seen.push_back(type);
    const size_t crcAt = at + 8 + length;
    forge::Bytes bad = good;
    bad[crcAt + 3] ^= 0x01;
    const fs::path file = Write("crc-" + type + ".png", bad);
    SCOPED_TRACE(type);
    const Load load = LoadInto(file, 6, 4);
    if (type == "tRNS") {
      ASSERT_TRUE(load.loaded) << load.said;
      EXPECT_EQ(load.pixels, ExpectedPixels(image));
    } else {
      ExpectRefused(load, file);
    }
    at = crcAt + 4;
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"IHDR", "PLTE", "tRNS", "IDAT", "IEND"}));
}

// Cut anywhere up to IEND's type, the file is refused. (IEND's own CRC, the
// last four bytes, covers a fixed word and nothing of the picture.)
TEST_F(PngInputTest, AFileCutShortBeforeItsEndIsRefused) {
  const forge::Bytes good = forge::Forge(MakeImage(6, 4, forge::kRgb, 8, true));
  for (size_t length = 0; length + 4 < good.size(); ++length) {
    const fs::path file = Write("cut.png", forge::Bytes(good.begin(), good.begin() + static_cast<long>(length)));
    SCOPED_TRACE("first " + std::to_string(length) + " bytes");
    ExpectRefused(LoadInto(file), file);
  }
}

TEST_F(PngInputTest, SeedCorpusFilesAreLoadedOrRefusedAsTheirNamesSay) {
  const std::vector<forge::CorpusFile> corpus = forge::SeedCorpus();
  ASSERT_GT(corpus.size(), 50u);
  for (const forge::CorpusFile& entry : corpus) {
    SCOPED_TRACE(entry.name);
    const fs::path file = Write(entry.name, entry.bytes);
    const Load load = LoadInto(file);
    if (entry.name.starts_with("good-")) {
      EXPECT_TRUE(load.loaded) << load.said;
      EXPECT_TRUE(load.said.empty()) << load.said;
    } else if (entry.name.starts_with("bad-") || !load.loaded) {
      ExpectRefused(load, file);
    }
  }
}

// Every file of the committed fuzz corpus and every input the fuzzer ever
// crashed on: loaded or refused, never harming anything (the sanitizer build
// runs this too).
TEST_F(PngInputTest, CommittedCorpusAndFuzzRegressionsAreLoadedOrCleanlyRefused) {
  int files = 0;
  for (const char* sub : {"fuzz/corpus", "tests/png-regressions"}) {
    const fs::path root = fs::path(BRINDLEMOX_SOURCE_DIR) / sub;
    if (!fs::is_directory(root)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(root)) {
      if (!entry.is_regular_file() || entry.path().filename() == "README") continue;
      ++files;
      SCOPED_TRACE(entry.path().string());
      const Load load = LoadInto(entry.path());
      if (!load.loaded) ExpectRefused(load, entry.path());
    }
  }
  EXPECT_GT(files, 50);
}
