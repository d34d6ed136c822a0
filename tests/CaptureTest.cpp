#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "framework/PngFile.h"
#include "platform/headless/HeadlessControl.h"
#include "shell/ShellState.h"
#include "tests/ScratchDirectory.h"
#include "tools/capture/Capture.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/PngFrameWriter.h"

namespace fs = std::filesystem;

namespace {

bool Parse(std::vector<const char*> args, CaptureOptions& options, std::string& error) {
  args.insert(args.begin(), "brindlemox-capture");
  return ParseCaptureOptions(static_cast<int>(args.size()), args.data(), options, error);
}

CaptureOptions Parsed(std::vector<const char*> args) {
  CaptureOptions options;
  std::string error;
  EXPECT_TRUE(Parse(std::move(args), options, error)) << error;
  return options;
}

std::string Refusal(std::vector<const char*> args) {
  CaptureOptions options;
  std::string error;
  EXPECT_FALSE(Parse(args, options, error)) << "accepted " << (args.empty() ? "nothing" : args[0]);
  return error;
}

}  // namespace

TEST(CaptureOptions, DefaultsAreSixtyFpsSeedOneAndThirtySeconds) {
  const CaptureOptions o = Parsed({"--raw"});
  EXPECT_EQ(o.fps, 60u);
  EXPECT_EQ(o.seed, 1u);
  EXPECT_EQ(o.durationMs, 30000u);
  EXPECT_TRUE(o.raw);
  EXPECT_TRUE(o.frames.empty());
  EXPECT_TRUE(o.picture.empty());
  EXPECT_FALSE(o.allowMissingPicture);
}

TEST(CaptureOptions, AcceptsTheWholeRangeOfEachValue) {
  EXPECT_EQ(Parsed({"--fps", "1", "--raw"}).fps, 1u);
  EXPECT_EQ(Parsed({"--fps", "1000", "--raw"}).fps, 1000u);
  EXPECT_EQ(Parsed({"--seed", "0", "--raw"}).seed, 0u);
  EXPECT_EQ(Parsed({"--seed", "4294967295", "--raw"}).seed, 4294967295u);
  EXPECT_EQ(Parsed({"--duration", "1", "--out", "d"}).durationMs, 1u);
  EXPECT_EQ(Parsed({"--out", "frames"}).outDir, "frames");
  const CaptureOptions picture =
      Parsed({"--picture", "some where/p.png", "--allow-missing-picture", "--raw"});
  EXPECT_EQ(picture.picture, "some where/p.png");
  EXPECT_TRUE(picture.allowMissingPicture);
}

