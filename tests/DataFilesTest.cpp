// Where the program finds its picture: the working directory first, then
// beside the program's file, then the share folder of an installed tree; and
// only the working directory while no program directory is known (the
// headless backend's default, which the capture tool runs on).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "effects/TileZoomEffect.h"
#include "framework/DataFiles.h"
#include "tests/HeadlessDevice.h"
#include "tests/InstalledTree.h"
#include "tests/PixelChecks.h"
#include "tests/ShellHarness.h"
#include "tools/png/PngWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr char kName[] = "pvn_quad.png";

// A one-pixel picture of one colour.
void WritePicture(const fs::path& file, uint32_t colour) {
  std::string reason;
  ASSERT_TRUE(EncodePngFile(file.string().c_str(), &colour, 1, 1, reason)) << reason;
}

bool SameFile(const std::string& found, const fs::path& expected) {
  std::error_code error;
  return fs::equivalent(found, expected, error);
}

}  // namespace

TEST(DataFiles, TheWorkingDirectoryComesFirstThenBesideTheProgramThenTheShareFolder) {
  enum Place { kWork, kBin, kShare, kNowhere };
  const struct Case {
    const char* name;
    std::vector<Place> holding;  // where a picture lies
    Place found;
  } cases[] = {
      {"everywhere", {kWork, kBin, kShare}, kWork},
      {"beside the program and in share", {kBin, kShare}, kBin},
      {"only in share", {kShare}, kShare},
      {"in the working directory and in share", {kWork, kShare}, kWork},
      {"nowhere", {}, kNowhere},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShellHarness::Fresh();
    InstalledTree tree;
    platform::headless::SetProgramDirectory(tree.ProgramDirectory());
    const fs::path folders[] = {tree.Work(), tree.Bin(), tree.Share()};
    for (Place p : c.holding) ASSERT_NO_FATAL_FAILURE(WritePicture(folders[p] / kName, 0x123456));

    const std::string found = LocateDataFile(kName);
    if (c.found == kNowhere) {
      EXPECT_EQ(found, kName);
      EXPECT_EQ(FindDataFile(kName, tree.ProgramDirectory()), "");
    } else {
      EXPECT_EQ(FindDataFile(kName, tree.ProgramDirectory()), found);
      EXPECT_TRUE(SameFile(found, folders[c.found] / kName)) << found;
    }
  }
  ShellHarness::Fresh();
}

// What is there is taken, usable or not, so that the user hears about the
// file in the working directory instead of silently seeing another one.
TEST(DataFiles, ABrokenFileInTheWorkingDirectoryIsNotPassedOver) {
  ShellHarness::Fresh();
  InstalledTree tree;
  platform::headless::SetProgramDirectory(tree.ProgramDirectory());
  ASSERT_NO_FATAL_FAILURE(WritePicture(tree.Share() / kName, 0x123456));
  std::ofstream(kName, std::ios::binary) << "not a picture";
  EXPECT_EQ(LocateDataFile(kName), kName);
#ifndef _WIN32
  fs::remove(kName);
  fs::create_symlink("nowhere.png", kName);
  EXPECT_EQ(LocateDataFile(kName), kName);
#endif
  ShellHarness::Fresh();
}

// The capture tool names the picture it has chosen: that file is read,
// whatever lies in the places, until the choice is taken back.
TEST(DataFiles, AFileTheDriverChoseIsTakenUntilTheChoiceIsTakenBack) {
  ShellHarness::Fresh();
  InstalledTree tree;
  platform::headless::SetProgramDirectory(tree.ProgramDirectory());
  ASSERT_NO_FATAL_FAILURE(WritePicture(tree.Share() / kName, 0x123456));
  const std::string chosen = (tree.root / "chosen.png").string();
  UseDataFile(kName, chosen);
  EXPECT_EQ(LocateDataFile(kName), chosen);
  EXPECT_EQ(LocateDataFile("other.png"), "other.png");
  UseDataFile(kName, "");
  EXPECT_TRUE(SameFile(LocateDataFile(kName), tree.Share() / kName));
  ShellHarness::Fresh();
}

TEST(DataFiles, WithoutAProgramDirectoryOnlyTheWorkingDirectoryCounts) {
  ShellHarness::Fresh();
  InstalledTree tree;
  ASSERT_NO_FATAL_FAILURE(WritePicture(tree.Bin() / kName, 0x123456));
  ASSERT_NO_FATAL_FAILURE(WritePicture(tree.Share() / kName, 0x123456));
  EXPECT_EQ(std::string(platform::ProgramDirectory()), "");
  EXPECT_EQ(DataFilePlaces(kName, ""), std::vector<std::string>{kName});
  EXPECT_EQ(LocateDataFile(kName), kName);
}

// The tile zoom of an installed program started in another folder shows the
// picture of the share folder, and says nothing.
TEST(DataFiles, TheTileZoomOfAnInstalledProgramLoadsThePictureFromTheShareFolder) {
  ShellHarness::Fresh();
  InstalledTree tree;
  ASSERT_NO_FATAL_FAILURE(WritePicture(tree.Share() / kName, 0x123456));

  testing::internal::CaptureStderr();
  bool hasPicture = false;
  bool allPicture = false;
  std::string said;
  {
    HeadlessDevice headless;
    platform::headless::SetProgramDirectory(tree.ProgramDirectory());
    auto* effect = new TileZoomEffect(headless.device);
    said = testing::internal::GetCapturedStderr();
    hasPicture = effect->picture != nullptr;
    allPicture = hasPicture && AllOneColour(effect->picture->Pixels(), 640 * 480, 0x123456u);
    delete effect;
  }
  ShellHarness::Fresh();

  ASSERT_TRUE(hasPicture) << "the tile zoom made no picture surface";
  EXPECT_TRUE(allPicture);
  EXPECT_EQ(said, "");
}
