// An installed tree under a fresh temporary folder, made of PREFIX/bin,
// PREFIX/share/brindlemox and a working directory of its own, which is the
// process's working directory for the scope.
#pragma once

#include <filesystem>
#include <string>

#include "tests/ScratchDirectory.h"

class InstalledTree {
 public:
  InstalledTree() : saved(std::filesystem::current_path()) {
    for (const std::filesystem::path& folder : {Work(), Bin(), Share()})
      std::filesystem::create_directories(folder);
    std::filesystem::current_path(Work());
  }
  ~InstalledTree() { std::filesystem::current_path(saved); }
  InstalledTree(const InstalledTree&) = delete;
  InstalledTree& operator=(const InstalledTree&) = delete;

  std::filesystem::path Work() const { return root / "work"; }
  std::filesystem::path Bin() const { return root / "prefix" / "bin"; }
  std::filesystem::path Share() const { return root / "prefix" / "share" / "brindlemox"; }
  // Bin() as ProgramDirectory() gives it: with the separator at the end.
  std::string ProgramDirectory() const { return (Bin() / "").string(); }

  const ScratchDirectory scratch;
  const std::filesystem::path& root = scratch.path;

 private:
  const std::filesystem::path saved;
};
