#include "framework/QelGFX.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>

#include "framework/PngFile.h"
#include "framework/RowBands.h"
#include "framework/Stretch.h"
#include "platform/Observer.h"
#include "platform/Platform.h"

namespace {

// A surface's pixels for reading: a copy's source.
PixelView SourceOf(const Surface* s) {
  return {const_cast<uint32_t*>(s->Pixels()), s->Width(), s->Height()};
}

// The view a copy of srcRect of `src` into dstRect writes `dst` through,
// recording what it changes. A copy that replaces every pixel of dst lets a
// pending clear of it go unwritten; any other copy sees the clear carried
// out first. (When dst is the source too, reading it has carried the clear
// out already.)
PixelView TargetOf(Surface* dst, const RECT& dstRect, const PixelView& src, const RECT& srcRect) {
  const bool replacesAll =
      StretchReplacesAll(dstRect, dst->Width(), dst->Height(), srcRect, src.width, src.height);
  return {replacesAll ? dst->PixelsToReplace() : dst->PixelsToChange(dstRect), dst->Width(),
          dst->Height()};
}

bool IsWhole(const RECT& r, const Surface* s) {
  return r.left == 0 && r.top == 0 && r.right == s->Width() && r.bottom == s->Height();
}

}  // namespace

QelGFX::QelGFX(uint16_t width, uint16_t height, uint8_t bitsPerPixel,
               uint16_t /*pageCount*/, uint8_t /*refreshDivider*/)
    : screenX(width), screenY(height), bpp(bitsPerPixel) {
  if (width == 0 || height == 0 || bitsPerPixel != 32)
    throw std::runtime_error("unsupported display mode");
  if (!platform::OpenPresenter(width, height))
    throw std::runtime_error(std::string("cannot present: ") + platform::LastErrorText());
  if (CreateSurface(width, height, &backBuffer) != 0) {
    platform::ClosePresenter();
    throw std::runtime_error("cannot allocate the back buffer");
  }
  if (platform::observer != nullptr) platform::observer->DeviceOpened();
}

QelGFX::~QelGFX() {
  ReleaseSurface(backBuffer);
  platform::ClosePresenter();
  if (platform::observer != nullptr) platform::observer->DeviceClosed();
}

int QelGFX::CreateSurface(uint16_t w, uint16_t h, Surface** surfaceOut) {
  if (surfaceOut == nullptr) return -1;
  *surfaceOut = nullptr;
  if (w == 0 || h == 0) return -1;
  try {
    *surfaceOut = new Surface(w, h);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  if (platform::observer != nullptr) platform::observer->SurfaceCreated(**surfaceOut);
  return 0;
}

int QelGFX::ReleaseSurface(Surface* surface) {
  if (surface == nullptr) return -1;
  if (surface == lockedSurface) {
    lockedSurface = nullptr;
    lockedPixels = nullptr;
    lockedPitch = 0;
  }
  if (platform::observer != nullptr) platform::observer->SurfaceReleased(*surface);
  delete surface;
  return 0;
}

bool QelGFX::LoadPNG(const char* fileName, Surface* surface) {
  if (surface == nullptr) return false;
  DecodedPicture picture;
  std::string reason;
  if (!DecodePngFile(fileName, picture, reason)) {
    std::fprintf(stderr, "Brindlemox: cannot load picture \"%s\": %s\n", fileName,
                 reason.c_str());
    return false;
  }
  const PixelView src{picture.pixels.data(), picture.width, picture.height};
  const RECT whole = Rect(0, 0, surface->Width(), surface->Height());
  const RECT pictureRect = Rect(0, 0, picture.width, picture.height);
  StretchCopy(TargetOf(surface, whole, src, pictureRect), whole, src, pictureRect, columnMap);
  return true;
}

void QelGFX::ClearSurf(uint32_t colour, Surface* surface) {
  if (surface == nullptr) return;
  surface->Clear(colour);
  // The surface locked last has its pixels out in lockedPixels, where they
  // may be written without the device knowing: clear it now.
  if (surface == lockedSurface) surface->Pixels();
}

void QelGFX::Lock(Surface* surface) {
  if (surface == nullptr) return;
  lockedSurface = surface;
  lockedPixels = reinterpret_cast<uint8_t*>(surface->Pixels());
  lockedPitch = surface->Width() * 4;
  if (platform::observer != nullptr) platform::observer->SurfaceLocked(*surface);
}

void QelGFX::UnLock(Surface* surface) {
  if (surface == nullptr) return;
  if (platform::observer != nullptr) platform::observer->SurfaceUnlocked(*surface);
}

void QelGFX::PutPixel(uint16_t x, uint16_t y, uint32_t colour, uint8_t* pixels,
                      int32_t pitch) {
  if (pixels == nullptr) return;
  if (lockedSurface != nullptr && pixels == lockedPixels &&
      (x >= lockedSurface->Width() || y >= lockedSurface->Height()))
    return;
  uint8_t* row = pixels + static_cast<ptrdiff_t>(y) * pitch;
  reinterpret_cast<uint32_t*>(row)[x] = colour;
}

RECT QelGFX::Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  RECT r;
  r.left = left;
  r.top = top;
  r.right = right;
  r.bottom = bottom;
  return r;
}

