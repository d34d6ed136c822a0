// The capture tool's --describe and --point: what the command line accepts
// and refuses, and what the tool writes with them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/JsonValue.h"
#include "tests/ScratchDirectory.h"
#include "tools/capture/CaptureOptions.h"

namespace fs = std::filesystem;

namespace {

bool Parse(std::vector<const char*> args, CaptureOptions& options, std::string& error) {
  args.insert(args.begin(), "brindlemox-capture");
  return ParseCaptureOptions(static_cast<int>(args.size()), args.data(), options, error);
}

std::string Refusal(std::vector<const char*> args) {
  CaptureOptions options;
  std::string error;
  EXPECT_FALSE(Parse(args, options, error)) << "accepted";
  return error;
}

// Runs the tool with `arguments` (already quoted), standard output into a
// file; returns the exit code and the output.
int RunCapture(const std::string& arguments, const fs::path& output, std::string& out) {
  const std::string command = std::string("\"") + BRINDLEMOX_CAPTURE_PATH + "\" " + arguments +
                              " > \"" + output.string() + "\" 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream in(output, std::ios::binary);
  out.assign(std::istreambuf_iterator<char>(in), {});
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(CaptureDescribeOptions, TakeAFileOrStandardOutputAndAnyNumberOfPoints) {
  CaptureOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--describe", "-", "--point", "0,0", "--point", "639,479", "--point",
                     "320,17"},
                    o, error))
      << error;
  EXPECT_EQ(o.describe, "-");
  EXPECT_TRUE(o.outDir.empty());
  EXPECT_FALSE(o.raw);
  ASSERT_EQ(o.points.size(), 3u);
  EXPECT_EQ(o.points[0], (std::pair{0, 0}));
  EXPECT_EQ(o.points[1], (std::pair{639, 479}));
  EXPECT_EQ(o.points[2], (std::pair{320, 17}));
  CaptureOptions both;
  ASSERT_TRUE(Parse({"--describe", "d.jsonl", "--out", "frames"}, both, error)) << error;
  CaptureOptions raw;
  ASSERT_TRUE(Parse({"--describe", "d.jsonl", "--raw"}, raw, error)) << error;
}

TEST(CaptureDescribeOptions, RefuseWhatCannotWorkSayingWhy) {
  EXPECT_EQ(Refusal({"--describe", "-", "--raw"}),
            "--describe - and --raw would both write to standard output");
  EXPECT_EQ(Refusal({"--raw", "--point", "1,1"}), "--point needs --describe FILE");
  EXPECT_EQ(Refusal({"--describe", ""}), "--describe needs a file or -");
  EXPECT_EQ(Refusal({"--describe", "a", "--describe", "b"}), "--describe given twice");
  EXPECT_EQ(Refusal({"--describe", "-", "--out", "d", "--raw"}),
            "give exactly one of --out DIR and --raw");
  for (const char* bad : {"640,0", "0,480", "-1,0", "1", "1,", ",1", "1,2,3", "a,b", "1 ,2"}) {
    EXPECT_EQ(Refusal({"--describe", "-", "--point", bad}),
              "--point must be X,Y with X from 0 to 639 and Y from 0 to 479")
        << bad;
  }
  EXPECT_NE(std::string(CaptureUsage()).find("--describe FILE"), std::string::npos);
  EXPECT_NE(std::string(CaptureUsage()).find("--point X,Y"), std::string::npos);
}

// Describing alone writes one line per frame asked for to standard output
// and no picture anywhere; every line is JSON with its points.
TEST(CaptureDescribeTool, WritesOneJsonLinePerFrameAndNothingElse) {
  ScratchDirectory dir;
  std::string out;
  ASSERT_EQ(RunCapture("--frames 2,700,1200-1201,1700 --describe - --point 10,20 --point 600,400",
                       dir.path / "stdout", out),
            0)
      << out;
  std::istringstream lines(out);
  std::vector<uint64_t> frames;
  for (std::string line; std::getline(lines, line);) {
    const JsonValue d = ParseJson(line);
    frames.push_back(d["frame"].Uint());
    ASSERT_EQ(d["points"].items.size(), 2u);
    EXPECT_EQ(d["points"][0]["x"].Int(), 10);
    EXPECT_EQ(d["points"][1]["y"].Int(), 400);
    EXPECT_TRUE(d["points"][1].Has("pixel"));
  }
  EXPECT_EQ(frames, (std::vector<uint64_t>{2, 700, 1200, 1201, 1700}));
  std::vector<fs::path> made;
  for (const auto& entry : fs::directory_iterator(dir.path)) made.push_back(entry.path());
  EXPECT_EQ(made, (std::vector<fs::path>{dir.path / "stdout"}));
}

TEST(CaptureDescribeTool, AFileThatCannotBeWrittenStopsTheToolBeforeAnyFrame) {
  ScratchDirectory dir;
  std::string out;
  const fs::path frames = dir.path / "frames";
  const std::string args = "--frames 1 --out \"" + frames.string() +
                           "\" --describe \"" + (dir.path / "none" / "d.jsonl").string() + "\"";
  EXPECT_EQ(RunCapture(args, dir.path / "stdout", out), 1);
  EXPECT_NE(out.find("cannot write"), std::string::npos) << out;
  EXPECT_NE(out.find("d.jsonl"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(frames)) << "made the frames' folder";
}
