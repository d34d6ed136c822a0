// SDL2 backend: the default on Linux and other desktops.
//
// Depends on: SDL2 (video, events, message boxes, performance counter, the
// program's own folder, and the renderer only to learn what draws it and,
// with graphics hardware, to present), the GL_RENDERER string of SDL's
// OpenGL renderer, and POSIX clock_gettime for the tick count.
// Cannot: set the window's outer size. The window manager owns the frame, so
// the 640x480 asked for is the client area here, where Windows makes it the
// outer size. Only the main window exists; its class has no icon, cursor or
// brush of its own. The window's class, messages and default behaviour are
// the emulated window's (platform/EmulatedWindow.h); this backend makes,
// shows and closes the SDL window and turns SDL's events into messages.
//
// Presenting takes the cheapest path that shows the back buffer unchanged,
// without waiting for the display's refresh. SDL's renderer is asked what it
// would draw with, on a hidden probe window: where that is software (SDL's
// own "software" renderer, or an OpenGL that names a software rasteriser such
// as Mesa's llvmpipe) a GL texture would only add a copy and a draw on the
// CPU, so the frame goes straight into the window surface (SDL's framebuffer
// acceleration off: XShm on X11) with one blit, converted where the window's
// pixel format is not 0x00RRGGBB and scaled where the window is not 640x480.
// With graphics hardware an SDL streaming texture carries the frame. Where
// one path cannot be had, the other is taken.
#include <SDL.h>

#include <ctime>
#include <string>

#include "platform/EmulatedWindow.h"
#include "platform/Platform.h"

namespace platform {

namespace {

struct SdlState {
  bool videoReady = false;
  bool videoFailed = false;
  // The main window's, while it lives.
  SDL_Window* window = nullptr;
  // Presenting: through the window surface (source wraps the back buffer)
  // or through the renderer and its texture; at most one is set up.
  bool surfacePath = false;
  SDL_Surface* source = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
};

SdlState& State() {
  static SdlState state;
  return state;
}

// An environment variable set but empty counts as unset, as SDL and Xlib
// take it: it names no driver and no display.
bool IsSet(const char* name) {
  const char* value = SDL_getenv(name);
  return value != nullptr && value[0] != '\0';
}

bool EnsureVideo() {
  SdlState& s = State();
  if (s.videoReady) return true;
  if (s.videoFailed) return false;
  constexpr char kNoDisplay[] = "no display found (is DISPLAY or WAYLAND_DISPLAY set?)";
  const bool driverChosen = IsSet("SDL_VIDEODRIVER");
  if (!driverChosen && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
    SetLastErrorText(kNoDisplay);
    s.videoFailed = true;
    return false;
  }
  // Without a Wayland compositor only X11 can work; asking for it alone spares
  // the user the Wayland library's complaints.
  // (Overriding, since an empty SDL_VIDEODRIVER would otherwise win.)
  if (!driverChosen && !IsSet("WAYLAND_DISPLAY"))
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    SetLastErrorText(std::string("cannot reach the display (") + SDL_GetError() + ")");
    s.videoFailed = true;
    return false;
  }
  // With no display SDL falls back to drawing into memory, where nobody
  // would see the show. Only a user who asks for such a driver gets one.
  const std::string driver = SDL_GetCurrentVideoDriver();
  if ((driver == "offscreen" || driver == "dummy") && !driverChosen) {
    SDL_Quit();
    SetLastErrorText(kNoDisplay);
    s.videoFailed = true;
    return false;
  }
  s.videoReady = true;
  return true;
}

// Win32 virtual-key codes of the keys SDL reports; other keys pass on their
// SDL key code, which the program only hands to the default handling.
uintptr_t VirtualKey(SDL_Keycode key) {
  if (key == SDLK_ESCAPE) return VK_ESCAPE;
  if (key == SDLK_F4) return VK_F4;
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

bool OpenWindow(const WindowRecord& window) {
  if (!EnsureVideo()) return false;
  SDL_Window* made = SDL_CreateWindow(window.title.c_str(), window.x, window.y, window.width,
                                      window.height, SDL_WINDOW_HIDDEN);
  if (made == nullptr) {
    SetLastErrorText(SDL_GetError());
    return false;
  }
  State().window = made;
  return true;
}

void ShowWindow(const WindowRecord&, int) { SDL_ShowWindow(State().window); }

void UpdateWindow(const WindowRecord&) { PumpEvents(); }

void SetTitle(const WindowRecord& window) {
  SDL_SetWindowTitle(State().window, window.title.c_str());
}

// Turns the SDL events waiting now into window messages at the queue's end.
void PumpEvents() {
  if (!State().videoReady) return;
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
        PostWindowMessage(w, kind, VirtualKey(event.key.keysym.sym), 1);
        break;
      }
      default:
        break;
    }
  }
}

void CloseWindow(const WindowRecord&) {
  SdlState& s = State();
  SDL_DestroyWindow(s.window);
  s.window = nullptr;
}

}  // namespace backend

int ScreenWidth() {
  SDL_DisplayMode mode;
  if (!EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return mode.w;
}

int ScreenHeight() {
  SDL_DisplayMode mode;
  if (!EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return mode.h;
}

bool ShowErrorMessageBox(const char* text, const char* caption) {
  return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) == 0;
}

int64_t PerformanceCounter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }

int64_t PerformanceFrequency() { return static_cast<int64_t>(SDL_GetPerformanceFrequency()); }

