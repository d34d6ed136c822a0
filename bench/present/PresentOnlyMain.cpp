// brindlemox-present-only: the floor of presenting on this display. Pushes
// frames through SDL's window surface (framebuffer acceleration off, so no GL
// in between) as fast as it can, draws nothing else, and prints the frame
// rate it reached: 640x480 frames into a 640x480 window, or with --fullscreen
// frames of the screen's size into a window covering the screen (the window
// manager's fullscreen, as F11 gives the program). scripts/bench-present.sh
// compares the program's own frame rate with it on the same X server.
//
// Depends on: SDL2 video. Cannot: run without a display (it says so and exits
// with 1).
//
// usage: brindlemox-present-only [--fullscreen] [SECONDS]   (default 5, 1 to 600)
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Frame n: a horizontal gradient whose colour moves with n, so that every
// frame differs from the one before and nothing can be skipped.
void FillFrame(std::vector<uint32_t>& pixels, int width, int height, uint32_t n) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
          ((static_cast<uint32_t>(x) + n) & 0xFF) << 16 | (static_cast<uint32_t>(y) & 0xFF) << 8 |
          (n & 0xFF);
}

// Waits up to five seconds for the window manager to make the window cover
// the screen; false when it did not.
bool CoverTheScreen(SDL_Window* window) {
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(window), &desktop) != 0) return false;
  SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  const uint64_t frequency = SDL_GetPerformanceFrequency();
  const uint64_t giveUp = SDL_GetPerformanceCounter() + 5 * frequency;
  while (SDL_GetPerformanceCounter() < giveUp) {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface != nullptr && surface->w == desktop.w && surface->h == desktop.h) return true;
    SDL_Delay(10);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 5;
  bool fullscreen = false;
  int first = 1;
  if (argc > first && std::strcmp(argv[first], "--fullscreen") == 0) {
    fullscreen = true;
    ++first;
  }
  if (argc > first + 1) {
    std::fprintf(stderr, "usage: brindlemox-present-only [--fullscreen] [SECONDS]\n");
    return 2;
  }
  if (argc > first) {
    char* end = nullptr;
    seconds = std::strtod(argv[first], &end);
    if (end == argv[first] || *end != '\0' || !(seconds >= 1 && seconds <= 600)) {
      std::fprintf(stderr,
                   "usage: brindlemox-present-only [--fullscreen] [SECONDS]   (1 to 600)\n");
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

  int width = kWidth;
  int height = kHeight;
  if (fullscreen) {
    if (!CoverTheScreen(window)) {
      std::fprintf(stderr, "brindlemox-present-only: the window did not cover the screen\n");
      SDL_DestroyWindow(window);
      SDL_Quit();
      return 1;
    }
    width = SDL_GetWindowSurface(window)->w;
    height = SDL_GetWindowSurface(window)->h;
  }

  // Different frames, made beforehand: presenting is all that is timed.
  std::vector<std::vector<uint32_t>> frames(
      fullscreen ? 8 : 16,
      std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height)));
  for (uint32_t n = 0; n < frames.size(); ++n) FillFrame(frames[n], width, height, n * 16);
  std::vector<SDL_Surface*> sources;
  for (std::vector<uint32_t>& f : frames)
    sources.push_back(SDL_CreateRGBSurfaceWithFormatFrom(f.data(), width, height, 32, width * 4,
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
    std::printf("present-only: %dx%d, %llu frames in %.2f s: %.0f fps\n", width, height,
                static_cast<unsigned long long>(presented), elapsed,
                static_cast<double>(presented) / elapsed);
  for (SDL_Surface* s : sources) SDL_FreeSurface(s);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return failed ? 1 : 0;
}
