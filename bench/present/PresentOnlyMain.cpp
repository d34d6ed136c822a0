// brindlemox-present-only: the floor of presenting on this display. Pushes
// 640x480 frames through SDL's window surface (framebuffer acceleration off,
// so no GL in between) as fast as it can, draws nothing else, and prints the
// frame rate it reached. scripts/bench-present.sh compares the program's own
// frame rate with it on the same X server.
//
// Depends on: SDL2 video. Cannot: run without a display (it says so and exits
// with 1).
//
// usage: brindlemox-present-only [SECONDS]   (default 5, 1 to 600)
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Frame n: a horizontal gradient whose colour moves with n, so that every
// frame differs from the one before and nothing can be skipped.
void FillFrame(std::vector<uint32_t>& pixels, uint32_t n) {
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      pixels[static_cast<size_t>(y) * kWidth + x] =
          ((static_cast<uint32_t>(x) + n) & 0xFF) << 16 | (static_cast<uint32_t>(y) & 0xFF) << 8 |
          (n & 0xFF);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 5;
  if (argc > 1) {
    char* end = nullptr;
    seconds = std::strtod(argv[1], &end);
    if (end == argv[1] || *end != '\0' || !(seconds >= 1 && seconds <= 600)) {
      std::fprintf(stderr, "usage: brindlemox-present-only [SECONDS]   (1 to 600)\n");
      return 2;
    }
  }
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "brindlemox-present-only: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("present-only", SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, kWidth, kHeight, 0);
  if (window == nullptr) {
    std::fprintf(stderr, "brindlemox-present-only: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }

  // Sixteen different frames, made beforehand: presenting is all that is timed.
  std::vector<std::vector<uint32_t>> frames(16, std::vector<uint32_t>(kWidth * kHeight));
  for (uint32_t n = 0; n < frames.size(); ++n) FillFrame(frames[n], n * 16);
  std::vector<SDL_Surface*> sources;
  for (std::vector<uint32_t>& f : frames)
    sources.push_back(SDL_CreateRGBSurfaceWithFormatFrom(f.data(), kWidth, kHeight, 32, kWidth * 4,
                                                         SDL_PIXELFORMAT_RGB888));

  const uint64_t frequency = SDL_GetPerformanceFrequency();
  const uint64_t start = SDL_GetPerformanceCounter();
  const uint64_t stop = start + static_cast<uint64_t>(seconds * static_cast<double>(frequency));
  uint64_t presented = 0;
  bool failed = false;
  uint64_t now = start;
  while (now < stop && !failed) {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    failed = surface == nullptr ||
             SDL_BlitSurface(sources[presented % sources.size()], nullptr, surface, nullptr) != 0 ||
             SDL_UpdateWindowSurface(window) != 0;
    ++presented;
    now = SDL_GetPerformanceCounter();
  }
  if (failed) std::fprintf(stderr, "brindlemox-present-only: %s\n", SDL_GetError());
  const double elapsed = static_cast<double>(now - start) / static_cast<double>(frequency);
  if (!failed)
    std::printf("present-only: %llu frames in %.2f s: %.0f fps\n",
                static_cast<unsigned long long>(presented), elapsed,
                static_cast<double>(presented) / elapsed);
  for (SDL_Surface* s : sources) SDL_FreeSurface(s);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return failed ? 1 : 0;
}
