// The capture tool's picture: looked for as the program looks for its own,
// with the tool's folder standing for the program's, or the file the user
// names; read before the first frame, so that a missing or broken picture
// stops the capture before it starts. The frames are the same wherever the
// picture lies. (BadInputTest runs the tool itself without its picture.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/DataFiles.h"
#include "tests/EffectTestSupport.h"
#include "tests/InstalledTree.h"
#include "tests/ScratchDirectory.h"
#include "tools/capture/CapturePicture.h"

namespace fs = std::filesystem;

namespace {

constexpr char kName[] = "pvn_quad.png";
constexpr char kAllowHint[] = " (--allow-missing-picture records black tiles instead)";

// The build's picture, which lies in the folder the tests start in: taken
// before a test moves elsewhere.
fs::path BuildPicture() { return fs::absolute(kName); }

bool SameFile(const std::string& chosen, const fs::path& expected) {
  std::error_code error;
  return fs::equivalent(chosen, expected, error);
}

}  // namespace

TEST(CapturePicture, IsLookedForWhereTheProgramLooksWithTheToolsFolderForItsOwn) {
  const fs::path picture = BuildPicture();
  ASSERT_TRUE(fs::exists(picture));
  enum Place { kWork, kBin, kShare };
  const struct Case {
    const char* name;
    std::vector<Place> holding;
    Place chosen;
  } cases[] = {
      {"everywhere", {kWork, kBin, kShare}, kWork},
      {"beside the tool and in share", {kBin, kShare}, kBin},
      {"only in share", {kShare}, kShare},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InstalledTree tree;
    const fs::path folders[] = {tree.Work(), tree.Bin(), tree.Share()};
    for (Place p : c.holding) fs::copy_file(picture, folders[p] / kName);
    const CapturePicture choice = ChooseCapturePicture("", tree.ProgramDirectory());
    EXPECT_TRUE(SameFile(choice.path, folders[c.chosen] / kName)) << choice.path;
    EXPECT_EQ(choice.problem, "");
  }

  // Nowhere: the places are named, and how to go on.
  InstalledTree tree;
  CapturePicture choice = ChooseCapturePicture("", tree.ProgramDirectory());
  EXPECT_EQ(choice.path, kName);
  EXPECT_EQ(choice.problem, "cannot find the picture: no pvn_quad.png in the working directory, at " +
                                (tree.Bin() / kName).string() + " or at " +
                                (tree.Share() / kName).string() +
                                "; name it with --picture PATH" + kAllowHint);
  // Where the tool's folder is not known, only the working directory counts.
  fs::copy_file(picture, tree.Bin() / kName);
  choice = ChooseCapturePicture("", "");
  EXPECT_EQ(choice.problem, std::string("cannot find the picture: no pvn_quad.png in the working "
                                        "directory; name it with --picture PATH") +
                                kAllowHint);
}

// A file that is there but cannot be used is not passed over for another,
// as in the program; it stops the capture, with the loader's reason.
TEST(CapturePicture, ANamedFileIsTakenBeforeEveryPlaceAndMustBeUsable) {
  const fs::path picture = BuildPicture();
  InstalledTree tree;
  fs::copy_file(picture, tree.Work() / kName);
  const fs::path named = tree.root / "my picture.png";
  fs::copy_file(picture, named);
  CapturePicture choice = ChooseCapturePicture(named.string(), tree.ProgramDirectory());
  EXPECT_EQ(choice.path, named.string());
  EXPECT_EQ(choice.problem, "");

  const std::string missing = (tree.root / "none.png").string();
  choice = ChooseCapturePicture(missing, tree.ProgramDirectory());
  EXPECT_EQ(choice.path, missing);
  EXPECT_EQ(choice.problem, "cannot load picture \"" + missing + "\": file not found" + kAllowHint);

  std::ofstream(named, std::ios::binary | std::ios::trunc) << "not a picture";
  choice = ChooseCapturePicture(named.string(), tree.ProgramDirectory());
  EXPECT_EQ(choice.problem.rfind("cannot load picture \"" + named.string() + "\": ", 0), 0u)
      << choice.problem;

  // Found in the working directory, broken, with a good one in share.
  fs::copy_file(picture, tree.Share() / kName);
  fs::remove(tree.Work() / kName);
  fs::copy_file(named, tree.Work() / kName);
  choice = ChooseCapturePicture("", tree.ProgramDirectory());
  EXPECT_EQ(choice.path, kName);
  EXPECT_EQ(choice.problem.rfind("cannot load picture \"pvn_quad.png\": ", 0), 0u)
      << choice.problem;
}

// The tile zoom whole (6000 and 7000 ms at 1 fps) and the starfield after
// it, with the picture in the working directory and with the same picture
// named from another folder where the working directory has none: the same
// frames. The named file is the capture's alone: afterwards the program
// looks for its picture as before.
TEST(CapturePicture, TheFramesAreTheSameWhereverThePictureLies) {
  const fs::path picture = BuildPicture();
  const std::vector<uint64_t> frames = {1, 7, 8, 9};
  const auto inWorkingDirectory = CaptureScreens(frames, 1);
  ASSERT_EQ(inWorkingDirectory.size(), frames.size());
  const std::vector<uint32_t>& whole = inWorkingDirectory.at(7);
  EXPECT_TRUE(std::any_of(whole.begin(), whole.end(), [](uint32_t p) { return p != 0; }))
      << "the picture is not shown";

  ScratchDirectory scratch;
  const fs::path named = scratch.path / "elsewhere" / "a copy.png";
  fs::create_directories(named.parent_path());
  fs::copy_file(picture, named);
  const fs::path saved = fs::current_path();
  fs::create_directories(scratch.path / "work");
  fs::current_path(scratch.path / "work");
  const auto namedElsewhere = CaptureScreens(frames, 1, 1, named.string());
  const std::string locatedAfterwards = LocateDataFile(kName);
  fs::current_path(saved);
  EXPECT_TRUE(namedElsewhere == inWorkingDirectory);
  EXPECT_EQ(locatedAfterwards, kName);
}

// The test program lies in the build folder, beside the capture tool.
TEST(CapturePicture, TheToolsFolderIsTheFolderOfTheRunningProgram) {
  const std::string folder = ToolDirectory();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::exists(fs::path(folder) / fs::path(BRINDLEMOX_CAPTURE_PATH).filename()))
      << folder;
}
