#include "framework/DataFiles.h"

#include <filesystem>
#include <map>
#include <system_error>

#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace {

// The files chosen with UseDataFile, by name.
std::map<std::string, std::string>& ChosenFiles() {
  static std::map<std::string, std::string> chosen;
  return chosen;
}

}  // namespace

std::vector<std::string> DataFilePlaces(const std::string& name,
                                        const std::string& programDirectory) {
  std::vector<std::string> places{name};
  if (programDirectory.empty()) return places;
  const fs::path folder(programDirectory);
  places.push_back((folder / name).lexically_normal().string());
  places.push_back((folder / ".." / "share" / "brindlemox" / name).lexically_normal().string());
  return places;
}

std::string FindDataFile(const std::string& name, const std::string& programDirectory) {
  for (const std::string& place : DataFilePlaces(name, programDirectory)) {
    // symlink_status: a dangling or looping link is there too, and the
    // loader says what is wrong with it.
    std::error_code error;
    if (fs::exists(fs::symlink_status(place, error))) return place;
  }
  return {};
}

std::string LocateDataFile(const std::string& name) {
  const auto chosen = ChosenFiles().find(name);
  if (chosen != ChosenFiles().end()) return chosen->second;
  const std::string found = FindDataFile(name, platform::ProgramDirectory());
  return found.empty() ? name : found;
}

void UseDataFile(const std::string& name, const std::string& path) {
  if (path.empty())
    ChosenFiles().erase(name);
  else
    ChosenFiles()[name] = path;
}
