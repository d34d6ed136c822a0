// libFuzzer target: the device's LoadPNG on any bytes, into a 640x480 surface.
//
// Each input is handed to LoadPNG exactly as the tile zoom hands it the
// picture file: as a file, here an in-memory one (memfd) reached through
// /proc/self/fd, so that the whole path from opening the file to the
// stretched copy runs. Since chunk CRCs would stop almost every mutation at
// the first chunk, an input whose CRCs are wrong is tried a second time with
// them recomputed.
//
// Besides what the sanitizers catch (any read or write outside a buffer,
// undefined behaviour, an allocation above -malloc_limit_mb), a refused
// picture must leave the surface black: otherwise the target aborts.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/QelGFX.h"
#include "tests/HeadlessDevice.h"
#include "tools/pngforge/PngForge.h"

namespace {

struct Fixture {
  HeadlessDevice* headless = nullptr;  // kept for the whole run
  QelGFX* device = nullptr;
  Surface* surface = nullptr;
  int fd = -1;
  std::string path;
  std::vector<uint32_t> black;  // what the surface holds before each load
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

void Fail(const char* what) {
  std::fprintf(stderr, "LoadPngFuzz: %s\n", what);
  std::abort();
}

void Load(const uint8_t* data, size_t size) {
  Fixture& f = TheFixture();
  if (ftruncate(f.fd, 0) != 0) Fail("cannot empty the memory file");
  size_t done = 0;
  while (done < size) {
    const ssize_t n = pwrite(f.fd, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) Fail("cannot write the memory file");
    done += static_cast<size_t>(n);
  }
  if (f.device->LoadPNG(f.path.c_str(), f.surface)) {
    f.device->ClearSurf(0, f.surface);
    return;
  }
  // One memcmp rather than a loop: a loop's every comparison would be traced
  // for coverage and cost more than the load itself.
  if (std::memcmp(f.surface->Pixels(), f.black.data(), f.black.size() * sizeof(uint32_t)) != 0)
    Fail("a refused picture changed the surface");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fixture& f = TheFixture();
  f.headless = new HeadlessDevice();
  f.device = f.headless->device;
  if (f.device->CreateSurface(640, 480, &f.surface) != 0) Fail("cannot create the surface");
  f.fd = memfd_create("brindlemox-fuzz-png", 0);
  if (f.fd < 0) Fail("cannot create the memory file");
  f.path = "/proc/self/fd/" + std::to_string(f.fd);
  f.black.assign(640 * 480, 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Load(data, size);
  pngforge::Bytes fixed(data, data + size);
  if (pngforge::FixChunkCrcs(fixed)) Load(fixed.data(), fixed.size());
  return 0;
}
