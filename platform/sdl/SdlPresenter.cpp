// SDL2 backend: presenting the back buffer in the main window.
// Presenting takes the cheapest path that shows the back buffer unchanged,
// without waiting for the display's refresh. SDL's renderer is asked what it
// would draw with, on a hidden probe window: where that is software (SDL's
// own "software" renderer, or an OpenGL that names a software rasteriser such
// as Mesa's llvmpipe) a GL texture would only add a copy and a draw on the
// CPU, so the frame goes straight into the window surface (SDL's framebuffer
// acceleration off: XShm on X11), converted where the window's pixel format
// is not 0x00RRGGBB. With graphics hardware an SDL streaming texture carries
// the frame. A user who names a renderer (SDL_RENDER_DRIVER) gets the texture
// through it, whatever draws it. Where one path cannot be had, the other is
// taken.
//
// Both paths show the frame letterboxed (platform/Letterbox.h) in whatever
// size the window has: unchanged at 640x480, and in a window made larger
// (fullscreen, maximised) at the largest size of its shape, centred, black
// around it, by nearest pixel.
#include <SDL.h>

#include <string>

#include "platform/EmulatedWindow.h"
#include "platform/Letterbox.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlBackend.h"

namespace platform {

namespace {

// Through the window surface (source wraps the back buffer; converted holds
// it in the window's pixel format where that differs) or through the
// renderer and its texture; at most one is set up.
struct Presenter {
  bool surfacePath = false;
  SDL_Surface* source = nullptr;
  SDL_Surface* converted = nullptr;
  LetterboxScaler scaler;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
};

Presenter& State() {
  static Presenter presenter;
  return presenter;
}

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
  Presenter& s = State();
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
  SDL_SetTextureScaleMode(s.texture, SDL_ScaleModeNearest);
  return true;
}

// The surface kept in `kept`, made anew when it is missing or of another
// size or format.
SDL_Surface* Keep(SDL_Surface*& kept, int width, int height, uint32_t format) {
  if (kept != nullptr && kept->w == width && kept->h == height && kept->format->format == format)
    return kept;
  if (kept != nullptr) SDL_FreeSurface(kept);
  kept = SDL_CreateRGBSurfaceWithFormat(0, width, height, SDL_BITSPERPIXEL(format), format);
  return kept;
}

// The back buffer into the window surface: where the surface is the frame's
// size, one blit (a row copy, or SDL's conversion of the pixel format);
// otherwise the frame, in the surface's format, letterboxed into it.
void PresentThroughWindowSurface(SDL_Window* window, const uint32_t* pixels, int width,
                                 int height) {
  Presenter& s = State();
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
  if (target->w == width && target->h == height) {
    SDL_BlitSurface(s.source, nullptr, target, nullptr);
  } else {
    const uint32_t format = target->format->format;
    SDL_Surface* frame = s.source;
    if (format != SDL_PIXELFORMAT_RGB888) {
      frame = Keep(s.converted, width, height, format);
      if (frame == nullptr || SDL_BlitSurface(s.source, nullptr, frame, nullptr) != 0) return;
    }
    const ShownRect& box = s.scaler.Fit(width, height, target->w, target->h);
    const int bytes = target->format->BytesPerPixel;
    if (frame->pitch != width * bytes || SDL_MUSTLOCK(target) ||
        (bytes != 4 && bytes != 2)) {
      // A layout the scaler does not take: SDL scales (by nearest pixel too).
      SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
      SDL_Rect into{box.x, box.y, box.width, box.height};
      SDL_BlitScaled(frame, nullptr, target, &into);
    } else if (bytes == 4) {
      s.scaler.Draw(static_cast<const uint32_t*>(frame->pixels), target->pixels,
                    static_cast<size_t>(target->pitch));
    } else {
      s.scaler.Draw(static_cast<const uint16_t*>(frame->pixels), target->pixels,
                    static_cast<size_t>(target->pitch));
    }
  }
  SDL_UpdateWindowSurface(window);
}

// The back buffer into the texture, drawn letterboxed over a black target.
void PresentThroughTexture(const uint32_t* pixels, int width, int height) {
  Presenter& s = State();
  int targetWidth = 0;
  int targetHeight = 0;
  if (SDL_GetRendererOutputSize(s.renderer, &targetWidth, &targetHeight) != 0) return;
  const ShownRect box = LetterboxRect(targetWidth, targetHeight, width, height);
  const SDL_Rect into{box.x, box.y, box.width, box.height};
  SDL_UpdateTexture(s.texture, nullptr, pixels, width * 4);
  SDL_SetRenderDrawColor(s.renderer, 0, 0, 0, 255);
  SDL_RenderClear(s.renderer);
  SDL_RenderCopy(s.renderer, s.texture, nullptr, &into);
  SDL_RenderPresent(s.renderer);
}

// Whether the user named SDL's renderer (SDL_RENDER_DRIVER, or the hint).
bool RendererChosen() {
  const char* driver = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  return driver != nullptr && driver[0] != '\0';
}

}  // namespace

bool OpenPresenter(int width, int height) {
  SDL_Window* window = sdl::MainWindow();
  if (window == nullptr) {
    SetLastErrorText("no window to present into");
    return false;
  }
  // Before SDL first makes a window surface: a plain framebuffer, never one
  // that SDL would draw through a GL texture itself.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (!RendererChosen() && RendererDrawsInSoftware())
    return OpenWindowSurface(window) || OpenRenderer(window, width, height);
  return OpenRenderer(window, width, height) || OpenWindowSurface(window);
}

void PresentFrame(const uint32_t* pixels, int width, int height) {
  Presenter& s = State();
  SDL_Window* window = sdl::MainWindow();
  if (window == nullptr) return;
  if (s.surfacePath) {
    PresentThroughWindowSurface(window, pixels, width, height);
    return;
  }
  if (s.texture != nullptr) PresentThroughTexture(pixels, width, height);
}

void ClosePresenter() {
  Presenter& s = State();
  if (s.source != nullptr) SDL_FreeSurface(s.source);
  if (s.converted != nullptr) SDL_FreeSurface(s.converted);
  if (s.texture != nullptr) SDL_DestroyTexture(s.texture);
  if (s.renderer != nullptr) SDL_DestroyRenderer(s.renderer);
  s = Presenter{};
}

}  // namespace platform
