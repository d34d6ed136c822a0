// SDL2 backend: the main window, its events turned into window messages,
// the clock and the program's own folder. The window's
// class, messages and default behaviour are the emulated window's
// (platform/EmulatedWindow.h).
#include <SDL.h>

#include <ctime>
#include <string>

#include "platform/EmulatedWindow.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlBackend.h"

namespace platform {

namespace {

// Win32 virtual-key codes of the keys SDL reports; other keys pass on their
// SDL key code, which the program only hands to the default handling.
uintptr_t VirtualKey(SDL_Keycode key) {
  if (key == SDLK_ESCAPE) return VK_ESCAPE;
  if (key == SDLK_F4) return VK_F4;
  if (key == SDLK_F11) return VK_F11;
  if (key == SDLK_RETURN || key == SDLK_KP_ENTER) return VK_RETURN;
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<uintptr_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uintptr_t>(key);
  return static_cast<uintptr_t>(key & 0xFFFF);
}

intptr_t PackPosition(int x, int y) {
  return static_cast<intptr_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) |
                               static_cast<uint32_t>(x & 0xFFFF));
}

}  // namespace

namespace backend {

// The window opens at the size and place asked for. It is resizable so that
// the window manager may make it larger (maximised, fullscreen): a fixed SDL
// window tells it that its smallest and largest size are both this one. The
// presenter shows the frame letterboxed at any size.
bool OpenWindow(const WindowRecord& window) {
  if (!sdl::EnsureVideo()) return false;
  SDL_Window* made = SDL_CreateWindow(window.title.c_str(), window.x, window.y, window.width,
                                      window.height, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (made == nullptr) {
    SetLastErrorText(SDL_GetError());
    return false;
  }
  sdl::SetMainWindow(made);
  sdl::WatchMainWindow(made);
  sdl::SetShowIcon(made);
  return true;
}

// SDL waits here until the window manager maps the window, which one that is
// paused or busy never does: the watch then says so, and the ending signals
// end the program at once.
void ShowWindow(const WindowRecord&, int) {
  sdl::AwaitingWindow("the window manager to show the window");
  SDL_ShowWindow(sdl::MainWindow());
  sdl::StopWindowWatch();
}

void UpdateWindow(const WindowRecord&) { sdl::TurnEventsIntoMessages(); }

void SetTitle(const WindowRecord& window) {
  SDL_SetWindowTitle(sdl::MainWindow(), window.title.c_str());
}

// The poll of the message loop: from its first turn on, SIGINT and SIGTERM
// close the show as the close button does.
void PumpEvents() {
  sdl::EndingSignalsAskToClose();
  sdl::TurnEventsIntoMessages();
}

}  // namespace backend

// Turns the SDL events waiting now, and a close that a signal asked for,
// into window messages at the queue's end.
void sdl::TurnEventsIntoMessages() {
  if (!sdl::VideoReady()) return;
  WindowRecord* w = EmulatedMainWindow();
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    switch (event.type) {
      case SDL_QUIT:
        PostWindowMessage(w, WM_CLOSE, 0, 0);
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE)
          PostWindowMessage(w, WM_CLOSE, 0, 0);
        else if (event.window.event == SDL_WINDOWEVENT_MOVED)
          PostWindowMessage(w, WM_MOVE, 0, PackPosition(event.window.data1, event.window.data2));
        break;
      case SDL_KEYDOWN: {
        const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
        const uint32_t kind = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        // As Windows makes them: a repeat count of 1, and a held key's
        // repeats marked as the key having been down already.
        const intptr_t lParam = event.key.repeat != 0 ? 1 | kKeyWasDown : 1;
        PostWindowMessage(w, kind, VirtualKey(event.key.keysym.sym), lParam);
        break;
      }
      default:
        break;
    }
  }
  // Destroyed by another program, the window ends the show as a close does.
  if (sdl::MainWindowDestroyedFromOutside()) PostWindowMessage(w, WM_CLOSE, 0, 0);
  if (sdl::CloseAskedBySignal()) PostWindowMessage(w, WM_CLOSE, 0, 0);
}

namespace backend {

// From here on nothing turns a signal into a close any more: SDL may wait
// for the window system while the window goes, and a signal ends it all.
void CloseWindow(const WindowRecord&) {
  sdl::EndingSignalsEndAtOnce();
  sdl::BeforeClosingMainWindow();
  SDL_DestroyWindow(sdl::MainWindow());
  sdl::SetMainWindow(nullptr);
}

// Fullscreen at the desktop's own resolution on the window's display (the
// window manager's fullscreen state on X11); SDL keeps the window's own size
// and place and restores them on the way back.
void ToggleFullscreen(const WindowRecord&) {
  SDL_Window* window = sdl::MainWindow();
  const bool fullscreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
  SDL_SetWindowFullscreen(window, fullscreen ? 0u : static_cast<uint32_t>(SDL_WINDOW_FULLSCREEN_DESKTOP));
}

}  // namespace backend

int64_t PerformanceCounter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }

int64_t PerformanceFrequency() { return static_cast<int64_t>(SDL_GetPerformanceFrequency()); }

uint32_t TickCountMs() {
  // Milliseconds since boot, wrapping, as GetTickCount counts them.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                               static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

const char* ProgramDirectory() {
  // SDL reads it once from the system (/proc/self/exe on Linux), with the
  // separator at the end; it needs no SDL_Init.
  static const std::string directory = [] {
    char* base = SDL_GetBasePath();
    std::string path = base != nullptr ? base : "";
    SDL_free(base);
    return path;
  }();
  return directory.c_str();
}

}  // namespace platform