void QelGFX::Blt(Surface* dst, Surface* src) {
  if (dst == nullptr || src == nullptr) return;
  Blt(Rect(0, 0, dst->Width(), dst->Height()), dst, Rect(0, 0, src->Width(), src->Height()),
      src);
}

void QelGFX::Blt(RECT dstRect, Surface* dst, RECT srcRect, Surface* src) {
  if (dst == nullptr || src == nullptr) return;
  // A rectangle outside its surface, or without area, copies nothing.
  if (!RectFitsSurface(dstRect, dst->Width(), dst->Height()) ||
      !RectFitsSurface(srcRect, src->Width(), src->Height()))
    return;
  if (dst != src && IsWhole(dstRect, dst) && IsWhole(srcRect, src) &&
      dst->Width() == src->Width() && dst->Height() == src->Height()) {
    CopyWholeSurface(dst, src);
    return;
  }
  const PixelView from = SourceOf(src);  // first: dst may be src
  StretchCopy(TargetOf(dst, dstRect, from, srcRect), dstRect, from, srcRect, columnMap);
}

// Every pixel of src onto dst, one to one. When dst holds an earlier state
// of src and nothing else has touched it since, only the rectangles src
// changed after that state are copied: what lies outside them is already
// right. The surface locked last is left out of this both ways, as source
// and as destination: its pixels may be written through lockedPixels at any
// time, unrecorded.
void QelGFX::CopyWholeSurface(Surface* dst, Surface* src) {
  const PixelView from = SourceOf(src);  // first: a pending clear of src is a change
  uint64_t heldVersion = 0;
  const bool tracked = src != lockedSurface && dst != lockedSurface;
  const bool holdsEarlierState = tracked && dst->MirrorOf(*src, heldVersion);
  const PixelView to{dst->PixelsToReplace(), dst->Width(), dst->Height()};
  // The changed rectangles' rows, merged into bands copied whole: one block
  // move a band instead of one a row of each rectangle.
  RowBands bands;
  const auto addRows = [&](const RECT& area) { bands.Add(area.top, area.bottom); };
  if (!holdsEarlierState || !src->Changes().VisitChangesSince(heldVersion, addRows)) {
    bands = RowBands();
    bands.Add(0, src->Height());
  }
  for (const auto& [top, bottom] : bands) {
    const RECT band = Rect(0, top, src->Width(), bottom);
    StretchCopy(to, band, from, band, columnMap);
  }
  if (tracked) dst->NowMirrors(*src);
}

void QelGFX::Flip() {
  const Surface& shown = *backBuffer;
  platform::PresentFrame(shown.Pixels(), shown.Width(), shown.Height());
}

void QelGFX::WindowMoved() {}
