// SDL2 backend: the show's icon on the window (on X11 its _NET_WM_ICON),
// which window managers and task bars show instead of a generic one. The
// 64x64 icon of assets/icons/ is compiled into the program (the build makes
// ShowIconPng.cpp of its bytes) and decoded with libspng when the window is
// made, so no file needs to be found at run time.
#include <SDL.h>
#include <spng.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sdl/SdlBackend.h"

// The PNG's bytes, made by the build.
extern const unsigned char kShowIconPng[];
extern const size_t kShowIconPngSize;

namespace platform::sdl {

namespace {

struct SpngFree {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

// The icon as 8-bit RGBA rows; empty when it cannot be decoded.
std::vector<unsigned char> DecodeIcon(int& width, int& height) {
  std::unique_ptr<spng_ctx, SpngFree> ctx(spng_ctx_new(0));
  spng_ihdr header{};
  size_t size = 0;
  if (!ctx || spng_set_png_buffer(ctx.get(), kShowIconPng, kShowIconPngSize) != 0 ||
      spng_get_ihdr(ctx.get(), &header) != 0 ||
      spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size) != 0)
    return {};
  std::vector<unsigned char> pixels(size);
  if (spng_decode_image(ctx.get(), pixels.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0)
    return {};
  width = static_cast<int>(header.width);
  height = static_cast<int>(header.height);
  return pixels;
}

}  // namespace

void SetShowIcon(SDL_Window* window) {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels = DecodeIcon(width, height);
  if (pixels.empty()) return;  // the window manager's own icon, then
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32,
                                                         width * 4, SDL_PIXELFORMAT_RGBA32);
  if (icon == nullptr) return;
  SDL_SetWindowIcon(window, icon);  // SDL keeps a copy
  SDL_FreeSurface(icon);
}

}  // namespace platform::sdl
