// Writes the program's icon in every size into a folder of icon themes: to
// the folder given, or to "icons" in the working directory, as
// FOLDER/hicolor/SIZExSIZE/apps/brindlemox.png. The committed assets/icons/
// is this program's output (scripts/make-icons.sh).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/png/PngWriter.h"
#include "tools/icon/Icon.h"

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: brindlemox-make-icons [FOLDER]\n");
    return 2;
  }
  const std::filesystem::path folder = argc == 2 ? argv[1] : "icons";
  std::vector<uint32_t> frame;
  std::string error;
  if (!RenderIconFrame(frame, error)) {
    std::fprintf(stderr, "brindlemox-make-icons: the show failed: %s\n", error.c_str());
    return 1;
  }
  for (const int size : kIconSizes) {
    const std::filesystem::path file = folder / IconPath(size);
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const std::vector<uint32_t> icon = DrawIcon(frame, size);
    if (ec || !EncodePngFile(file.string().c_str(), icon.data(), size, size, error)) {
      std::fprintf(stderr, "brindlemox-make-icons: cannot write \"%s\": %s\n",
                   file.string().c_str(), ec ? ec.message().c_str() : error.c_str());
      return 1;
    }
  }
  return 0;
}