// Each refusal starts with what is wrong; the tool prints it with the usage
// and exits with 2 (BadInputTest runs the tool itself on a few of these).
TEST(CaptureOptions, RefusesEveryBadOptionOrValueSayingWhatIsWrong) {
  const struct {
    std::vector<const char*> args;
    std::string says;
  } cases[] = {
      {{"--bogus", "--raw"}, "unknown option '--bogus'"},
      {{"-x", "--raw"}, "unknown option '-x'"},
      {{"fps", "60", "--raw"}, "unknown option 'fps'"},
      {{"--FPS", "60", "--raw"}, "unknown option '--FPS'"},
      {{"--raw", "--fps"}, "--fps needs a value"},
      {{"--out", "d", "--seed"}, "--seed needs a value"},
      {{"--raw", "--duration"}, "--duration needs a value"},
      {{"--raw", "--frames"}, "--frames needs a value"},
      {{"--out"}, "--out needs a value"},
      {{"--out", ""}, "--out needs a directory"},
      {{"--out", "d", "--out", "d"}, "--out given twice"},
      {{"--raw", "--raw"}, "--raw given twice"},
      {{"--raw", "--picture"}, "--picture needs a value"},
      {{"--raw", "--picture", ""}, "--picture needs a file"},
      {{"--picture", "a.png", "--raw", "--picture", "b.png"}, "--picture given twice"},
      {{"--allow-missing-picture", "--raw", "--allow-missing-picture"},
       "--allow-missing-picture given twice"},
      // A second value would silently win over the first, even the same one.
      {{"--fps", "30", "--fps", "60", "--raw"}, "--fps given twice"},
      {{"--fps", "30", "--raw", "--fps", "30"}, "--fps given twice"},
      {{"--seed", "1", "--seed", "4242", "--raw"}, "--seed given twice"},
      {{"--duration", "100", "--out", "d", "--duration", "200"}, "--duration given twice"},
      {{"--frames", "1", "--frames", "2-3", "--raw"}, "--frames given twice"},
      {{}, "give exactly one of --out DIR and --raw"},
      {{"--fps", "30"}, "give exactly one of --out DIR and --raw"},
      {{"--out", "d", "--raw"}, "give exactly one of --out DIR and --raw"},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const char* a : c.args) shown += std::string(" [") + a + "]";
    EXPECT_EQ(Refusal(c.args).rfind(c.says, 0), 0u) << shown;
  }

  // Values out of range or not plain whole numbers.
  const struct {
    const char* option;
    std::vector<const char*> values;
    std::string says;
  } values[] = {
      {"--fps", {"0", "1001", "-1", "+60", "60x", " 60", "6e1", "", "99999999999999999999999"},
       "--fps must be a whole number from 1 to 1000"},
      {"--seed", {"4294967296", "-1"}, "--seed must be a whole number from 0 to 4294967295"},
      {"--duration", {"0", "4294967296", "1.5"},
       "--duration must be a whole number of ms from 1 to 4294967295"},
      {"--frames", {"", "0", "3-2", "1,,2", "1,", "1-", "-5", "1-2-3", "a", "4294967296"},
       "--frames must be a list like 1,15,960-970 of frames from 1"},
  };
  for (const auto& v : values)
    for (const char* value : v.values)
      EXPECT_EQ(Refusal({v.option, value, "--out", "d"}), v.says)
          << v.option << " [" << value << "]";
}

TEST(CaptureOptions, HelpAndVersionEndTheParsingAndNeedNoOutput) {
  EXPECT_TRUE(Parsed({"--help"}).help);
  EXPECT_TRUE(Parsed({"-h"}).help);
  const CaptureOptions version = Parsed({"--version"});
  EXPECT_TRUE(version.version);
  EXPECT_FALSE(version.help);
  // What follows is not looked at; what comes before still is.
  const CaptureOptions o = Parsed({"--fps", "30", "--version", "--bogus", "--raw", "--raw"});
  EXPECT_TRUE(o.version);
  EXPECT_EQ(o.fps, 30u);
  EXPECT_EQ(Refusal({"--bogus", "--help"}), "unknown option '--bogus'");
  EXPECT_EQ(Refusal({"--fps", "0", "--version"}), "--fps must be a whole number from 1 to 1000");
}

TEST(CaptureFrames, DurationCountsTheFramesThatStartBeforeIt) {
  EXPECT_EQ(FrameStep(60), 16667u);
  EXPECT_EQ(FrameStep(1000), 1000u);
  EXPECT_EQ(FrameStep(7), 142857u);
  // 60 fps: frame k starts at ((k - 1) * 16667) / 1000 ms; 100 ms holds frames 1..6.
  EXPECT_EQ(LastFrame(Parsed({"--duration", "100", "--raw"})), 6u);
  EXPECT_EQ(LastFrame(Parsed({"--raw"})), 1800u);
  EXPECT_EQ(LastFrame(Parsed({"--fps", "1000", "--duration", "1", "--raw"})), 1u);
  EXPECT_EQ(LastFrame(Parsed({"--fps", "1000", "--duration", "2", "--raw"})), 2u);
}