uint32_t TickCountMs() {
  // Milliseconds since boot, wrapping, as GetTickCount counts them.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                               static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

namespace {

// Names in GL_RENDERER of the rasterisers that draw GL on the CPU.
bool NamesSoftwareRasteriser(const std::string& glRenderer) {
  for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR", "swrast",
                           "GDI Generic", "SwiftShader"})
    if (glRenderer.find(name) != std::string::npos) return true;
  return false;
}

// Whether the renderer SDL made draws in software: its own name, or for
// SDL's OpenGL renderers, the GL_RENDERER string of their context.
bool DrawsInSoftware(SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0) return true;
  const std::string name = info.name != nullptr ? info.name : "";
  if (name == "software" || (info.flags & SDL_RENDERER_SOFTWARE) != 0) return true;
  if (name.rfind("opengl", 0) != 0) return false;
  // The renderer's context is current once SDL_CreateRenderer returns.
  using GetString = const unsigned char* (*)(unsigned int);
  constexpr unsigned int kGlRenderer = 0x1F01;
  const auto glGetString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  if (glGetString == nullptr) return false;
  const unsigned char* glRenderer = glGetString(kGlRenderer);
  return glRenderer != nullptr &&
         NamesSoftwareRasteriser(reinterpret_cast<const char*>(glRenderer));
}

// Whether SDL's renderer on this display draws in software, learnt on a
// hidden window of its own, so that the main window is not turned into an
// OpenGL one for the question. No renderer at all counts as software.
bool RendererDrawsInSoftware() {
  SDL_Window* probe = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_HIDDEN);
  if (probe == nullptr) return true;
  SDL_Renderer* renderer = SDL_CreateRenderer(probe, -1, 0);
  const bool software = renderer == nullptr || DrawsInSoftware(renderer);
  if (renderer != nullptr) SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(probe);
  return software;
}

bool OpenWindowSurface(SDL_Window* window) {
  if (SDL_GetWindowSurface(window) == nullptr) {
    SetLastErrorText(SDL_GetError());
    return false;
  }
  State().surfacePath = true;
  return true;
}

bool OpenRenderer(SDL_Window* window, int width, int height) {
  SdlState& s = State();
  s.renderer = SDL_CreateRenderer(window, -1, 0);
  if (s.renderer == nullptr) {
    SetLastErrorText(SDL_GetError());
    return false;
  }
  s.texture = SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_RGB888,
                                SDL_TEXTUREACCESS_STREAMING, width, height);
  if (s.texture == nullptr) {
    SetLastErrorText(SDL_GetError());
    SDL_DestroyRenderer(s.renderer);
    s.renderer = nullptr;
    return false;
  }
  return true;
}

// One blit of the back buffer into the window surface: a row copy where the
// formats and sizes agree, otherwise SDL converts and scales (nearest pixel).
void PresentThroughWindowSurface(SDL_Window* window, const uint32_t* pixels, int width,
                                 int height) {
  SdlState& s = State();
  // The surface is made anew by SDL after the window was resized.
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (target == nullptr) return;
  if (s.source == nullptr || s.source->pixels != pixels || s.source->w != width ||
      s.source->h != height) {
    if (s.source != nullptr) SDL_FreeSurface(s.source);
    s.source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels), width, height,
                                                  32, width * 4, SDL_PIXELFORMAT_RGB888);
    if (s.source == nullptr) return;
  }
  if (target->w == width && target->h == height)
    SDL_BlitSurface(s.source, nullptr, target, nullptr);
  else
    SDL_BlitScaled(s.source, nullptr, target, nullptr);
  SDL_UpdateWindowSurface(window);
}

}  // namespace

bool OpenPresenter(int width, int height) {
  SDL_Window* window = State().window;
  if (window == nullptr) {
    SetLastErrorText("no window to present into");
    return false;
  }
  // Before SDL first makes a window surface: a plain framebuffer, never one
  // that SDL would draw through a GL texture itself.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (RendererDrawsInSoftware())
    return OpenWindowSurface(window) || OpenRenderer(window, width, height);
  return OpenRenderer(window, width, height) || OpenWindowSurface(window);
}

void PresentFrame(const uint32_t* pixels, int width, int height) {
  SdlState& s = State();
  if (s.window == nullptr) return;
  if (s.surfacePath) {
    PresentThroughWindowSurface(s.window, pixels, width, height);
    return;
  }
  if (s.texture == nullptr) return;
  SDL_UpdateTexture(s.texture, nullptr, pixels, width * 4);
  SDL_RenderCopy(s.renderer, s.texture, nullptr, nullptr);
  SDL_RenderPresent(s.renderer);
}

void ClosePresenter() {
  SdlState& s = State();
  if (s.source != nullptr) SDL_FreeSurface(s.source);
  if (s.texture != nullptr) SDL_DestroyTexture(s.texture);
  if (s.renderer != nullptr) SDL_DestroyRenderer(s.renderer);
  s.source = nullptr;
  s.texture = nullptr;
  s.renderer = nullptr;
  s.surfacePath = false;
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

void ShutdownSdl() {
  ClosePresenter();
  SdlState& s = State();
  if (s.window != nullptr) SDL_DestroyWindow(s.window);
  s.window = nullptr;
  if (s.videoReady) SDL_Quit();
  s.videoReady = false;
}

}  // namespace platform
