// SDL2 backend: the connection to the display, the screen's size, and the
// end of SDL when the program ends.
#include <SDL.h>

#include <string>

#include "platform/EmulatedWindow.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlBackend.h"

namespace platform {
namespace sdl {

namespace {

bool videoReady = false;
bool videoFailed = false;
SDL_Window* mainWindow = nullptr;

// An environment variable set but empty counts as unset, as SDL and Xlib
// take it: it names no driver and no display.
bool IsSet(const char* name) {
  const char* value = SDL_getenv(name);
  return value != nullptr && value[0] != '\0';
}

}  // namespace

bool EnsureVideo() {
  if (videoReady) return true;
  if (videoFailed) return false;
  constexpr char kNoDisplay[] = "no display found (is DISPLAY or WAYLAND_DISPLAY set?)";
  const bool driverChosen = IsSet("SDL_VIDEODRIVER");
  if (!driverChosen && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
    SetLastErrorText(kNoDisplay);
    videoFailed = true;
    return false;
  }
  // Without a Wayland compositor only X11 can work; asking for it alone spares
  // the user the Wayland library's complaints.
  // (Overriding, since an empty SDL_VIDEODRIVER would otherwise win.)
  if (!driverChosen && !IsSet("WAYLAND_DISPLAY"))
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
  // Before SDL connects, so that SDL's own X error handler passes errors on.
  CatchX11Errors();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    SetLastErrorText(std::string("cannot reach the display (") + SDL_GetError() + ")");
    videoFailed = true;
    return false;
  }
  // With no display SDL falls back to drawing into memory, where nobody
  // would see the show. Only a user who asks for such a driver gets one.
  const std::string driver = SDL_GetCurrentVideoDriver();
  if ((driver == "offscreen" || driver == "dummy") && !driverChosen) {
    SDL_Quit();
    SetLastErrorText(kNoDisplay);
    videoFailed = true;
    return false;
  }
  videoReady = true;
  return true;
}

bool VideoReady() { return videoReady; }

SDL_Window* MainWindow() { return mainWindow; }
void SetMainWindow(SDL_Window* window) { mainWindow = window; }

}  // namespace sdl

int ScreenWidth() {
  SDL_DisplayMode mode;
  if (!sdl::EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return mode.w;
}

int ScreenHeight() {
  SDL_DisplayMode mode;
  if (!sdl::EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return mode.h;
}

void ShutdownSdl() {
  ClosePresenter();
  if (sdl::MainWindow() != nullptr) SDL_DestroyWindow(sdl::MainWindow());
  sdl::SetMainWindow(nullptr);
  if (sdl::videoReady) SDL_Quit();
  sdl::videoReady = false;
}

}  // namespace platform
