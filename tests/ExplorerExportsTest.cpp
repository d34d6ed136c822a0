// The explorer's functions for its page against the capture tool itself,
// run as a process: the PNG of a frame is the tool's file byte for byte, the
// description is its --describe line, and the point readouts its --point
// ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/ExplorerTestSupport.h"
#include "tests/ScratchDirectory.h"
#include "tools/capture/PngFrameWriter.h"

extern "C" {
int ExplorerOpen(int fps, uint32_t seed);
void ExplorerClose();
const char* ExplorerError();
int ExplorerShowFrame(uint32_t frame);
uint32_t* ExplorerPixels();
const char* ExplorerDescribe();
const char* ExplorerDescribePoint(int x, int y);
const char* ExplorerTimeline();
uint32_t ExplorerEncodePng();
uint8_t* ExplorerPngData();
uint32_t ExplorerSnapshotBytes();
uint32_t ExplorerSnapshotCount();
uint32_t ExplorerPrepare(uint32_t until, uint32_t maxFrames);
}

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A show left open would hold the shell for the tests after this one.
struct CloseShowAfterwards {
  ~CloseShowAfterwards() { ExplorerClose(); }
};

}  // namespace

TEST(ExplorerExports, FramesPngsAndDescriptionsAreTheCaptureToolsOwn) {
  for (uint32_t fps : {60u, 37u}) {
    SCOPED_TRACE(testing::Message() << "fps " << fps);
    const std::vector<uint64_t> frames = {FrameAt(fps, 4000), FrameAt(fps, 12000),
                                          FrameAt(fps, 20000), FrameAt(fps, 27000)};
    ScratchDirectory dir(std::to_string(fps));
    const std::string describe = (dir.path / "describe.jsonl").string();
    std::string list;
    for (uint64_t k : frames) list += (list.empty() ? "" : ",") + std::to_string(k);
    const std::string command = std::string("\"") + BRINDLEMOX_CAPTURE_PATH + "\" --fps " +
                                std::to_string(fps) + " --seed 11 --frames " + list +
                                " --out \"" + dir.path.string() + "\" --describe \"" + describe +
                                "\" --point 0,0 --point 333,251 --point 639,479";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<std::string> lines = Lines(ReadFile(describe));
    ASSERT_EQ(lines.size(), frames.size());

    CloseShowAfterwards closing;
    ASSERT_EQ(ExplorerOpen(static_cast<int>(fps), 11), 0) << ExplorerError();
    // Back to front, so that every frame comes from a snapshot.
    for (size_t i = frames.size(); i-- > 0;) {
      const uint64_t k = frames[i];
      ASSERT_EQ(ExplorerShowFrame(static_cast<uint32_t>(k)), 0) << ExplorerError();
      const uint32_t size = ExplorerEncodePng();
      ASSERT_GT(size, 0u) << ExplorerError();
      const std::string png(reinterpret_cast<const char*>(ExplorerPngData()), size);
      EXPECT_TRUE(png == ReadFile(PngFramePath(dir.path.string(), k))) << "frame " << k;

      std::string withPoints = ExplorerDescribe();
      ASSERT_EQ(withPoints.back(), '}');
      withPoints.pop_back();
      withPoints += ",\"points\":[";
      withPoints += ExplorerDescribePoint(0, 0);
      withPoints += ",";
      withPoints += ExplorerDescribePoint(333, 251);
      withPoints += ",";
      withPoints += ExplorerDescribePoint(639, 479);
      withPoints += "]}";
      EXPECT_EQ(withPoints, lines[i]) << "frame " << k;
    }
    EXPECT_GE(ExplorerSnapshotCount(), 1u);
    EXPECT_GT(ExplorerSnapshotBytes(), 0u);
  }
}

TEST(ExplorerExports, FailuresAreReportedAndLeaveNoFrame) {
  CloseShowAfterwards closing;
  ASSERT_EQ(ExplorerOpen(60, 1), 0) << ExplorerError();
  ASSERT_EQ(ExplorerShowFrame(3), 0);
  EXPECT_NE(ExplorerOpen(0, 1), 0);  // and the show before is gone
  EXPECT_STREQ(ExplorerError(), "the frame rate must be 1 to 1000");
  EXPECT_NE(ExplorerShowFrame(1), 0);
  EXPECT_STREQ(ExplorerError(), "no show is open");
  EXPECT_EQ(ExplorerEncodePng(), 0u);
  EXPECT_STREQ(ExplorerDescribe(), "");
  EXPECT_STREQ(ExplorerTimeline(), "[]");
  ASSERT_EQ(ExplorerOpen(60, 1), 0) << ExplorerError();
  EXPECT_EQ(ExplorerEncodePng(), 0u);  // nothing shown yet
  EXPECT_STREQ(ExplorerError(), "no frame is shown");
  EXPECT_NE(ExplorerShowFrame(0), 0);
  EXPECT_STREQ(ExplorerError(), "frames are numbered from 1 to 4294967295");
  ASSERT_EQ(ExplorerShowFrame(120), 0);
  // Taking snapshots ahead keeps the frame shown.
  std::vector<uint32_t> before(ExplorerPixels(), ExplorerPixels() + 640 * 480);
  const std::string described = ExplorerDescribe();
  EXPECT_GE(ExplorerPrepare(2000, 5000), 1900u);
  EXPECT_TRUE(std::vector<uint32_t>(ExplorerPixels(), ExplorerPixels() + 640 * 480) == before);
  EXPECT_EQ(std::string(ExplorerDescribe()), described);
}
