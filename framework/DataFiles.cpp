#include "framework/DataFiles.h"

#include <filesystem>
#include <system_error>

#include "platform/Platform.h"

namespace fs = std::filesystem;

std::vector<std::string> DataFilePlaces(const std::string& name,
                                        const std::string& programDirectory) {
  std::vector<std::string> places{name};
  if (programDirectory.empty()) return places;
  const fs::path folder(programDirectory);
  places.push_back((folder / name).lexically_normal().string());
  places.push_back((folder / ".." / "share" / "brindlemox" / name).lexically_normal().string());
  return places;
}

std::string LocateDataFile(const std::string& name) {
  for (const std::string& place : DataFilePlaces(name, platform::ProgramDirectory())) {
    // symlink_status: a dangling or looping link is there too, and the
    // loader says what is wrong with it.
    std::error_code error;
    if (fs::exists(fs::symlink_status(place, error))) return place;
  }
  return name;
}
