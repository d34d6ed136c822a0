// Writes the seed corpus of the PNG fuzz target into a directory (created if
// needed). The committed fuzz/corpus/ is this program's output.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/pngforge/Corpus.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: brindlemox-make-png-corpus DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    std::fprintf(stderr, "brindlemox-make-png-corpus: cannot create %s: %s\n", argv[1],
                 error.message().c_str());
    return 1;
  }
  for (const pngforge::CorpusFile& file : pngforge::SeedCorpus()) {
    const std::filesystem::path path = dir / file.name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.bytes.data()),
              static_cast<std::streamsize>(file.bytes.size()));
    if (!out) {
      std::fprintf(stderr, "brindlemox-make-png-corpus: cannot write %s\n", path.string().c_str());
      return 1;
    }
  }
  return 0;
}
