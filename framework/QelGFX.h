// The graphics device: a 32-bit back buffer, offscreen surfaces, clearing,
// locking, pixel writes, stretched copies, PNG loading and presenting.
//
// Everything is drawn in software. Surfaces are width x height pixels
// 0x00RRGGBB with rows exactly width * 4 bytes apart, created black. Copies
// and pixel writes never touch memory outside a surface: a rectangle with no
// area, or one that does not lie inside its surface, draws nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/QelGFXExport.h"
#include "framework/Rect.h"
#include "framework/Surface.h"

class QELGFX_API QelGFX {
 public:
  // Opens the device on the platform's window with a width x height back
  // buffer. The last two values are the display mode's page count and refresh
  // divider, kept for callers that pass them; the software device ignores
  // them. Throws std::runtime_error when the platform cannot present.
  QelGFX(uint16_t width, uint16_t height, uint8_t bitsPerPixel,
         uint16_t pageCount, uint8_t refreshDivider);
  ~QelGFX();

  QelGFX(const QelGFX&) = delete;
  QelGFX& operator=(const QelGFX&) = delete;

  uint16_t GetScreenX() const { return screenX; }
  uint16_t GetScreenY() const { return screenY; }
  uint32_t GetBpp() const { return bpp; }

  // Stores a new, black w x h surface in *surfaceOut. Returns 0, or -1 (and
  // stores null) when w or h is 0 or the memory cannot be had.
  int CreateSurface(uint16_t w, uint16_t h, Surface** surfaceOut);
  // Frees a surface made by CreateSurface. Returns 0, or -1 for null.
  int ReleaseSurface(Surface* surface);

  // Decodes the PNG file into the surface, stretched to the surface's size.
  // On any failure the surface is left as it was, one line naming the file
  // and the reason goes to stderr, and false is returned.
  bool LoadPNG(const char* fileName, Surface* surface);

  // Fills the whole surface with the colour.
  void ClearSurf(uint32_t colour, Surface* surface);

  // Between Lock and UnLock, lockedPixels and lockedPitch describe the
  // surface.
  void Lock(Surface* surface);
  void UnLock(Surface* surface);

  // Stores the colour at column x of row y, rows pitch bytes apart from
  // pixels. When pixels is the locked surface's, a position outside it is
  // ignored.
  void PutPixel(uint16_t x, uint16_t y, uint32_t colour, uint8_t* pixels,
                int32_t pitch);

  static RECT Rect(int32_t left, int32_t top, int32_t right, int32_t bottom);

  // All of src onto all of dst, stretched.
  void Blt(Surface* dst, Surface* src);
  // srcRect of src into dstRect of dst, stretched.
  void Blt(RECT dstRect, Surface* dst, RECT srcRect, Surface* src);

  // Shows the back buffer in the window.
  void Flip();

  // The window moved. The platform keeps the picture in its window itself,
  // so there is nothing to do.
  void WindowMoved();

 private:
  // The first three members, read by the inline accessors.
  uint16_t screenX;
  uint16_t screenY;
  uint8_t bpp;

 public:
  Surface* backBuffer = nullptr;
  uint8_t* lockedPixels = nullptr;
  int32_t lockedPitch = 0;

 private:
  void CopyWholeSurface(Surface* dst, Surface* src);

  Surface* lockedSurface = nullptr;
  std::vector<uint32_t> columnMap;  // scratch for stretched copies
};
