// The capture tool's PNG writer: the same files whatever the number of
// workers, never more frames held than allowed, and a frame that cannot be
// written stops everything after it.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/PngFile.h"
#include "tests/ScratchDirectory.h"
#include "tools/capture/PngFrameWriter.h"
#include "tools/png/PngWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// Frame k: a pattern of its own, some of it flat, some of it noise, so that
// frames encode to different sizes and take different times.
std::vector<uint32_t> FramePixels(uint64_t k) {
  std::vector<uint32_t> pixels(kWidth * kHeight);
  uint32_t state = static_cast<uint32_t>(k) * 2654435761u;
  for (size_t i = 0; i < pixels.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    pixels[i] = (k % 3 == 0 && i < pixels.size() / 2) ? static_cast<uint32_t>(k) * 0x010203u & 0xFFFFFF
                                                      : state >> 8;
  }
  return pixels;
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}


}  // namespace

TEST(PngFrameWriter, NamesFramesWithSixDigitsOrMore) {
  EXPECT_EQ(PngFramePath("out", 1), (fs::path("out") / "frame_000001.png").string());
  EXPECT_EQ(PngFramePath("out", 999999), (fs::path("out") / "frame_999999.png").string());
  EXPECT_EQ(PngFramePath("out", 4294967295u), (fs::path("out") / "frame_4294967295.png").string());
}

// No workers (everything on the caller's thread), one worker holding a
// single frame, and several workers: byte for byte the same files, each
// decoding to its frame, although the caller reuses its buffer at once.
TEST(PngFrameWriter, WritesTheSameFilesWithAnyNumberOfWorkersAndHoldsNoMoreThanAllowed) {
  constexpr uint64_t kFrames = 40;
  const struct {
    unsigned workers;
    size_t maxHeld;
  } setups[] = {{0, 1}, {1, 1}, {4, 3}, {2, PngFrameWriter::DefaultMaxFramesHeld(2)}};
  std::vector<std::string> reference;
  for (const auto& setup : setups) {
    SCOPED_TRACE(std::to_string(setup.workers) + " workers, " + std::to_string(setup.maxHeld) +
                 " frames held");
    ScratchDirectory dir(std::to_string(setup.workers));
    size_t peak = 0;
    {
      PngFrameWriter writer(dir.path.string(), setup.workers, setup.maxHeld);
      std::vector<uint32_t> buffer;
      std::string error;
      for (uint64_t k = 1; k <= kFrames; ++k) {
        buffer = FramePixels(k);
        ASSERT_TRUE(writer.Write(k, buffer.data(), kWidth, kHeight, error)) << error;
        std::fill(buffer.begin(), buffer.end(), 0xFFFFFFu);  // the next frame draws over it
      }
      ASSERT_TRUE(writer.Finish(error)) << error;
      peak = writer.PeakFramesHeld();
    }
    EXPECT_GE(peak, 1u);
    EXPECT_LE(peak, setup.maxHeld);
    std::vector<std::string> files;
    for (uint64_t k = 1; k <= kFrames; ++k) {
      const std::string path = PngFramePath(dir.path.string(), k);
      DecodedPicture picture;
      std::string reason;
      ASSERT_TRUE(DecodePngFile(path.c_str(), picture, reason)) << path << ": " << reason;
      EXPECT_TRUE(picture.pixels == FramePixels(k)) << path;
      files.push_back(ReadBytes(path));
    }
    if (reference.empty())
      reference = files;
    else
      EXPECT_TRUE(files == reference) << "the files differ from those written without workers";
  }
}

// Frame 5's name is taken by a directory: frames 1 to 4 are written, the
// error names frame 5's file, and no later frame is written, although the
// workers may have encoded some of them already.
TEST(PngFrameWriter, AFrameThatCannotBeWrittenIsNamedAndNothingAfterItIsWritten) {
  for (unsigned workers : {0u, 3u}) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    ScratchDirectory dir(std::to_string(workers));
    const std::string blocked = PngFramePath(dir.path.string(), 5);
    fs::create_directory(blocked);
    PngFrameWriter writer(dir.path.string(), workers, 8);
    std::string error;
    bool failed = false;
    uint64_t k = 1;
    for (; k <= 20 && !failed; ++k) {
      const std::vector<uint32_t> pixels = FramePixels(k);
      failed = !writer.Write(k, pixels.data(), kWidth, kHeight, error);
    }
    if (!failed) failed = !writer.Finish(error);
    ASSERT_TRUE(failed);
    // The reason is the system's: "Is a directory" here, other words elsewhere.
    EXPECT_EQ(error.rfind("cannot write " + blocked + ": ", 0), 0u) << error;
    EXPECT_GT(error.size(), ("cannot write " + blocked + ": ").size()) << error;
    for (uint64_t j = 1; j <= 4; ++j) EXPECT_TRUE(fs::is_regular_file(PngFramePath(dir.path.string(), j))) << j;
    // Nothing else at all: no later frame, and no part of frame 5's file
    // under another name.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 5);
    // Once failed, it stays failed, with the same error.
    std::string again;
    const std::vector<uint32_t> pixels = FramePixels(k);
    EXPECT_FALSE(writer.Write(k, pixels.data(), kWidth, kHeight, again));
    EXPECT_EQ(again, error);
    EXPECT_FALSE(writer.Finish(again));
  }
}

// A capture into a folder that holds an earlier one: each frame's file is
// replaced by the new frame, and nothing else is left there.
TEST(PngFrameWriter, AFrameWrittenAgainReplacesItsFile) {
  ScratchDirectory dir;
  for (uint64_t offset : {0u, 100u}) {
    PngFrameWriter writer(dir.path.string(), 2, 4);
    std::string error;
    for (uint64_t k = 1; k <= 3; ++k) {
      const std::vector<uint32_t> pixels = FramePixels(k + offset);
      ASSERT_TRUE(writer.Write(k, pixels.data(), kWidth, kHeight, error)) << error;
    }
    ASSERT_TRUE(writer.Finish(error)) << error;
  }
  for (uint64_t k = 1; k <= 3; ++k) {
    DecodedPicture picture;
    std::string reason;
    ASSERT_TRUE(DecodePngFile(PngFramePath(dir.path.string(), k).c_str(), picture, reason)) << reason;
    EXPECT_TRUE(picture.pixels == FramePixels(k + 100)) << k;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 3);
}

// A disk that fills up while the file is written fails the write, with the
// system's reason, rather than leaving a short file reported as written.
TEST(PngFrameWriter, AFullDiskFailsTheWriteWithItsReason) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  const std::vector<unsigned char> bytes(64 * 1024, 0x5A);
  std::string reason;
  EXPECT_FALSE(WriteWholeFile("/dev/full", bytes, reason));
  EXPECT_EQ(reason, std::strerror(ENOSPC));
}