TEST(CaptureFrames, AListRendersUpToItsLargestFrameAndWritesOnlyThoseListed) {
  const CaptureOptions o = Parsed({"--duration", "5", "--frames", "1,15,960-970", "--raw"});
  EXPECT_EQ(LastFrame(o), 970u);
  std::vector<uint64_t> written;
  for (uint64_t k = 1; k <= 1000; ++k)
    if (IsFrameWritten(o, k)) written.push_back(k);
  std::vector<uint64_t> expected = {1, 15};
  for (uint64_t k = 960; k <= 970; ++k) expected.push_back(k);
  EXPECT_EQ(written, expected);
}

TEST(CaptureRun, EachFrameSeesItsOwnVirtualTimeAndComesInOrder) {
  CaptureOptions options = Parsed({"--fps", "7", "--duration", "1000", "--raw"});
  std::vector<uint64_t> frames;
  std::vector<uint32_t> timelineMs;
  std::string error;
  const int exitCode = RunCapture(
      options,
      [&](uint64_t k, const uint32_t*, int width, int height, std::string&) {
        EXPECT_EQ(width, 640);
        EXPECT_EQ(height, 480);
        frames.push_back(k);
        timelineMs.push_back(shell.demoTimer.ElapsedMs());
        return true;
      },
      error);
  EXPECT_EQ(exitCode, 0) << error;
  // 142857 ticks a frame: frame 8 starts at 999999 ticks, 999 ms, still
  // inside the second; frame 9 would start at 1142 ms.
  EXPECT_EQ(frames, (std::vector<uint64_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(timelineMs, (std::vector<uint32_t>{0, 142, 285, 428, 571, 714, 857, 999}));
}

TEST(CaptureRun, AFailedWriteStopsTheRunWithExitCodeOne) {
  CaptureOptions options = Parsed({"--duration", "1000", "--raw"});
  int calls = 0;
  std::string error;
  const int exitCode = RunCapture(
      options,
      [&](uint64_t, const uint32_t*, int, int, std::string& why) {
        ++calls;
        why = "disk full";
        return false;
      },
      error);
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(error, "disk full");
}

// The tool's files, encoded on its worker threads, hold exactly the frames
// the show renders: one of each effect and the tile zoom's still picture.
TEST(CaptureTool, WritesNumberedPngFilesHoldingExactlyTheFramesRendered) {
  const char* const list = "2,30,33,65,105,120";  // at 4 fps: 250, 7250, 8000, 16000, 26000, 29750 ms
  const ScratchDirectory scratch;
  const fs::path dir = scratch.path / "frames";
  const std::string command = std::string(BRINDLEMOX_CAPTURE_PATH) + " --fps 4 --frames " + list +
                              " --out " + dir.string() + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"frame_000002.png", "frame_000030.png",
                                             "frame_000033.png", "frame_000065.png",
                                             "frame_000105.png", "frame_000120.png"}));

  std::map<uint64_t, std::vector<uint32_t>> rendered;
  std::string error;
  ASSERT_EQ(RunCapture(Parsed({"--fps", "4", "--frames", list, "--raw"}),
                       [&](uint64_t k, const uint32_t* pixels, int w, int h, std::string&) {
                         rendered[k].assign(pixels, pixels + static_cast<size_t>(w) * h);
                         return true;
                       },
                       error),
            0)
      << error;
  ASSERT_EQ(rendered.size(), 6u);
  for (const auto& [k, pixels] : rendered) {
    const fs::path file = dir / PngFramePath("", k);
    SCOPED_TRACE(file.string());
    DecodedPicture picture;
    std::string reason;
    ASSERT_TRUE(DecodePngFile(file.string().c_str(), picture, reason)) << reason;
    EXPECT_EQ(picture.width, 640);
    EXPECT_EQ(picture.height, 480);
    EXPECT_TRUE(picture.pixels == pixels) << "the file differs from the frame rendered";
  }
  }
