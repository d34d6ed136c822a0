#include "tools/capture/CapturePicture.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "effects/TileZoomEffect.h"
#include "framework/DataFiles.h"
#include "framework/PngFile.h"

namespace {

constexpr char kAllowHint[] = "--allow-missing-picture records black tiles instead";

}  // namespace

CapturePicture ChooseCapturePicture(const std::string& given, const std::string& toolDirectory) {
  CapturePicture choice;
  if (given.empty()) {
    choice.path = FindDataFile(kTileZoomPictureFile, toolDirectory);
    if (choice.path.empty()) {
      const std::vector<std::string> places = DataFilePlaces(kTileZoomPictureFile, toolDirectory);
      choice.path = kTileZoomPictureFile;
      choice.problem = std::string("cannot find the picture: no ") + kTileZoomPictureFile +
                       " in the working directory";
      for (size_t i = 1; i < places.size(); ++i)
        choice.problem += (i + 1 == places.size() ? " or at " : ", at ") + places[i];
      choice.problem += std::string("; name it with --picture PATH (") + kAllowHint + ")";
      return choice;
    }
  } else {
    choice.path = given;
  }
  DecodedPicture picture;
  std::string reason;
  if (!DecodePngFile(choice.path.c_str(), picture, reason))
    choice.problem = "cannot load picture \"" + choice.path + "\": " + reason + " (" +
                     kAllowHint + ")";
  return choice;
}

std::string ToolDirectory() {
#if defined(_WIN32)
  // The C runtime's copy of the program file's full path.
  const std::string file = _pgmptr != nullptr ? _pgmptr : "";
  const size_t separator = file.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : file.substr(0, separator + 1);
#elif defined(__linux__)
  std::error_code error;
  const std::filesystem::path file = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : file.parent_path().string();
#else
  return {};
#endif
}
