// Presenting for the graphics device on Windows, with GDI.
//
// Built into the device's module, QelGFX36.dll. The device is not told which
// window to present into: when it is made, the program's window already
// exists and is visible, on the calling thread, so the presenter takes that
// thread's visible top-level window.
//
// Each frame is drawn with StretchDIBits from a 32-bit top-down DIB: a pixel
// 0x00RRGGBB lies in memory as the bytes B, G, R, 0, which is the DIB's own
// order, so the back buffer is handed over as it is. The window's outer size
// is the back buffer's, so its client area is smaller and the frame is
// shrunk to fill it (COLORONCOLOR: whole pixels are dropped, not blended).
// A client area larger than the frame either way (the window made
// fullscreen) shows it letterboxed (platform/Letterbox.h): enlarged to the
// largest size of its shape, whole pixels repeated, centred, black around.
#include "platform/Letterbox.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Error.h"

namespace platform {

namespace {

HWND& PresentedWindow() {
  static HWND window = nullptr;
  return window;
}

BOOL CALLBACK TakeVisibleWindow(HWND window, LPARAM found) {
  if (!IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

bool OpenPresenter(int width, int height) {
  if (width <= 0 || height <= 0) {
    win32::SetLastErrorText("nothing to present");
    return false;
  }
  HWND window = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), TakeVisibleWindow, reinterpret_cast<LPARAM>(&window));
  if (window == nullptr) {
    win32::SetLastErrorText("no visible window on this thread to present into");
    return false;
  }
  PresentedWindow() = window;
  return true;
}

void PresentFrame(const uint32_t* pixels, int width, int height) {
  const HWND window = PresentedWindow();
  if (window == nullptr || !IsWindow(window)) return;
  RECT client;
  if (!GetClientRect(window, &client)) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: rows run from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const int clientWidth = client.right - client.left;
  const int clientHeight = client.bottom - client.top;
  const bool letterboxed = clientWidth > width || clientHeight > height;
  const ShownRect shown = letterboxed ? LetterboxRect(clientWidth, clientHeight, width, height)
                                      : ShownRect{0, 0, clientWidth, clientHeight};
  const HDC dc = GetDC(window);
  if (dc == nullptr) return;
  if (letterboxed) {
    // The bars: above and below, then left and right of the picture.
    PatBlt(dc, 0, 0, clientWidth, shown.y, BLACKNESS);
    PatBlt(dc, 0, shown.y + shown.height, clientWidth, clientHeight - shown.y - shown.height,
           BLACKNESS);
    PatBlt(dc, 0, shown.y, shown.x, shown.height, BLACKNESS);
    PatBlt(dc, shown.x + shown.width, shown.y, clientWidth - shown.x - shown.width, shown.height,
           BLACKNESS);
  }
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, shown.x, shown.y, shown.width, shown.height, 0, 0, width, height, pixels, &info,
                DIB_RGB_COLORS, SRCCOPY);
  ReleaseDC(window, dc);
}

void ClosePresenter() { PresentedWindow() = nullptr; }

}  // namespace platform
